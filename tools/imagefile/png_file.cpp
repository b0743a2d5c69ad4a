#include "imagefile/png_file.h"

#include <csetjmp>
#include <cstdio>
#include <png.h>
#include <vector>

namespace {

// libpng reports errors by longjmp; nothing with a destructor lives in here.
bool write_rows(png_structp png, png_infop info, FILE* file, const uint32_t* pixels, int32_t width,
                int32_t height, bool alpha, uint8_t* row) {
    if (setjmp(png_jmpbuf(png))) return false;
    png_init_io(png, file);
    // Pictures of flat shades and gradients: one filter and light compression
    // write them several times faster than libpng's defaults, a little larger.
    png_set_filter(png, PNG_FILTER_TYPE_BASE, PNG_FILTER_SUB);
    png_set_compression_level(png, 3);
    png_set_IHDR(png, info, (png_uint_32)width, (png_uint_32)height, 8,
                 alpha ? PNG_COLOR_TYPE_RGB_ALPHA : PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    for (int32_t y = 0; y < height; ++y) {
        png_row_pack(pixels + (size_t)y * (size_t)width, width, alpha, row);
        png_write_row(png, row);
    }
    png_write_end(png, info);
    return true;
}

} // namespace

bool png_write_stream(FILE* file, const uint32_t* pixels, int32_t width, int32_t height,
                      bool alpha) {
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    std::vector<uint8_t> row((size_t)width * (alpha ? 4 : 3));
    bool ok = info && write_rows(png, info, file, pixels, width, height, alpha, row.data());
    png_destroy_write_struct(&png, &info);
    return ok;
}

bool png_write_rgb(const std::string& path, const uint32_t* pixels, int32_t width, int32_t height) {
    FILE* file = std::fopen(path.c_str(), "wb");
    if (!file) return false;
    bool ok = png_write_stream(file, pixels, width, height, false);
    ok = std::fclose(file) == 0 && ok;
    if (!ok) std::remove(path.c_str());
    return ok;
}

namespace {

// Reads the file as 8-bit RGB or RGBA samples, in picture's size.
bool read_samples(const std::string& path, uint32_t format, PngPicture& picture,
                  std::vector<uint8_t>& samples) {
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_file(&image, path.c_str())) return false;
    picture.stored_as_rgb8 = image.format == PNG_FORMAT_RGB;
    image.format = format;
    samples.resize(PNG_IMAGE_SIZE(image));
    if (!png_image_finish_read(&image, nullptr, samples.data(), 0, nullptr)) {
        png_image_free(&image);
        return false;
    }
    picture.width = image.width;
    picture.height = image.height;
    return true;
}

} // namespace

bool png_read(const std::string& path, PngPicture& picture) {
    std::vector<uint8_t> rgb;
    if (!read_samples(path, PNG_FORMAT_RGB, picture, rgb)) return false;
    picture.pixels.resize(rgb.size() / 3);
    for (size_t i = 0; i < picture.pixels.size(); ++i)
        picture.pixels[i] =
            (uint32_t)rgb[3 * i] << 16 | (uint32_t)rgb[3 * i + 1] << 8 | rgb[3 * i + 2];
    return true;
}

bool png_read_rgba(const std::string& path, PngPicture& picture) {
    std::vector<uint8_t> rgba;
    if (!read_samples(path, PNG_FORMAT_RGBA, picture, rgba)) return false;
    picture.pixels.resize(rgba.size() / 4);
    for (size_t i = 0; i < picture.pixels.size(); ++i)
        picture.pixels[i] = (uint32_t)rgba[4 * i + 3] << 24 | (uint32_t)rgba[4 * i] << 16 |
                            (uint32_t)rgba[4 * i + 1] << 8 | rgba[4 * i + 2];
    return true;
}
