#include <csetjmp>
#include <cstdlib>
#include <fstream>
#include <png.h>
#include <sstream>

#include "app_fixture.h"
#include "scene_files.h"

namespace {

struct Picture {
    int width = 0, height = 0, bit_depth = 0, colour_type = -1;
    std::vector<uint32_t> pixels; // 0x00RRGGBB
};

// libpng reports errors by longjmp; nothing with a destructor lives in here.
bool read_rows(png_structp png, png_infop info, FILE* file, Picture& picture) {
    if (setjmp(png_jmpbuf(png))) return false;
    png_init_io(png, file);
    png_read_info(png, info);
    picture.width = (int)png_get_image_width(png, info);
    picture.height = (int)png_get_image_height(png, info);
    picture.bit_depth = png_get_bit_depth(png, info);
    picture.colour_type = png_get_color_type(png, info);
    if (picture.bit_depth != 8 || picture.colour_type != PNG_COLOR_TYPE_RGB) return true;
    std::vector<png_byte> row((size_t)picture.width * 3);
    picture.pixels.resize((size_t)picture.width * (size_t)picture.height);
    for (int y = 0; y < picture.height; ++y) {
        png_read_row(png, row.data(), nullptr);
        for (int x = 0; x < picture.width; ++x)
            picture.pixels[(size_t)y * picture.width + x] =
                (uint32_t)row[3 * x] << 16 | (uint32_t)row[3 * x + 1] << 8 | row[3 * x + 2];
    }
    return true;
}

bool read_png(const std::string& path, Picture& picture) {
    FILE* file = std::fopen(path.c_str(), "rb");
    if (!file) return false;
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    bool ok = read_rows(png, info, file, picture);
    png_destroy_read_struct(&png, &info, nullptr);
    std::fclose(file);
    return ok;
}

bool exists(const std::string& path) {
    return std::ifstream(path).good();
}

std::string slurp(const std::string& path) {
    std::ifstream in(path);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

int capture(const std::string& arguments) {
    std::string command =
        std::string(VELMOR_CAPTURE_PATH) + " " + arguments + " >stdout.txt 2>stderr.txt";
    int status = std::system(command.c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

} // namespace

// The tool's files hold exactly the pictures that the shell presented, one per
// counter value, as 8-bit RGB.
TEST_F(AppRun, CaptureWritesEveryPresentedFrameExactly) {
    ASSERT_TRUE(write_square_scene("Z_Test.3ds", {{-40, 0, 150, 30}, {40, 10, 120, 20}}));
    ASSERT_EQ(capture("--frames 4 --out shots/run"), 0) << slurp("stderr.txt");
    EXPECT_EQ(slurp("stderr.txt"), "");
    ASSERT_EQ(run_ticks(4), 0);
    ASSERT_EQ(frames.size(), 4u);
    for (int n = 0; n < 4; ++n) {
        char name[64];
        std::snprintf(name, sizeof name, "shots/run/frame_%05d.png", n);
        Picture picture;
        ASSERT_TRUE(read_png(name, picture)) << name;
        EXPECT_EQ(picture.width, 512);
        EXPECT_EQ(picture.height, 384);
        EXPECT_EQ(picture.bit_depth, 8);
        EXPECT_EQ(picture.colour_type, PNG_COLOR_TYPE_RGB);
        EXPECT_TRUE(picture.pixels == frames[n].pixels) << name;
    }
    EXPECT_FALSE(exists("shots/run/frame_00004.png"));
}

TEST_F(AppRun, CaptureReportsAFailedStartUp) {
    EXPECT_EQ(capture("--frames 2"), 1);
    std::string text = slurp("stderr.txt");
    EXPECT_EQ(text.rfind("velmor: cannot load the scene: ", 0), 0u) << text;
    EXPECT_EQ(count_lines(text), 1);
    EXPECT_FALSE(exists("frames/frame_00000.png"));
    EXPECT_EQ(capture("--frames -1"), 2);
    EXPECT_EQ(capture("--help"), 0);
    EXPECT_NE(slurp("stdout.txt").find("frame_NNNNN.png"), std::string::npos);
}
