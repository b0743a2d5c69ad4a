// The counter's text box is checked pixel by pixel by the shell's tests.
#include "support/test_font.h"
#include "support/fresh_folder.h"
#include "text/text.h"

namespace {

constexpr int W = 512, H = 384;
constexpr uint32_t BACKDROP = 0x00123456;

class Font : public InFreshFolder {
  protected:
    void SetUp() override {
        InFreshFolder::SetUp();
        font_state = FontState{};
        clear();
    }
    void TearDown() override {
        font_release();
        InFreshFolder::TearDown();
    }
    void load_font(int width = 176, int height = 78) {
        write_file("Font.bmp", font_bmp(width, height));
        ASSERT_TRUE(font_init(W, H));
    }
    void clear() { target.assign(W * H, BACKDROP); }
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
    // The pixel at (x, y) is column i, row k of the cell of code c.
    void expect_cell_pixel(int x, int y, int c, int i, int k) const {
        EXPECT_EQ(at(x, y), glyph_pixel(c, i, k)) << x << "," << y;
    }
    std::vector<uint32_t> target;
};

} // namespace

// Column 0 and row 0 of the target are never written; the right and bottom
// edges clip at the target's size; far off the target nothing is drawn.
TEST_F(Font, GlyphsAreClippedToTheTarget) {
    load_font();
    const struct {
        int x, y;
        int x0, y0, x1, y1; // the part drawn
    } cases[] = {
        {0, 50, 1, 50, 10, 62},
        {50, 0, 50, 1, 60, 12},
        {502, 378, 502, 378, 511, 383},
        {-5, -5, 1, 1, 5, 7},
    };
    for (const auto& c : cases) {
        clear();
        font_draw_char(c.x, c.y, 'A', target.data());
        expect_written_box(c.x0, c.y0, c.x1, c.y1);
        expect_cell_pixel(c.x0, c.y0, 'A', c.x0 - c.x, c.y0 - c.y);
    }
    clear();
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

    clear();
    font_draw_text("", 20, 30, target.data());
    font_draw_text("\n", 20, 30, target.data());
    EXPECT_EQ(changed(), 0);
}

// A second load replaces the font before it, which is given back (the asan
// preset's leak check sees to that); a load that fails leaves no font.
TEST_F(Font, ALoadReplacesTheFontBefore) {
    load_font(170, 30);
    load_font(); // row 2 of the cells, where '@' is, exists only in this one
    font_draw_char(100, 100, '@', target.data());
    expect_cell_pixel(100, 100, '@', 0, 0);
    clear();
    EXPECT_FALSE(font_load("missing.bmp", W, H));
    font_draw_char(100, 100, 'A', target.data());
    EXPECT_EQ(changed(), 0);
}

// Scaled, each font pixel is a block, glyphs and lines as far apart times the
// scale, and the target's edges clip as unscaled; scale 1 is font_draw_text.
TEST_F(Font, ScaledTextIsBlocksOfTheSamePixels) {
    load_font();
    font_draw_text("AB\nC", 5, 7, target.data());
    std::vector<uint32_t> plain = target;
    clear();
    font_draw_text_scaled("AB\nC", 5, 7, 1, target.data());
    EXPECT_TRUE(target == plain);
    clear();
    font_draw_text_scaled("AB\nC", 0, 20, 3, target.data());
    expect_cell_pixel(1, 20, 'A', 0, 0);
    expect_cell_pixel(2, 22, 'A', 0, 0);
    expect_cell_pixel(3, 23, 'A', 1, 1);
    expect_cell_pixel(33 + 4, 20 + 7, 'B', 1, 2);
    expect_cell_pixel(5, 20 + 42 + 38, 'C', 1, 12);
    EXPECT_EQ(at(10, 60), BACKDROP) << "between the lines";
    EXPECT_EQ(changed(), 3 * 11 * 13 * 9 - 2 * 39) << "all but column 0";
    clear();
    font_draw_text_scaled("A", 10, 10, 0, target.data());
    EXPECT_EQ(changed(), 0);
}
