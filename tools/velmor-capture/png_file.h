// Writes a picture of 0x00RRGGBB pixels as an 8-bit RGB PNG.
#pragma once

#include <cstdint>
#include <string>

bool png_write_rgb(const std::string& path, const uint32_t* pixels, int32_t width, int32_t height);
