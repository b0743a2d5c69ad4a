// make_font_seeds DIR: writes small 24-bit BMP files as a starting point for
// fuzz_font: a whole font, rows in either order, row padding, and images too
// small for any or most glyph cells.
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "imagefile/bmp_file.h"

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

uint32_t pattern(int x, int y) {
    return (uint32_t)(x * 7 ^ y * 13) & 0xFFFFFF;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_font_seeds DIR\n");
        return 2;
    }
    for (const Seed& seed : seeds) {
        std::string path = std::string(argv[1]) + "/" + seed.name;
        std::vector<uint8_t> bytes = bmp_encode({seed.width, seed.height}, pattern);
        FILE* f = std::fopen(path.c_str(), "wb");
        if (!f || std::fwrite(bytes.data(), 1, bytes.size(), f) != bytes.size() ||
            std::fclose(f) != 0) {
            std::fprintf(stderr, "make_font_seeds: cannot write %s\n", path.c_str());
            return 1;
        }
    }
    return 0;
}
