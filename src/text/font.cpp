#include "text/text.h"

FontState font_state;

namespace {

constexpr int32_t FIRST_CODE = 32;
constexpr int32_t LAST_CODE = 127;
constexpr int32_t CELLS_PER_ROW = 16;

// Sums of a position and a glyph offset are taken in 64 bits, so a text far off
// the target is clipped rather than overflowing. Each font pixel becomes a
// block of scale x scale target pixels.
void copy_cell(int64_t x, int64_t y, const Image& font, int32_t left, int32_t top, int32_t scale,
               uint32_t* target) {
    int64_t width = font_state.target_width, height = font_state.target_height;
    for (int64_t i = 0; i < GLYPH_WIDTH * scale; ++i) {
        for (int64_t k = 0; k < GLYPH_HEIGHT * scale; ++k) {
            int64_t tx = x + i, ty = y + k;
            if (tx < width && ty < height && tx > 0 && ty > 0)
                target[ty * width + tx] =
                    font.pixels[(top + k / scale) * font.width + left + i / scale];
        }
    }
}

void draw_char_at(int64_t x, int64_t y, char c, int32_t scale, uint32_t* target) {
    const Image* font = font_state.font_image;
    if (!font) return;
    int32_t code = (signed char)c;
    if (code < FIRST_CODE || code > LAST_CODE) return;
    int32_t left = (code % CELLS_PER_ROW) * GLYPH_WIDTH;
    int32_t top = (code - FIRST_CODE) / CELLS_PER_ROW * GLYPH_HEIGHT;
    if (left + GLYPH_WIDTH > font->width || top + GLYPH_HEIGHT > font->height) return;
    copy_cell(x, y, *font, left, top, scale, target);
}

} // namespace

bool font_init(int32_t target_width, int32_t target_height) {
    return font_load("Font.bmp", target_width, target_height);
}

bool font_load(const char* file_name, int32_t target_width, int32_t target_height) {
    font_release();
    font_state.font_image = image_load_bmp(file_name);
    if (!font_state.font_image) return false;
    font_state.target_width = target_width;
    font_state.target_height = target_height;
    return true;
}

void font_set_target(int32_t target_width, int32_t target_height) {
    font_state.target_width = target_width;
    font_state.target_height = target_height;
}

void font_draw_char(int32_t x, int32_t y, char c, uint32_t* target) {
    draw_char_at(x, y, c, 1, target);
}

void font_draw_text(const char* text, int32_t x, int32_t y, uint32_t* target) {
    font_draw_text_scaled(text, x, y, 1, target);
}

void font_draw_text_scaled(const char* text, int32_t x, int32_t y, int32_t scale,
                           uint32_t* target) {
    if (scale < 1) return;
    int64_t line_y = y;
    int64_t column = 0;
    for (const char* p = text; *p; ++p) {
        if (*p == '\n') {
            line_y += (int64_t)LINE_ADVANCE * scale;
            column = -1;
        } else {
            draw_char_at(x + (int64_t)GLYPH_WIDTH * scale * column, line_y, *p, scale, target);
        }
        ++column;
    }
}

void font_release() {
    image_free(font_state.font_image);
    font_state = FontState{};
}
