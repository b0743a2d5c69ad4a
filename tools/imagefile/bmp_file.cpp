#include "bmp_file.h"

namespace {

constexpr uint32_t HEADERS_SIZE = 14 + 40; // file header, then info header

void put_le(std::vector<uint8_t>& out, uint32_t value, int size) {
    for (int i = 0; i < size; ++i)
        out.push_back((uint8_t)(value >> (8 * i)));
}

} // namespace

std::vector<uint8_t> bmp_encode(const BmpShape& shape,
                                const std::function<uint32_t(int, int)>& pixel) {
    const int rows = shape.height < 0 ? -shape.height : shape.height;
    const int bytes_per_pixel = shape.bit_count / 8;
    const uint32_t row_size = (uint32_t)(shape.width * bytes_per_pixel + 3) & ~3u;
    const uint32_t pixel_bytes = row_size * (uint32_t)rows;
    std::vector<uint8_t> out;
    put_le(out, shape.type, 2);
    put_le(out, HEADERS_SIZE + pixel_bytes, 4);
    put_le(out, 0, 4); // reserved
    put_le(out, HEADERS_SIZE, 4);
    put_le(out, 40, 4);
    put_le(out, (uint32_t)shape.width, 4);
    put_le(out, (uint32_t)shape.height, 4);
    put_le(out, 1, 2); // planes
    put_le(out, shape.bit_count, 2);
    put_le(out, shape.compression, 4);
    put_le(out, pixel_bytes, 4);
    put_le(out, shape.pixels_per_metre, 4);
    put_le(out, shape.pixels_per_metre, 4);
    put_le(out, 0, 4); // palette colours
    put_le(out, 0, 4); // important colours
    for (int i = 0; i < rows; ++i) {
        const int y = shape.height < 0 ? i : rows - 1 - i;
        const size_t start = out.size();
        for (int x = 0; x < shape.width; ++x)
            put_le(out, pixel(x, y), bytes_per_pixel);
        while ((out.size() - start) % 4)
            out.push_back(shape.row_filler);
    }
    return out;
}
