// Writes small Windows bitmaps for the tests: any size, bit depth and
// compression, rows bottom-up (positive height) or top-down (negative).
#pragma once

#include <cstdint>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

struct BmpSpec {
    int32_t width;
    int32_t height; // negative: rows stored top-down
    uint16_t bit_count = 24;
    uint32_t compression = 0;
    uint16_t type = 0x4D42;
};

inline void bmp_put(std::vector<uint8_t>& out, uint32_t value, int size) {
    for (int i = 0; i < size; ++i)
        out.push_back((uint8_t)(value >> (8 * i)));
}

// pixel(x, y) gives 0x00RRGGBB for row y counted from the top of the picture.
inline std::vector<uint8_t> bmp_bytes(const BmpSpec& spec,
                                      const std::function<uint32_t(int, int)>& pixel) {
    int rows = spec.height < 0 ? -spec.height : spec.height;
    int bytes_per_pixel = spec.bit_count / 8;
    int row_size = (spec.width * bytes_per_pixel + 3) & ~3;
    std::vector<uint8_t> out;
    bmp_put(out, spec.type, 2);
    bmp_put(out, 54 + row_size * rows, 4);
    bmp_put(out, 0, 4);
    bmp_put(out, 54, 4);
    bmp_put(out, 40, 4);
    bmp_put(out, (uint32_t)spec.width, 4);
    bmp_put(out, (uint32_t)spec.height, 4);
    bmp_put(out, 1, 2);
    bmp_put(out, spec.bit_count, 2);
    bmp_put(out, spec.compression, 4);
    bmp_put(out, (uint32_t)(row_size * rows), 4);
    bmp_put(out, 2835, 4);
    bmp_put(out, 2835, 4);
    bmp_put(out, 0, 4);
    bmp_put(out, 0, 4);
    for (int i = 0; i < rows; ++i) {
        int y = spec.height < 0 ? i : rows - 1 - i;
        size_t start = out.size();
        for (int x = 0; x < spec.width; ++x)
            bmp_put(out, pixel(x, y), bytes_per_pixel);
        while ((out.size() - start) % 4)
            out.push_back(0xEE); // filler that must be skipped
    }
    return out;
}

inline void write_file(const std::string& path, const std::vector<uint8_t>& bytes) {
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return;
    if (!bytes.empty()) std::fwrite(bytes.data(), 1, bytes.size(), f);
    std::fclose(f);
}

// A font whose every glyph pixel tells where it came from: code in the red
// byte, the cell row in green, the cell column in blue. Cells of codes past
// the image (if it is smaller than 176 x 78) are simply absent.
inline uint32_t font_pixel(int x, int y) {
    uint32_t code = 32 + (uint32_t)(y / 13) * 16 + (uint32_t)(x / 11);
    return code << 16 | (uint32_t)(y % 13) << 8 | (uint32_t)(x % 11);
}

inline std::vector<uint8_t> font_bmp(int width = 176, int height = 78) {
    return bmp_bytes({width, height}, font_pixel);
}
