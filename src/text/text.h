// The text overlay: a 24-bit BMP loaded as a grid of 11 x 13 glyph cells, 16 to
// a row from character code 32, copied opaque into a 32-bit target.
#pragma once

#include <cstdint>

// width x height pixels 0x00RRGGBB, top row first, rows of exactly width pixels.
struct Image {
    uint32_t* pixels;
    int32_t width;
    int32_t height;
};

struct FontState {
    Image* font_image; // null when no font is loaded
    int32_t target_width;
    int32_t target_height;
};

extern FontState font_state;

constexpr int32_t GLYPH_WIDTH = 11;
constexpr int32_t GLYPH_HEIGHT = 13;
constexpr int32_t LINE_ADVANCE = 14;

// Reads an uncompressed 24-bit BMP (rows bottom-up, or top-down when the height
// is negative). Null when the file cannot be read or is not such a bitmap;
// image_error() then says why in a few words.
Image* image_load_bmp(const char* file_name);
const char* image_error();
void image_free(Image* image);

// Loads "Font.bmp" from the working directory; false when it cannot.
bool font_init(int32_t target_width, int32_t target_height);
// The same with the font in another file. The font loaded before, if any, is
// released first.
bool font_load(const char* file_name, int32_t target_width, int32_t target_height);
// Copies the cell of c with its top-left corner at (x, y); target pixels outside
// the target or in its column 0 or row 0 are skipped. A code outside 32..127, or
// whose cell does not lie wholly inside the font image, draws nothing.
void font_draw_char(int32_t x, int32_t y, char c, uint32_t* target);
// Characters 11 pixels apart; a newline starts a line 14 pixels lower at x.
void font_draw_text(const char* text, int32_t x, int32_t y, uint32_t* target);
// The same with every font pixel a block of scale x scale pixels, glyphs and
// lines scale times as far apart; scale below 1 draws nothing.
void font_draw_text_scaled(const char* text, int32_t x, int32_t y, int32_t scale, uint32_t* target);
// The target that the loaded font draws into from now on (a picture that
// changed size).
void font_set_target(int32_t target_width, int32_t target_height);
// Frees the font and leaves font_state empty.
void font_release();
