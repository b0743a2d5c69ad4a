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

constexpr int cell_width = 11, cell_height = 13, cells_per_row = 16;
constexpr int first_code = 32, code_count = 96;
constexpr int image_width = cell_width * cells_per_row;                  // 176
constexpr int image_height = cell_height * (code_count / cells_per_row); // 78
constexpr int margin = 1;
constexpr int ink_width = cell_width - 2 * margin, ink_height = cell_height - 2 * margin;

struct Rgb {
    int r, g, b;
};
constexpr Rgb background = {10, 12, 24}; // dark blue-black: an opaque label box
constexpr Rgb foreground = {255, 250, 225};

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
    for (int code = first_code + 1; code < first_code + code_count - 1; ++code) {
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
        if (extent.ascent + extent.descent <= ink_height && extent.width <= ink_width) return size;
    }
    return 0;
}

// Places a glyph in its cell: the advance box centred across the cell, the
// baseline where the tallest glyph just fits, and nothing over the margin.
void draw_glyph(const Glyph& g, int advance, const Extent& extent, int cell_x, int cell_y,
                std::vector<uint8_t>& coverage) {
    int pen_x = margin + (ink_width - advance) / 2;
    int baseline = margin + extent.ascent + (ink_height - extent.ascent - extent.descent) / 2;
    int x0 = std::clamp(pen_x + g.left, margin, margin + ink_width - g.width);
    int y0 = std::clamp(baseline - g.top, margin, margin + ink_height - g.rows);
    for (int y = 0; y < g.rows; ++y)
        for (int x = 0; x < g.width; ++x)
            coverage[(cell_y + y0 + y) * image_width + cell_x + x0 + x] =
                g.coverage[y * g.width + x];
}

int blend(int back, int front, int alpha) {
    return (back * (255 - alpha) + front * alpha + 127) / 255;
}

// Uncompressed 24-bit BMP, rows from the bottom of the picture up, at 72 dots
// per inch.
std::vector<uint8_t> encode_bmp(const std::vector<uint8_t>& coverage) {
    BmpShape shape{image_width, image_height};
    shape.pixels_per_metre = 2835;
    return bmp_encode(shape, [&](int x, int y) {
        const int a = coverage[y * image_width + x];
        return (uint32_t)blend(background.r, foreground.r, a) << 16 |
               (uint32_t)blend(background.g, foreground.g, a) << 8 |
               (uint32_t)blend(background.b, foreground.b, a);
    });
}

bool render_font(FT_Face face, std::vector<uint8_t>& coverage) {
    Extent extent;
    int size = choose_size(face, extent);
    if (size == 0) return false;
    std::printf("pixel size %d: ascent %d, descent %d, widest %d\n", size, extent.ascent,
                extent.descent, extent.width);
    coverage.assign(image_width * image_height, 0);
    for (int i = 1; i < code_count - 1; ++i) { // space and DEL stay empty
        Glyph g;
        if (!render_glyph(face, first_code + i, g)) return false;
        int advance = (int)((face->glyph->advance.x + 32) >> 6);
        draw_glyph(g, advance, extent, (i % cells_per_row) * cell_width,
                   (i / cells_per_row) * cell_height, coverage);
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
