// The bundled font as the text drawing reads it: 176 x 78 pixels, 11 x 13 cells
// from code 32, light glyphs on a dark background, each clear of its cell's
// border so that neighbouring characters never touch.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "text/text.h"

namespace {

int brightness(uint32_t rgb) {
    return (int)((rgb >> 16 & 255) + (rgb >> 8 & 255) + (rgb & 255)) / 3;
}

class BundledFont : public testing::Test {
  protected:
    void SetUp() override {
        font = image_load_bmp((std::string(VELMOR_SOURCE_DIR) + "/assets/Font.bmp").c_str());
        ASSERT_NE(font, nullptr) << image_error();
        ASSERT_EQ(font->width, 176);
        ASSERT_EQ(font->height, 78);
    }
    void TearDown() override { image_free(font); }
    // Column i, row k of the cell of code c.
    uint32_t at(int c, int i, int k) const {
        return font->pixels[((c - 32) / 16 * 13 + k) * 176 + c % 16 * 11 + i];
    }
    bool same_glyph(int a, int b) const {
        for (int k = 0; k < 13; ++k)
            for (int i = 0; i < 11; ++i)
                if (at(a, i, k) != at(b, i, k)) return false;
        return true;
    }
    // The lowest row holding a pixel brighter than half way.
    int bottom_row(int c) const {
        for (int k = 12; k >= 0; --k)
            for (int i = 0; i < 11; ++i)
                if (brightness(at(c, i, k)) > 128) return k;
        return -1;
    }
    Image* font = nullptr;
};

} // namespace

TEST_F(BundledFont, GlyphsAreLightOnDarkAndKeepClearOfTheirCellBorder) {
    const uint32_t background = at(' ', 0, 0);
    EXPECT_LT(brightness(background), 40);
    int brightest = 0;
    for (int c = 32; c < 128; ++c) {
        bool ink = false;
        for (int k = 0; k < 13; ++k)
            for (int i = 0; i < 11; ++i) {
                if (i == 0 || k == 0 || i == 10 || k == 12) {
                    EXPECT_EQ(at(c, i, k), background) << "code " << c << " at " << i << "," << k;
                }
                ink |= at(c, i, k) != background;
                brightest = std::max(brightest, brightness(at(c, i, k)));
            }
        EXPECT_EQ(ink, c > 32 && c < 127) << "code " << c;
    }
    EXPECT_GT(brightest, 200);
}

TEST_F(BundledFont, EveryGlyphIsDistinctAndFlatBottomedOnesShareABaseline) {
    for (int a = 33; a < 127; ++a)
        for (int b = a + 1; b < 127; ++b)
            EXPECT_FALSE(same_glyph(a, b)) << "'" << (char)a << "' and '" << (char)b << "'";
    for (char c : std::string("12ABDEFHIKLMNPRTXZhikmnrxz"))
        EXPECT_EQ(bottom_row(c), bottom_row('1')) << "'" << c << "'";
}
