// The PNG writer without libpng (velmor-render's on Windows): libpng must read
// back the same pixels, and zlib must agree with its checksums and blocks.
#include <cstdio>
#include <gtest/gtest.h>
#include <vector>
#include <zlib.h>

#include "imagefile/png_file.h"
#include "still/still_run.h"
#include "support/fresh_folder.h"

namespace {

// Every byte value in every channel, alpha included.
std::vector<uint32_t> pattern(int32_t width, int32_t height) {
    std::vector<uint32_t> pixels((size_t)width * (size_t)height);
    for (size_t i = 0; i < pixels.size(); ++i)
        pixels[i] = (uint32_t)(i * 2654435761u) ^ (uint32_t)(i >> 3);
    return pixels;
}

std::string write_stored(const std::vector<uint32_t>& pixels, int32_t width, int32_t height,
                         bool alpha) {
    FILE* file = std::fopen("stored.png", "wb");
    EXPECT_TRUE(file && png_stored_write_stream(file, pixels.data(), width, height, alpha));
    EXPECT_EQ(file ? std::fclose(file) : EOF, 0);
    return slurp("stored.png");
}

uint32_t big_endian(const std::string& bytes, size_t at) {
    return (uint32_t)(uint8_t)bytes[at] << 24 | (uint32_t)(uint8_t)bytes[at + 1] << 16 |
           (uint32_t)(uint8_t)bytes[at + 2] << 8 | (uint8_t)bytes[at + 3];
}

// The chunks' CRCs, and IDAT's stored blocks with their Adler-32; the count of blocks.
size_t check_layout(const std::string& png) {
    std::string types, data;
    size_t at = 8;
    while (at + 12 <= png.size()) {
        const uint32_t length = big_endian(png, at);
        const auto* typed = (const Bytef*)png.data() + at + 4;
        EXPECT_EQ(big_endian(png, at + 8 + length), crc32(0, typed, length + 4));
        types += png.substr(at + 4, 4) + " ";
        if (png.compare(at + 4, 4, "IDAT") == 0) data = png.substr(at + 8, length);
        at += 12 + length;
    }
    EXPECT_EQ(types, "IHDR IDAT IEND ");
    std::string raw;
    size_t blocks = 0, pos = 2;
    for (bool last = false; !last && pos + 5 <= data.size(); ++blocks) {
        last = data[pos] == 1;
        const size_t size = (uint8_t)data[pos + 1] | (size_t)(uint8_t)data[pos + 2] << 8;
        EXPECT_EQ((uint8_t)data[pos + 3] | (size_t)(uint8_t)data[pos + 4] << 8, size ^ 0xFFFF);
        raw += data.substr(pos + 5, size);
        pos += 5 + size;
    }
    EXPECT_EQ(pos + 4, data.size());
    EXPECT_EQ(big_endian(data, pos), adler32(1, (const Bytef*)raw.data(), (uInt)raw.size()));
    return blocks;
}

class PngStored : public InFreshFolder {};

TEST_F(PngStored, LibpngReadsBackTheSamePixelsRgbAndRgba) {
    struct Case {
        int32_t width, height;
        bool alpha;
        size_t blocks;
    };
    // 28 x 771 RGB is exactly one full block; 300 x 250 needs several.
    for (const Case& c : {Case{300, 250, false, 4}, Case{300, 250, true, 5},
                          Case{28, 771, false, 1}, Case{1, 1, false, 1}, Case{1, 1, true, 1}}) {
        SCOPED_TRACE(testing::Message() << c.width << "x" << c.height << " alpha " << c.alpha);
        const std::vector<uint32_t> pixels = pattern(c.width, c.height);
        EXPECT_EQ(check_layout(write_stored(pixels, c.width, c.height, c.alpha)), c.blocks);
        PngPicture read;
        ASSERT_TRUE(png_read_rgba("stored.png", read));
        EXPECT_EQ(read.width, (uint32_t)c.width);
        EXPECT_EQ(read.height, (uint32_t)c.height);
        EXPECT_EQ(read.stored_as_rgb8, !c.alpha);
        ASSERT_EQ(read.pixels.size(), pixels.size());
        for (size_t i = 0; i < pixels.size(); ++i)
            ASSERT_EQ(read.pixels[i], c.alpha ? pixels[i] : 0xFF000000u | pixels[i]) << i;
    }
}

} // namespace
