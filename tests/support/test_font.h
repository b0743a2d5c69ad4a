// A font for the tests whose pixels tell where they came from.
#pragma once

#include <cstdint>
#include <vector>

// The test font's pixel at column i, row k of the cell of code c: the code in
// the red byte, the row in green, the column in blue. Never black.
uint32_t glyph_pixel(int c, int i, int k);
// The pixel at (x, y) of the whole font image, rows counted from the top.
uint32_t font_pixel(int x, int y);
// The font as a 24-bit BMP file; cells of codes past a smaller image are
// simply absent.
std::vector<uint8_t> font_bmp(int width = 176, int height = 78);
