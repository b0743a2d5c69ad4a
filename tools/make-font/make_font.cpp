// make-font OUT.bmp [FONT]: renders the bitmap font of the frame counter from a
// monospaced TrueType face (DejaVu Sans Mono by default) with FreeType.
//
// The result is a 176 x 78, 24-bit, bottom-up BMP: cells of 11 x 13 pixels, 16
// to a row, codes 32 to 127. Each glyph keeps a one-pixel margin inside its
// cell, so neighbouring characters never touch; grey levels are kept and the
// outlines are hinted, which reads best at 1:1.
#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_DRIVER_H
#include FT_MODULE_H

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <vector>

#include "imagefile/bmp_file.h"

#ifndef VELMOR_DEFAULT_FONT
#define VELMOR_DEFAULT_FONT "/usr/share/fonts/truetype/dejavu/DejaVuSansMono.ttf"
#endif

namespace {

constexpr int CELL_WIDTH = 11, CELL_HEIGHT = 13, CELLS_PER_ROW = 16;
constexpr int FIRST_CODE = 32, CODE_COUNT = 96;
constexpr int IMAGE_WIDTH = CELL_WIDTH * CELLS_PER_ROW;                  // 176
constexpr int IMAGE_HEIGHT = CELL_HEIGHT * (CODE_COUNT / CELLS_PER_ROW); // 78
constexpr int MARGIN = 1;
constexpr int INK_WIDTH = CELL_WIDTH - 2 * MARGIN, INK_HEIGHT = CELL_HEIGHT - 2 * MARGIN;

struct Rgb {
    int r, g, b;
};
constexpr Rgb BACKGROUND = {10, 12, 24}; // dark blue-black: an opaque label box
constexpr Rgb FOREGROUND = {255, 250, 225};

struct Glyph {
    int left, top; // bitmap offset from the pen position on the baseline
    int width, rows;
    std::vector<uint8_t> coverage;
};

bool render_glyph(FT_Face face, int code, Glyph& glyph) {
    if (FT_Load_Char(face, code, FT_LOAD_RENDER | FT_LOAD_TARGET_NORMAL)) return false;
    const FT_Bitmap& bitmap = face->glyph->bitmap;
    glyph = {
        face->glyph->bitmap_left, face->glyph->bitmap_top, (int)bitmap.width, (int)bitmap.rows, {}};
    for (int y = 0; y < glyph.rows; ++y)
        for (int x = 0; x < glyph.width; ++x)
            glyph.coverage.push_back(bitmap.buffer[y * bitmap.pitch + x]);
    return true;
}

struct Extent {
    int ascent = 0, descent = 0, width = 0;
};

// The rows above and below the baseline and the widest bitmap over every glyph.
// The underscore hangs a row below every descender; it is lifted onto the
// margin when drawn rather than shrinking the whole font for it.
bool measure(FT_Face face, Extent& extent) {
    extent = {};
    for (int code = FIRST_CODE + 1; code < FIRST_CODE + CODE_COUNT - 1; ++code) {
        Glyph g;
        if (!render_glyph(face, code, g)) return false;
        if (g.rows == 0) continue;
        extent.ascent = std::max(extent.ascent, g.top);
        if (code != '_') extent.descent = std::max(extent.descent, g.rows - g.top);
        extent.width = std::max(extent.width, g.width);
    }
    return true;
}

// The largest pixel size at which every glyph fits inside the cell's margin.
int choose_size(FT_Face face, Extent& extent) {
    for (int size = 24; size >= 6; --size) {
        if (FT_Set_Pixel_Sizes(face, 0, size) || !measure(face, extent)) return 0;
        if (extent.ascent + extent.descent <= INK_HEIGHT && extent.width <= INK_WIDTH) return size;
    }
    return 0;
}

// Places a glyph in its cell: the advance box centred across the cell, the
// baseline where the tallest glyph just fits, and nothing over the margin.
void draw_glyph(const Glyph& g, int advance, const Extent& extent, int cell_x, int cell_y,
                std::vector<uint8_t>& coverage) {
    int pen_x = MARGIN + (INK_WIDTH - advance) / 2;
    int baseline = MARGIN + extent.ascent + (INK_HEIGHT - extent.ascent - extent.descent) / 2;
    int x0 = std::clamp(pen_x + g.left, MARGIN, MARGIN + INK_WIDTH - g.width);
    int y0 = std::clamp(baseline - g.top, MARGIN, MARGIN + INK_HEIGHT - g.rows);
    for (int y = 0; y < g.rows; ++y)
        for (int x = 0; x < g.width; ++x)
            coverage[(cell_y + y0 + y) * IMAGE_WIDTH + cell_x + x0 + x] =
                g.coverage[y * g.width + x];
}

int blend(int back, int front, int alpha) {
    return (back * (255 - alpha) + front * alpha + 127) / 255;
}

// Uncompressed 24-bit BMP, rows from the bottom of the picture up, at 72 dots
// per inch.
std::vector<uint8_t> encode_bmp(const std::vector<uint8_t>& coverage) {
    BmpShape shape{IMAGE_WIDTH, IMAGE_HEIGHT};
    shape.pixels_per_metre = 2835;
    return bmp_encode(shape, [&](int x, int y) {
        const int a = coverage[y * IMAGE_WIDTH + x];
        return (uint32_t)blend(BACKGROUND.r, FOREGROUND.r, a) << 16 |
               (uint32_t)blend(BACKGROUND.g, FOREGROUND.g, a) << 8 |
               (uint32_t)blend(BACKGROUND.b, FOREGROUND.b, a);
    });
}

bool render_font(FT_Face face, std::vector<uint8_t>& coverage) {
    Extent extent;
    int size = choose_size(face, extent);
    if (size == 0) return false;
    std::printf("pixel size %d: ascent %d, descent %d, widest %d\n", size, extent.ascent,
                extent.descent, extent.width);
    coverage.assign(IMAGE_WIDTH * IMAGE_HEIGHT, 0);
    for (int i = 1; i < CODE_COUNT - 1; ++i) { // space and DEL stay empty
        Glyph g;
        if (!render_glyph(face, FIRST_CODE + i, g)) return false;
        int advance = (int)((face->glyph->advance.x + 32) >> 6);
        draw_glyph(g, advance, extent, (i % CELLS_PER_ROW) * CELL_WIDTH,
                   (i / CELLS_PER_ROW) * CELL_HEIGHT, coverage);
    }
    return true;
}

bool write_file(const char* path, const std::vector<uint8_t>& bytes) {
    FILE* f = std::fopen(path, "wb");
    if (!f) return false;
    bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    return std::fclose(f) == 0 && ok;
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 2 || argc > 3) {
        std::fprintf(stderr, "usage: make-font OUT.bmp [FONT.ttf]\n");
        return 2;
    }
    const char* font_path = argc == 3 ? argv[2] : VELMOR_DEFAULT_FONT;
    FT_Library library;
    FT_Face face;
    if (FT_Init_FreeType(&library)) return 1;
    // The full bytecode interpreter also hints horizontally: crisper stems at this size.
    FT_UInt interpreter = TT_INTERPRETER_VERSION_35;
    FT_Property_Set(library, "truetype", "interpreter-version", &interpreter);
    if (FT_New_Face(library, font_path, 0, &face)) {
        std::fprintf(stderr, "make-font: cannot open %s\n", font_path);
        return 1;
    }
    std::vector<uint8_t> coverage;
    bool ok = render_font(face, coverage) && write_file(argv[1], encode_bmp(coverage));
    if (!ok) std::fprintf(stderr, "make-font: cannot render or write %s\n", argv[1]);
    FT_Done_Face(face);
    FT_Done_FreeType(library);
    return ok ? 0 : 1;
}
