// PNG files of 0x00RRGGBB pictures, with libpng: velmor-capture writes its
// frames with it, the tests and match_frame read them back.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Writes an 8-bit RGB PNG. False when the file cannot be written (nothing is
// left behind then).
bool png_write_rgb(const std::string& path, const uint32_t* pixels, int32_t width, int32_t height);

struct PngPicture {
    uint32_t width = 0, height = 0;
    bool stored_as_rgb8 = false;  // the file itself is 8-bit RGB without alpha
    std::vector<uint32_t> pixels; // 0x00RRGGBB, converted from whatever the file holds
};

// Reads any PNG; false when it cannot be read.
bool png_read(const std::string& path, PngPicture& picture);
