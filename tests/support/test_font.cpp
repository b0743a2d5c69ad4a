#include "support/test_font.h"

#include "imagefile/bmp_file.h"

uint32_t glyph_pixel(int c, int i, int k) {
    return (uint32_t)c << 16 | (uint32_t)k << 8 | (uint32_t)i;
}

uint32_t font_pixel(int x, int y) {
    return glyph_pixel(32 + y / 13 * 16 + x / 11, x % 11, y % 13);
}

std::vector<uint8_t> font_bmp(int width, int height) {
    return bmp_encode({width, height}, font_pixel);
}
