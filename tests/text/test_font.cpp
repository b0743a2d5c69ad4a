#include <gtest/gtest.h>

#include <string>
#include <unistd.h>
#include <vector>

#include "bmp_writer.h"
#include "text/text.h"

namespace {

constexpr int W = 512, H = 384;
constexpr uint32_t BACKDROP = 0x00123456;

// Runs each test in a fresh folder of its own, where font_init finds Font.bmp.
class Font : public testing::Test {
  protected:
    void SetUp() override {
        char here[4096];
        ASSERT_NE(getcwd(here, sizeof here), nullptr);
        previous_dir = here;
        std::string dir = testing::TempDir() + "velmor_font_XXXXXX";
        ASSERT_NE(mkdtemp(dir.data()), nullptr);
        ASSERT_EQ(chdir(dir.c_str()), 0);
        font_state = FontState{};
        target.assign(W * H, BACKDROP);
    }
    void TearDown() override {
        font_release();
        std::remove("Font.bmp");
        EXPECT_EQ(chdir(previous_dir.c_str()), 0);
    }
    void load_font(int width = 176, int height = 78) {
        write_file("Font.bmp", font_bmp(width, height));
        ASSERT_EQ(font_init(W, H), 1);
    }
    uint32_t at(int x, int y) const { return target[y * W + x]; }
    int changed() const {
        int n = 0;
        for (uint32_t p : target)
            n += p != BACKDROP;
        return n;
    }
    // Every pixel inside [x0, x1] x [y0, y1] written, none outside.
    void expect_written_box(int x0, int y0, int x1, int y1) const {
        for (int y = 0; y < H; ++y)
            for (int x = 0; x < W; ++x) {
                bool inside = x >= x0 && x <= x1 && y >= y0 && y <= y1;
                ASSERT_EQ(at(x, y) != BACKDROP, inside) << x << "," << y;
            }
    }
    // The pixel at (x, y) is row k, column i of the cell of code c.
    void expect_cell_pixel(int x, int y, int c, int i, int k) const {
        EXPECT_EQ(at(x, y), (uint32_t)(c << 16 | k << 8 | i)) << x << "," << y;
    }
    std::string previous_dir;
    std::vector<uint32_t> target;
};

} // namespace

TEST_F(Font, WithoutAFontNothingIsDrawn) {
    EXPECT_EQ(font_init(W, H), 0);
    EXPECT_EQ(font_state.font_image, nullptr);
    font_draw_text("0.th Frame", 10, 10, target.data());
    write_file("Font.bmp", bmp_bytes({176, 78, 8}, font_pixel));
    EXPECT_EQ(font_init(W, H), 0); // an 8-bit font is refused
    font_draw_char(20, 20, 'A', target.data());
    EXPECT_EQ(changed(), 0);
}

// The counter's text at (10, 10) covers rows 10 to 22 and columns 10 to
// 10 + 11 k - 1, each pixel copied from its own cell, background included.
TEST_F(Font, CounterTextCoversItsBoxCellByCell) {
    load_font();
    const std::string text = "12345.th Frame";
    font_draw_text(text.c_str(), 10, 10, target.data());
    int k = (int)text.size();
    expect_written_box(10, 10, 10 + 11 * k - 1, 22);
    for (int n = 0; n < k; ++n)
        for (int i = 0; i < 11; ++i)
            for (int row = 0; row < 13; ++row)
                expect_cell_pixel(10 + 11 * n + i, 10 + row, (unsigned char)text[n], i, row);
}

// Column 0 and row 0 of the target are never written; the right and bottom
// edges clip at the target's size.
TEST_F(Font, GlyphsAreClippedToTheTarget) {
    load_font();
    font_draw_char(0, 50, 'A', target.data());
    expect_written_box(1, 50, 10, 62);
    expect_cell_pixel(1, 50, 'A', 1, 0);

    target.assign(W * H, BACKDROP);
    font_draw_char(50, 0, 'A', target.data());
    expect_written_box(50, 1, 60, 12);
    expect_cell_pixel(50, 1, 'A', 0, 1);

    target.assign(W * H, BACKDROP);
    font_draw_char(502, 378, 'A', target.data());
    expect_written_box(502, 378, 511, 383);

    target.assign(W * H, BACKDROP);
    font_draw_char(-5, -5, 'A', target.data());
    expect_written_box(1, 1, 5, 7);
    expect_cell_pixel(1, 1, 'A', 6, 6);

    target.assign(W * H, BACKDROP);
    font_draw_text("far away", INT32_MAX - 20, INT32_MIN + 3, target.data());
    font_draw_char(W, 10, 'A', target.data());
    font_draw_char(10, H, 'A', target.data());
    EXPECT_EQ(changed(), 0);
}

// Codes outside 32..127, and cells not wholly inside a smaller font image,
// draw nothing; cells that fit are still drawn.
TEST_F(Font, CharactersWithoutACellDrawNothing) {
    load_font(170, 30); // 15 whole cells across, 2 whole rows down
    const char outside[] = {1, 10, 31, (char)128, (char)255, '/', '@'};
    for (char c : outside)
        font_draw_char(100, 100, c, target.data());
    EXPECT_EQ(changed(), 0);
    font_draw_char(100, 100, '.', target.data()); // column 14, row 0
    expect_written_box(100, 100, 110, 112);
    expect_cell_pixel(110, 112, '.', 10, 12);
}

// A newline starts a line 14 rows lower at the first x; codes below 32 take
// their column without drawing; a space is an opaque box.
TEST_F(Font, LinesColumnsAndSpaces) {
    load_font();
    font_draw_text("a\tb\n c", 20, 30, target.data());
    expect_cell_pixel(20, 30, 'a', 0, 0);
    expect_cell_pixel(42, 30, 'b', 0, 0);
    expect_cell_pixel(20, 44, ' ', 0, 0);
    expect_cell_pixel(31, 44, 'c', 0, 0);
    EXPECT_EQ(at(20, 43), BACKDROP); // the empty row between the lines
    EXPECT_EQ(changed(), 4 * 11 * 13);

    target.assign(W * H, BACKDROP);
    font_draw_text("", 20, 30, target.data());
    font_draw_text("\n", 20, 30, target.data());
    EXPECT_EQ(changed(), 0);
}
