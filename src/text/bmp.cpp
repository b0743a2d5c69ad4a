#include <climits>
#include <cstdio>
#include <cstdlib>

#include "text/text.h"

namespace {

constexpr int FILE_HEADER_SIZE = 14;
constexpr int INFO_HEADER_SIZE = 40;
constexpr int HEADERS_SIZE = FILE_HEADER_SIZE + INFO_HEADER_SIZE;

const char* load_error = "";

uint32_t read_u16(const uint8_t* p) {
    return (uint32_t)p[0] | (uint32_t)p[1] << 8;
}

uint32_t read_u32(const uint8_t* p) {
    return read_u16(p) | read_u16(p + 2) << 16;
}

struct BmpLayout {
    int32_t width;
    int32_t rows;
    bool top_down;
    int32_t row_size; // bytes of one file row, padded to a multiple of 4
};

// Checks the headers; fills the layout or sets load_error.
bool parse_headers(const uint8_t* h, BmpLayout& layout) {
    if (read_u16(h) != 0x4D42) return load_error = "not a BMP file", false;
    const uint8_t* info = h + FILE_HEADER_SIZE;
    if (read_u16(info + 14) != 24) return load_error = "not 24 bits per pixel", false;
    if (read_u32(info + 16) != 0) return load_error = "compressed", false;
    int64_t width = (int32_t)read_u32(info + 4);
    int64_t height = (int32_t)read_u32(info + 8);
    if (width <= 0 || height == 0) return load_error = "no pixels", false;
    int64_t rows = height < 0 ? -height : height;
    if (width * 3 + 3 > INT32_MAX || width * rows * 4 > INT32_MAX)
        return load_error = "too large", false;
    layout = {(int32_t)width, (int32_t)rows, height < 0, (int32_t)((width * 3 + 3) & ~3)};
    return true;
}

// A file too short for its rows would fail anyway; finding out before the
// pixels are allocated keeps a tiny bad file from asking for gigabytes.
bool holds_rows(FILE* file, const BmpLayout& layout) {
    if (std::fseek(file, 0, SEEK_END) != 0) return true;
    long size = std::ftell(file);
    std::fseek(file, HEADERS_SIZE, SEEK_SET);
    if (size < 0) return true; // unknown: the row reads decide
    return size - HEADERS_SIZE >= (int64_t)layout.row_size * layout.rows;
}

void convert_row(const uint8_t* row, uint32_t* pixels, int32_t width) {
    for (int32_t x = 0; x < width; ++x)
        pixels[x] = (uint32_t)row[3 * x + 2] << 16 | (uint32_t)row[3 * x + 1] << 8 | row[3 * x];
}

bool read_rows(FILE* file, const BmpLayout& layout, uint8_t* row, uint32_t* pixels) {
    for (int32_t i = 0; i < layout.rows; ++i) {
        int32_t y = layout.top_down ? i : layout.rows - 1 - i;
        if (std::fread(row, 1, (size_t)layout.row_size, file) != (size_t)layout.row_size)
            return false;
        convert_row(row, pixels + (size_t)y * (size_t)layout.width, layout.width);
    }
    return true;
}

Image* read_image(FILE* file) {
    uint8_t headers[HEADERS_SIZE];
    if (std::fread(headers, 1, HEADERS_SIZE, file) != HEADERS_SIZE)
        return load_error = "shorter than its headers", nullptr;
    BmpLayout layout;
    if (!parse_headers(headers, layout)) return nullptr;
    if (!holds_rows(file, layout)) return load_error = "shorter than its rows", nullptr;
    Image* image = (Image*)std::malloc(sizeof(Image));
    uint32_t* pixels = (uint32_t*)std::malloc((size_t)layout.width * (size_t)layout.rows * 4);
    uint8_t* row = (uint8_t*)std::malloc((size_t)layout.row_size);
    bool ok = image && pixels && row;
    if (!ok) load_error = "out of memory";
    if (ok && !read_rows(file, layout, row, pixels)) {
        ok = false;
        load_error = "shorter than its rows";
    }
    std::free(row);
    if (!ok) {
        std::free(pixels);
        std::free(image);
        return nullptr;
    }
    *image = {pixels, layout.width, layout.rows};
    return image;
}

} // namespace

Image* image_load_bmp(const char* file_name) {
    FILE* file = std::fopen(file_name, "rb");
    if (!file) return load_error = "cannot open the file", nullptr;
    Image* image = read_image(file);
    std::fclose(file);
    return image;
}

const char* image_error() {
    return load_error;
}

void image_free(Image* image) {
    if (!image) return;
    std::free(image->pixels);
    std::free(image);
}
