// PNG files without libpng: the image data is a zlib stream of stored
// (uncompressed) deflate blocks, so no compressor is needed. Builds that have
// no libpng (the Windows cross build) write their PNGs with it.
#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdio>
#include <vector>

#include "imagefile/png_file.h"

namespace {

constexpr size_t STORED_BLOCK_MAX = 65535; // a stored block's LEN is 16 bits
constexpr uint32_t ADLER_BASE = 65521;

uint32_t crc32_of(const uint8_t* data, size_t size) {
    static const std::array<uint32_t, 256> table = [] {
        std::array<uint32_t, 256> entries{};
        for (uint32_t n = 0; n < 256; ++n) {
            uint32_t c = n;
            for (int k = 0; k < 8; ++k)
                c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
            entries[n] = c;
        }
        return entries;
    }();
    uint32_t crc = 0xFFFFFFFFu;
    for (size_t i = 0; i < size; ++i)
        crc = table[(crc ^ data[i]) & 0xFF] ^ (crc >> 8);
    return crc ^ 0xFFFFFFFFu;
}

uint32_t adler32_of(const std::vector<uint8_t>& data) {
    uint32_t a = 1, b = 0;
    for (uint8_t byte : data) {
        a = (a + byte) % ADLER_BASE;
        b = (b + a) % ADLER_BASE;
    }
    return b << 16 | a;
}

void put_u32(std::vector<uint8_t>& out, uint32_t value) {
    for (int shift = 24; shift >= 0; shift -= 8)
        out.push_back((uint8_t)(value >> shift));
}

// Length, type, data, and the CRC of type and data.
void put_chunk(std::vector<uint8_t>& file, const char* type, const std::vector<uint8_t>& data) {
    put_u32(file, (uint32_t)data.size());
    const size_t start = file.size();
    file.insert(file.end(), type, type + 4);
    file.insert(file.end(), data.begin(), data.end());
    put_u32(file, crc32_of(&file[start], file.size() - start));
}

// Every row as filter type 0 (none) followed by its samples.
std::vector<uint8_t> scanlines(const uint32_t* pixels, int32_t width, int32_t height, bool alpha) {
    const size_t row_size = 1 + (size_t)width * (alpha ? 4 : 3);
    std::vector<uint8_t> raw(row_size * (size_t)height);
    for (int32_t y = 0; y < height; ++y)
        png_row_pack(pixels + (size_t)y * (size_t)width, width, alpha,
                     &raw[(size_t)y * row_size + 1]);
    return raw;
}

// zlib header (deflate, 32 KiB window), stored blocks, Adler-32 of the data.
std::vector<uint8_t> zlib_stored(const std::vector<uint8_t>& raw) {
    std::vector<uint8_t> stream = {0x78, 0x01};
    size_t at = 0;
    do {
        const size_t size = std::min(raw.size() - at, STORED_BLOCK_MAX);
        const bool last = at + size == raw.size();
        stream.insert(stream.end(), {(uint8_t)last, (uint8_t)size, (uint8_t)(size >> 8),
                                     (uint8_t)~size, (uint8_t)(~size >> 8)});
        stream.insert(stream.end(), raw.begin() + (std::ptrdiff_t)at,
                      raw.begin() + (std::ptrdiff_t)(at + size));
        at += size;
    } while (at < raw.size());
    put_u32(stream, adler32_of(raw));
    return stream;
}

std::vector<uint8_t> header(int32_t width, int32_t height, bool alpha) {
    constexpr uint8_t RGB = 2, RGBA = 6;
    std::vector<uint8_t> data;
    put_u32(data, (uint32_t)width);
    put_u32(data, (uint32_t)height);
    // 8 bits a sample, deflate, adaptive filtering, no interlace
    data.insert(data.end(), {8, alpha ? RGBA : RGB, 0, 0, 0});
    return data;
}

} // namespace

void png_row_pack(const uint32_t* pixels, int32_t width, bool alpha, uint8_t* row) {
    const int channels = alpha ? 4 : 3;
    for (int32_t x = 0; x < width; ++x) {
        uint8_t* out = row + (size_t)channels * (size_t)x;
        out[0] = (uint8_t)(pixels[x] >> 16);
        out[1] = (uint8_t)(pixels[x] >> 8);
        out[2] = (uint8_t)pixels[x];
        if (alpha) out[3] = (uint8_t)(pixels[x] >> 24);
    }
}

bool png_stored_write_stream(FILE* file, const uint32_t* pixels, int32_t width, int32_t height,
                             bool alpha) {
    std::vector<uint8_t> png = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    put_chunk(png, "IHDR", header(width, height, alpha));
    put_chunk(png, "IDAT", zlib_stored(scanlines(pixels, width, height, alpha)));
    put_chunk(png, "IEND", {});
    return std::fwrite(png.data(), 1, png.size(), file) == png.size();
}
