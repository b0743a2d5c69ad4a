// Files for the tests: small Windows bitmaps of any size, bit depth and
// compression, a font whose pixels tell where they came from, and a fresh
// folder for each test to write them in.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <string>
#include <unistd.h>
#include <vector>

struct BmpShape {
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
inline std::vector<uint8_t> bmp_bytes(const BmpShape& shape,
                                      const std::function<uint32_t(int, int)>& pixel) {
    int rows = shape.height < 0 ? -shape.height : shape.height;
    int bytes_per_pixel = shape.bit_count / 8;
    int row_size = (shape.width * bytes_per_pixel + 3) & ~3;
    std::vector<uint8_t> out;
    bmp_put(out, shape.type, 2);
    bmp_put(out, 54 + row_size * rows, 4);
    bmp_put(out, 0, 4);
    bmp_put(out, 54, 4);
    bmp_put(out, 40, 4);
    bmp_put(out, (uint32_t)shape.width, 4);
    bmp_put(out, (uint32_t)shape.height, 4);
    bmp_put(out, 1, 2);
    bmp_put(out, shape.bit_count, 2);
    bmp_put(out, shape.compression, 4);
    bmp_put(out, (uint32_t)(row_size * rows), 4);
    for (int i = 0; i < 4; ++i)
        bmp_put(out, 0, 4); // resolution and palette counts
    for (int i = 0; i < rows; ++i) {
        int y = shape.height < 0 ? i : rows - 1 - i;
        size_t start = out.size();
        for (int x = 0; x < shape.width; ++x)
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

// The test font's pixel at column i, row k of the cell of code c: the code in
// the red byte, the row in green, the column in blue. Never black.
inline uint32_t glyph_pixel(int c, int i, int k) {
    return (uint32_t)c << 16 | (uint32_t)k << 8 | (uint32_t)i;
}

inline uint32_t font_pixel(int x, int y) {
    return glyph_pixel(32 + y / 13 * 16 + x / 11, x % 11, y % 13);
}

// Cells of codes past a smaller image are simply absent.
inline std::vector<uint8_t> font_bmp(int width = 176, int height = 78) {
    return bmp_bytes({width, height}, font_pixel);
}

// Each test runs in a folder of its own (ctest runs several at once), removed afterwards.
class InFreshFolder : public testing::Test {
  protected:
    void SetUp() override {
        previous = std::filesystem::current_path();
        folder = testing::TempDir() + "velmor_XXXXXX";
        ASSERT_NE(mkdtemp(folder.data()), nullptr);
        std::filesystem::current_path(folder);
    }
    void TearDown() override {
        std::filesystem::current_path(previous);
        std::filesystem::remove_all(folder);
    }
    std::filesystem::path previous;
    std::string folder;
};
