#include <cstdlib>

#include "imagefile/bmp_file.h"
#include "support/fresh_folder.h"
#include "text/text.h"

namespace {

class ImageLoadBmp : public InFreshFolder {
  protected:
    static Image* load(const std::vector<uint8_t>& bytes) {
        write_file("image.bmp", bytes);
        return image_load_bmp("image.bmp");
    }
};

uint32_t pattern(int x, int y) {
    return (uint32_t)(x * 7 + y * 131) * 0x010305u & 0xFFFFFF;
}

// Headers alone, of a picture of the given size.
std::vector<uint8_t> headers(int32_t width, int32_t height) {
    auto bytes = bmp_encode({1, 1}, pattern);
    bytes.resize(54);
    for (int i = 0; i < 4; ++i) {
        bytes[18 + i] = (uint8_t)((uint32_t)width >> (8 * i));
        bytes[22 + i] = (uint8_t)((uint32_t)height >> (8 * i));
    }
    return bytes;
}

} // namespace

// Rows bottom-up, or top-down under a negative height; the file's blue-green-red
// bytes; rows of 177 pixels whose 531 bytes are padded to 532 (a missed filler
// byte shifts every later row); the rows start right after the headers,
// whatever bfOffBits and biSizeImage say.
TEST_F(ImageLoadBmp, ReadsRowsInEitherOrderAndSkipsPadding) {
    const BmpShape shapes[] = {{176, 5}, {177, 5}, {178, 5}, {179, 5}, {1, 5}, {177, -4}};
    for (BmpShape shape : shapes) {
        shape.row_filler = 0xEE; // read as a pixel, it would show
        auto bytes = bmp_encode(shape, pattern);
        bytes[10] = 200; // bfOffBits
        bytes[34] = 1;   // biSizeImage
        Image* image = load(bytes);
        ASSERT_NE(image, nullptr) << shape.width << " x " << shape.height;
        ASSERT_EQ(image->width, shape.width);
        ASSERT_EQ(image->height, std::abs(shape.height));
        for (int y = 0; y < image->height; ++y)
            for (int x = 0; x < image->width; ++x)
                ASSERT_EQ(image->pixels[y * image->width + x], pattern(x, y)) << x << "," << y;
        image_free(image);
    }
}

// Sizes whose byte counts overflow are refused from the headers alone, before
// anything is read or allocated.
TEST_F(ImageLoadBmp, RejectsOtherFormatsBadSizesAndShortFiles) {
    auto short_rows = bmp_encode({177, 3}, pattern);
    short_rows.pop_back(); // the last row's last filler byte
    const struct {
        std::vector<uint8_t> bytes;
        const char* why;
    } cases[] = {
        {bmp_encode({8, 8, 8}, pattern), "not 24 bits per pixel"},
        {bmp_encode({8, 8, 32}, pattern), "not 24 bits per pixel"},
        {bmp_encode({8, 8, 8, 1}, pattern), "not 24 bits per pixel"}, // RLE8
        {bmp_encode({8, 8, 24, 1}, pattern), "compressed"},
        {bmp_encode({8, 8, 24, 3}, pattern), "compressed"}, // bit fields
        {bmp_encode({8, 8, 24, 0, 0x4D43}, pattern), "not a BMP file"},
        {headers(0, 8), "no pixels"},
        {headers(-8, 8), "no pixels"},
        {headers(8, 0), "no pixels"},
        {headers(715827882, 1), "too large"}, // width * 3 + 3 = 2^31 + 1
        {headers(715827881, 1), "too large"}, // only 4 bytes a pixel overflow
        {headers(65536, 8192), "too large"},  // exactly 2^31 bytes
        {headers(8192, -65536), "too large"},
        {headers(1, INT32_MIN), "too large"},
        {headers(65535, 8192), "shorter than its rows"}, // fits, but no rows
        {short_rows, "shorter than its rows"},
        {std::vector<uint8_t>(short_rows.begin(), short_rows.begin() + 40),
         "shorter than its headers"},
    };
    for (const auto& c : cases) {
        Image* image = load(c.bytes);
        EXPECT_EQ(image, nullptr) << c.why;
        EXPECT_STREQ(image_error(), c.why);
        image_free(image);
    }
    EXPECT_EQ(image_load_bmp("missing.bmp"), nullptr);
    EXPECT_STREQ(image_error(), "cannot open the file");
}
