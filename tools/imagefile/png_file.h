// PNG files of 0x00RRGGBB pictures, with libpng: velmor-capture writes its
// frames with it, velmor-render its stills (with alpha), the tests and
// match_frame read them back. A build without libpng (the Windows cross
// build) has png_write_stream only, made by the stored writer.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

// Writes an 8-bit RGB PNG. False when the file cannot be written (nothing is
// left behind then).
bool png_write_rgb(const std::string& path, const uint32_t* pixels, int32_t width, int32_t height);
// Writes an 8-bit PNG to an open file: RGBA from 0xAARRGGBB pixels when alpha,
// else RGB from 0x00RRGGBB. False when libpng or the file failed.
bool png_write_stream(FILE* file, const uint32_t* pixels, int32_t width, int32_t height,
                      bool alpha);
// The same pixels without libpng: the image data in stored (uncompressed)
// deflate blocks. False when the file failed.
bool png_stored_write_stream(FILE* file, const uint32_t* pixels, int32_t width, int32_t height,
                             bool alpha);
// One row of 8-bit samples: R, G, B and, with alpha, A from the top byte.
void png_row_pack(const uint32_t* pixels, int32_t width, bool alpha, uint8_t* row);

struct PngPicture {
    uint32_t width = 0, height = 0;
    bool stored_as_rgb8 = false;  // the file itself is 8-bit RGB without alpha
    std::vector<uint32_t> pixels; // 0x00RRGGBB, converted from whatever the file holds
};

// Reads any PNG; false when it cannot be read.
bool png_read(const std::string& path, PngPicture& picture);
// The same with the alpha kept: pixels 0xAARRGGBB (0xFF where the file has no
// alpha); stored_as_rgb8 then tells whether the file has none.
bool png_read_rgba(const std::string& path, PngPicture& picture);
