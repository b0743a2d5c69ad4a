#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <unistd.h>

#include "bmp_writer.h"
#include "text/text.h"

namespace {

// ctest runs every case in its own process, several at once: each gets its own file.
std::string temp_path(const std::string& name) {
    return testing::TempDir() + "velmor_" + std::to_string(getpid()) + "_" + name;
}

Image* load(const std::vector<uint8_t>& bytes) {
    std::string path = temp_path("image.bmp");
    write_file(path, bytes);
    return image_load_bmp(path.c_str());
}

uint32_t pattern(int x, int y) {
    return (uint32_t)(x * 7 + y * 131) * 0x010305u & 0xFFFFFF;
}

void expect_pattern(const Image* image, int width, int height) {
    ASSERT_NE(image, nullptr);
    ASSERT_EQ(image->width, width);
    ASSERT_EQ(image->height, height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            ASSERT_EQ(image->pixels[y * width + x], pattern(x, y)) << x << "," << y;
}

void expect_rejected(const std::vector<uint8_t>& bytes, const std::string& why) {
    Image* image = load(bytes);
    EXPECT_EQ(image, nullptr);
    EXPECT_EQ(image_load_error(), why);
    image_free(image);
}

} // namespace

// Bottom-up rows, the file's blue-green-red bytes, and rows of 177 pixels whose
// 531 bytes are padded to 532: a missed filler byte shifts every later row.
TEST(ImageLoadBmp, ReadsRowsBottomUpAndSkipsPadding) {
    for (int width : {176, 177, 178, 179, 1}) {
        Image* image = load(bmp_bytes({width, 5}, pattern));
        expect_pattern(image, width, 5);
        image_free(image);
    }
}

TEST(ImageLoadBmp, NegativeHeightIsReadTopDown) {
    Image* image = load(bmp_bytes({177, -4}, pattern));
    expect_pattern(image, 177, 4);
    image_free(image);
}

TEST(ImageLoadBmp, RejectsOtherFormats) {
    expect_rejected(bmp_bytes({8, 8, 8}, pattern), "not 24 bits per pixel");
    expect_rejected(bmp_bytes({8, 8, 32}, pattern), "not 24 bits per pixel");
    expect_rejected(bmp_bytes({8, 8, 8, 1}, pattern), "not 24 bits per pixel"); // RLE8
    expect_rejected(bmp_bytes({8, 8, 24, 1}, pattern), "compressed");
    expect_rejected(bmp_bytes({8, 8, 24, 3}, pattern), "compressed"); // bit fields
    expect_rejected(bmp_bytes({8, 8, 24, 0, 0x4D43}, pattern), "not a BMP file");
}

TEST(ImageLoadBmp, RejectsEmptyAndOversizedPictures) {
    expect_rejected(bmp_bytes({0, 8}, pattern), "no pixels");
    expect_rejected(bmp_bytes({-8, 8}, pattern), "no pixels");
    expect_rejected(bmp_bytes({8, 0}, pattern), "no pixels");
    // Headers only: these sizes must be refused before anything is read or allocated.
    auto headers = [](int32_t width, int32_t height) {
        auto bytes = bmp_bytes({1, 1}, pattern);
        bytes.resize(54);
        for (int i = 0; i < 4; ++i) {
            bytes[18 + i] = (uint8_t)((uint32_t)width >> (8 * i));
            bytes[22 + i] = (uint8_t)((uint32_t)height >> (8 * i));
        }
        return bytes;
    };
    expect_rejected(headers(715827882, 1), "too large"); // width * 3 + 3 = 2^31 + 1
    expect_rejected(headers(715827881, 1), "too large"); // and 4 bytes a pixel overflow too
    expect_rejected(headers(65536, 8192), "too large");  // exactly 2^31 bytes
    expect_rejected(headers(8192, -65536), "too large");
    expect_rejected(headers(1, INT32_MIN), "too large");
    expect_rejected(headers(65535, 8192), "shorter than its rows"); // fits, but no rows
}

TEST(ImageLoadBmp, RejectsShortFiles) {
    auto bytes = bmp_bytes({177, 3}, pattern);
    bytes.pop_back(); // the last row's last filler byte
    expect_rejected(bytes, "shorter than its rows");
    bytes.resize(40);
    expect_rejected(bytes, "shorter than its headers");
    std::string missing = temp_path("missing.bmp");
    std::remove(missing.c_str());
    EXPECT_EQ(image_load_bmp(missing.c_str()), nullptr);
    EXPECT_STREQ(image_load_error(), "cannot open the file");
}

// Only the headers' size fields place the rows: bfOffBits and biSizeImage are ignored.
TEST(ImageLoadBmp, RowsStartRightAfterTheHeaders) {
    auto bytes = bmp_bytes({3, 2}, pattern);
    bytes[10] = 200; // bfOffBits
    bytes[34] = 1;   // biSizeImage
    Image* image = load(bytes);
    expect_pattern(image, 3, 2);
    image_free(image);
}
