// make_font_seeds DIR: writes small 24-bit BMP files as a starting point for
// fuzz_font: a whole font, rows in either order, row padding, and images too
// small for any or most glyph cells.
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace {

struct Seed {
    const char* name;
    int32_t width;
    int32_t height; // negative: rows stored top-down
};

const Seed seeds[] = {
    {"cells.bmp", 176, 78},            // every cell of codes 32..127
    {"digits_top_down.bmp", 176, -26}, // codes 32..63, top row first
    {"one_cell.bmp", 13, 13},          // 39 bytes a row, padded to 40
    {"one_pixel.bmp", 1, 1},
};

void put(std::vector<uint8_t>& out, uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i)
        out.push_back((uint8_t)(value >> (8 * i)));
}

std::vector<uint8_t> bmp(const Seed& seed) {
    int32_t rows = seed.height < 0 ? -seed.height : seed.height;
    int32_t row_size = (seed.width * 3 + 3) & ~3;
    std::vector<uint8_t> out;
    put(out, 0x4D42, 2);
    put(out, (uint32_t)(54 + row_size * rows), 4);
    put(out, 0, 4);
    put(out, 54, 4);
    put(out, 40, 4);
    put(out, (uint32_t)seed.width, 4);
    put(out, (uint32_t)seed.height, 4);
    put(out, 1, 2);  // planes
    put(out, 24, 2); // bits per pixel
    put(out, 0, 4);  // no compression
    put(out, (uint32_t)(row_size * rows), 4);
    for (int i = 0; i < 4; ++i)
        put(out, 0, 4); // resolution and palette counts
    for (int32_t y = 0; y < rows; ++y) {
        for (int32_t x = 0; x < seed.width; ++x)
            put(out, (uint32_t)(x * 7 ^ y * 13) & 0xFFFFFF, 3);
        put(out, 0, row_size - seed.width * 3);
    }
    return out;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_font_seeds DIR\n");
        return 2;
    }
    for (const Seed& seed : seeds) {
        std::string path = std::string(argv[1]) + "/" + seed.name;
        std::vector<uint8_t> bytes = bmp(seed);
        FILE* f = std::fopen(path.c_str(), "wb");
        if (!f || std::fwrite(bytes.data(), 1, bytes.size(), f) != bytes.size() ||
            std::fclose(f) != 0) {
            std::fprintf(stderr, "make_font_seeds: cannot write %s\n", path.c_str());
            return 1;
        }
    }
    return 0;
}
