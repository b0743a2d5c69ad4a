// The bundled font as the text drawing reads it: a 176 x 78 grid of 11 x 13
// cells from code 32, light glyphs on a dark background, each glyph clear of its
// cell's border so that neighbouring characters never touch.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

constexpr int cell_w = 11, cell_h = 13;

uint32_t le(const std::vector<uint8_t>& b, size_t at, int size) {
    uint32_t v = 0;
    for (int i = size - 1; i >= 0; --i)
        v = v << 8 | b[at + i];
    return v;
}

struct FontImage {
    std::vector<uint8_t> file;
    int width = 0, height = 0;
    // 0x00RRGGBB, top row first; rows are stored bottom-up in the file.
    uint32_t pixel(int x, int y) const {
        size_t at = 54 + (size_t)(height - 1 - y) * ((width * 3 + 3) & ~3) + 3 * x;
        return le(file, at, 3);
    }
};

FontImage load_font() {
    std::ifstream in(std::string(VELMOR_SOURCE_DIR) + "/assets/Font.bmp", std::ios::binary);
    FontImage image;
    image.file.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    if (image.file.size() >= 54) {
        image.width = (int)le(image.file, 18, 4);
        image.height = (int)le(image.file, 22, 4);
    }
    return image;
}

int brightness(uint32_t rgb) {
    return (int)((rgb >> 16 & 255) + (rgb >> 8 & 255) + (rgb & 255)) / 3;
}

int cell_left(int code) {
    return (code % 16) * cell_w;
}
int cell_top(int code) {
    return (code - 32) / 16 * cell_h;
}

bool has_ink(const FontImage& f, int code, uint32_t background) {
    for (int y = 0; y < cell_h; ++y)
        for (int x = 0; x < cell_w; ++x)
            if (f.pixel(cell_left(code) + x, cell_top(code) + y) != background) return true;
    return false;
}

// The lowest cell row holding a pixel brighter than half way.
int bottom_ink_row(const FontImage& f, int code) {
    for (int y = cell_h - 1; y >= 0; --y)
        for (int x = 0; x < cell_w; ++x)
            if (brightness(f.pixel(cell_left(code) + x, cell_top(code) + y)) > 128) return y;
    return -1;
}

} // namespace

TEST(FontImage, IsAnUncompressedBottomUp24BitBitmapOfTheGlyphGrid) {
    FontImage f = load_font();
    ASSERT_EQ(f.file.size(), 54u + 176u * 3u * 78u);
    EXPECT_EQ(le(f.file, 0, 2), 0x4D42u);       // BM
    EXPECT_EQ(le(f.file, 2, 4), f.file.size()); // file size
    EXPECT_EQ(le(f.file, 10, 4), 54u);          // pixels right after the headers
    EXPECT_EQ(le(f.file, 14, 4), 40u);          // information header size
    EXPECT_EQ(f.width, 176);
    EXPECT_EQ(f.height, 78);           // positive: bottom-up rows
    EXPECT_EQ(le(f.file, 28, 2), 24u); // bits per pixel
    EXPECT_EQ(le(f.file, 30, 4), 0u);  // BI_RGB
}

TEST(FontImage, GlyphsAreLightOnDarkAndKeepClearOfTheirCellBorder) {
    FontImage f = load_font();
    ASSERT_EQ(f.width, 176);
    const uint32_t background = f.pixel(0, 0);
    EXPECT_LT(brightness(background), 40);
    int brightest = 0;
    for (int code = 32; code < 128; ++code) {
        SCOPED_TRACE("code " + std::to_string(code));
        for (int i = 0; i < cell_w; ++i) {
            EXPECT_EQ(f.pixel(cell_left(code) + i, cell_top(code)), background);
            EXPECT_EQ(f.pixel(cell_left(code) + i, cell_top(code) + cell_h - 1), background);
        }
        for (int k = 0; k < cell_h; ++k) {
            EXPECT_EQ(f.pixel(cell_left(code), cell_top(code) + k), background);
            EXPECT_EQ(f.pixel(cell_left(code) + cell_w - 1, cell_top(code) + k), background);
            for (int i = 0; i < cell_w; ++i)
                brightest = std::max(brightest,
                                     brightness(f.pixel(cell_left(code) + i, cell_top(code) + k)));
        }
        bool printable = code > 32 && code < 127;
        EXPECT_EQ(has_ink(f, code, background), printable);
    }
    EXPECT_GT(brightest, 200);
}

TEST(FontImage, EveryGlyphIsDistinctAndFlatBottomedOnesShareABaseline) {
    FontImage f = load_font();
    ASSERT_EQ(f.width, 176);
    for (int a = 33; a < 127; ++a)
        for (int b = a + 1; b < 127; ++b) {
            bool same = true;
            for (int y = 0; y < cell_h && same; ++y)
                for (int x = 0; x < cell_w && same; ++x)
                    same = f.pixel(cell_left(a) + x, cell_top(a) + y) ==
                           f.pixel(cell_left(b) + x, cell_top(b) + y);
            EXPECT_FALSE(same) << "'" << (char)a << "' and '" << (char)b << "'";
        }
    const std::string flat = "12ABDEFHIKLMNPRTXZhikmnrxz";
    const int baseline = bottom_ink_row(f, '1');
    for (char c : flat)
        EXPECT_EQ(bottom_ink_row(f, c), baseline) << "'" << c << "'";
}
