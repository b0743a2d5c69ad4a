// Writes Windows bitmaps: the bundled font (make-font) and the tests' bitmaps
// of any size, bit depth and header, including broken ones. Reading them is
// the program's own image_load_bmp (text/text.h).
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

struct BmpShape {
    int32_t width;
    int32_t height; // negative: rows stored top-down
    uint16_t bit_count = 24;
    uint32_t compression = 0;
    uint16_t type = 0x4D42; // "BM"
    uint32_t pixels_per_metre = 0;
    uint8_t row_filler = 0; // the bytes that pad each row to a multiple of 4
};

// The whole file: the 54 bytes of headers (no palette), then the rows. pixel(x,
// y) gives 0x00RRGGBB for row y counted from the top of the picture; a pixel is
// stored as its bit_count / 8 low bytes, least significant first.
std::vector<uint8_t> bmp_encode(const BmpShape& shape,
                                const std::function<uint32_t(int, int)>& pixel);
