#include "imagefile/png_file.h"

#include <csetjmp>
#include <cstdio>
#include <png.h>
#include <vector>

namespace {

void to_rgb(const uint32_t* pixels, int32_t width, uint8_t* row) {
    for (int32_t x = 0; x < width; ++x) {
        row[3 * x] = (uint8_t)(pixels[x] >> 16);
        row[3 * x + 1] = (uint8_t)(pixels[x] >> 8);
        row[3 * x + 2] = (uint8_t)pixels[x];
    }
}

// libpng reports errors by longjmp; nothing with a destructor lives in here.
bool write_rows(png_structp png, png_infop info, FILE* file, const uint32_t* pixels, int32_t width,
                int32_t height, uint8_t* row) {
    if (setjmp(png_jmpbuf(png))) return false;
    png_init_io(png, file);
    png_set_IHDR(png, info, (png_uint_32)width, (png_uint_32)height, 8, PNG_COLOR_TYPE_RGB,
                 PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    for (int32_t y = 0; y < height; ++y) {
        to_rgb(pixels + (size_t)y * (size_t)width, width, row);
        png_write_row(png, row);
    }
    png_write_end(png, info);
    return true;
}

} // namespace

bool png_write_rgb(const std::string& path, const uint32_t* pixels, int32_t width, int32_t height) {
    FILE* file = std::fopen(path.c_str(), "wb");
    if (!file) return false;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    std::vector<uint8_t> row((size_t)width * 3);
    bool ok = info && write_rows(png, info, file, pixels, width, height, row.data());
    png_destroy_write_struct(&png, &info);
    ok = std::fclose(file) == 0 && ok;
    if (!ok) std::remove(path.c_str());
    return ok;
}

bool png_read(const std::string& path, PngPicture& picture) {
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_file(&image, path.c_str())) return false;
    const bool rgb8 = image.format == PNG_FORMAT_RGB;
    image.format = PNG_FORMAT_RGB;
    std::vector<uint8_t> rgb(PNG_IMAGE_SIZE(image));
    if (!png_image_finish_read(&image, nullptr, rgb.data(), 0, nullptr)) {
        png_image_free(&image);
        return false;
    }
    picture.width = image.width;
    picture.height = image.height;
    picture.stored_as_rgb8 = rgb8;
    picture.pixels.resize(rgb.size() / 3);
    for (size_t i = 0; i < picture.pixels.size(); ++i)
        picture.pixels[i] =
            (uint32_t)rgb[3 * i] << 16 | (uint32_t)rgb[3 * i + 1] << 8 | rgb[3 * i + 2];
    return true;
}
