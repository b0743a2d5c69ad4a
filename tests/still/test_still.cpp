// velmor-render as a person or a script runs it: answers and refusals, files
// that appear whole or not at all, and the pixels of supersampled and
// transparent stills.
#include <cstdlib>
#include <filesystem>
#include <gtest/gtest.h>

#include "chunkwriter/chunk_writer.h"
#include "frame/frame.h"
#include "imagefile/png_file.h"
#include "render/render.h"
#include "scene/chunk_ids.h"
#include "scene/scene.h"
#include "still/still_run.h"
#include "support/fresh_folder.h"

namespace {

const std::string BUNDLED = VELMOR_SOURCE_DIR "/assets/Z_Test.3ds";

StillRun render(const std::vector<std::string>& arguments) {
    std::vector<std::string> words{VELMOR_RENDER_PATH};
    words.insert(words.end(), arguments.begin(), arguments.end());
    return run_command(shell_words(words));
}

// A still of the bundled scene; fails the test when it cannot be made or read.
PngPicture still(const std::vector<std::string>& options) {
    std::vector<std::string> arguments = options;
    arguments.insert(arguments.end(), {BUNDLED, "still.png"});
    const StillRun run = render(arguments);
    EXPECT_EQ(run.exit_code, 0) << run.err;
    PngPicture picture;
    EXPECT_TRUE(png_read_rgba("still.png", picture));
    return picture;
}

class Still : public InFreshFolder {
  protected:
    void SetUp() override {
        InFreshFolder::SetUp();
        std::filesystem::create_directory("pictures");
    }
};

} // namespace

TEST_F(Still, AnswersHelpAndVersionAndRefusesBadArguments) {
    StillRun help = render({"--help"});
    EXPECT_EQ(help.exit_code, 0);
    EXPECT_EQ(help.out.rfind("Usage: velmor-render ", 0), 0u) << help.out;
    StillRun version = render({"--version"});
    EXPECT_EQ(version.exit_code, 0);
    EXPECT_EQ(version.out.rfind("velmor-render ", 0), 0u) << version.out;

    const std::vector<std::vector<std::string>> bad = {
        {BUNDLED},
        {BUNDLED, "pictures/a.png", "pictures/b.png"},
        {"--size", "8", BUNDLED, "pictures/a.png"},
        {"--size", "100x", BUNDLED, "pictures/a.png"},
        {"--size", "4096", "--samples", "16", BUNDLED, "pictures/a.png"},
        {"--samples", "2", BUNDLED, "pictures/a.png"},
        {"--background", "12345", BUNDLED, "pictures/a.png"},
        {"--background", "-12345", BUNDLED, "pictures/a.png"},
        {"--view", "45", BUNDLED, "pictures/a.png"},
        {"--view", "45,91", BUNDLED, "pictures/a.png"},
        {"--view", "45,20,0.04", BUNDLED, "pictures/a.png"},
        {"--view", "45,20,51", BUNDLED, "pictures/a.png"},
        {"--view", "45,20,", BUNDLED, "pictures/a.png"},
        {"--up", "x", BUNDLED, "pictures/a.png"},
        {"--colours", "all", BUNDLED, "pictures/a.png"},
        {"--max-faces", "-1", BUNDLED, "pictures/a.png"},
        {"--frobnicate", BUNDLED, "pictures/a.png"},
        {BUNDLED, "pictures/a.png", "--size"},
    };
    for (const auto& arguments : bad) {
        StillRun run = render(arguments);
        SCOPED_TRACE(shell_words(arguments));
        EXPECT_EQ(run.exit_code, 2);
        EXPECT_EQ(run.err.rfind("velmor-render: ", 0), 0u) << run.err;
        EXPECT_NE(run.err.find("\n\nUsage: velmor-render "), std::string::npos) << run.err;
        EXPECT_TRUE(files_in("pictures").empty());
    }
}

// Whatever goes wrong, the picture already there stays as it was, and nothing
// else appears beside it.
TEST_F(Still, AFailedRunLeavesNoFile) {
    write_file("pictures/old.png", {'o', 'l', 'd'});
    ASSERT_EQ(scene_load("missing.3ds"), nullptr);
    const std::string missing_reason = scene_error();
    StillRun missing = render({"missing.3ds", "pictures/old.png"});
    EXPECT_EQ(missing.exit_code, 1);
    EXPECT_EQ(missing.err, "velmor-render: " + missing_reason + "\n");

    StillRun large = render({"--max-faces", "100", BUNDLED, "pictures/old.png"});
    EXPECT_EQ(large.exit_code, 1);
    EXPECT_NE(large.err.find("faces, more than --max-faces 100\n"), std::string::npos) << large.err;
    EXPECT_EQ(large.err.find('\n'), large.err.size() - 1) << large.err;

    StillRun unwritable = render({BUNDLED, "pictures/none/new.png"});
    EXPECT_EQ(unwritable.exit_code, 1);
    EXPECT_EQ(unwritable.err.rfind("velmor-render: cannot write pictures/none/new.png: ", 0), 0u)
        << unwritable.err;

    std::filesystem::create_directory("pictures/folder"); // drawn, written, not renamed
    StillRun onto_folder = render({BUNDLED, "pictures/folder"});
    EXPECT_EQ(onto_folder.exit_code, 1);
    EXPECT_EQ(onto_folder.err.rfind("velmor-render: cannot write pictures/folder: ", 0), 0u)
        << onto_folder.err;

    EXPECT_EQ(slurp("pictures/old.png"), "old");
    EXPECT_EQ(files_in("pictures"), (std::vector<std::string>{"folder", "old.png"}));
}

// A picture replaces the old file whole, with no temporary left beside it;
// "-" gives the same bytes on standard output.
TEST_F(Still, WritesTheWholePictureInPlaceOrToStandardOutput) {
    write_file("pictures/still.png", {'o', 'l', 'd'});
    StillRun file = render({"--size", "96x72", BUNDLED, "pictures/still.png"});
    ASSERT_EQ(file.exit_code, 0) << file.err;
    EXPECT_EQ(file.err, "");
    EXPECT_EQ(files_in("pictures"), std::vector<std::string>{"still.png"});
    PngPicture picture;
    ASSERT_TRUE(png_read_rgba("pictures/still.png", picture));
    EXPECT_EQ(picture.width, 96u);
    EXPECT_EQ(picture.height, 72u);
    EXPECT_TRUE(picture.stored_as_rgb8); // no alpha without --background none
    EXPECT_EQ(std::filesystem::status("pictures/still.png").permissions() &
                  std::filesystem::perms::others_read,
              std::filesystem::perms::others_read);

    StillRun piped = render({"--size", "96x72", BUNDLED, "-"});
    ASSERT_EQ(piped.exit_code, 0) << piped.err;
    EXPECT_EQ(piped.out, slurp("pictures/still.png"));
}

// A file of no meshes is a picture of the background and a line that says so.
TEST_F(Still, NoMeshObjectsGiveTheBackground) {
    ChunkWriter w;
    chunk_begin(w, CHUNK_MAIN);
    chunk_empty(w, CHUNK_EDITOR);
    chunk_end(w);
    ASSERT_TRUE(chunk_write_file(w, "empty.3ds"));
    StillRun run = render({"--size", "32", "--background", "12AB5F", "empty.3ds", "empty.png"});
    ASSERT_EQ(run.exit_code, 0);
    EXPECT_EQ(run.err, "velmor-render: empty.3ds: no mesh objects (is it a 3D Studio file?)\n");
    PngPicture picture;
    ASSERT_TRUE(png_read_rgba("empty.png", picture));
    EXPECT_EQ(picture.pixels, std::vector<uint32_t>(32 * 32, 0xFF12AB5F));

    // By default view mode's gradient, from the top row's colour to the bottom's.
    ASSERT_EQ(render({"--size", "32", "--samples", "1", "empty.3ds", "empty.png"}).exit_code, 0);
    ASSERT_TRUE(png_read_rgba("empty.png", picture));
    EXPECT_EQ(picture.pixels.front(), 0xFF000000u | view_background_top);
    EXPECT_EQ(picture.pixels.back(), 0xFF000000u | view_background_bottom);
}

namespace {

// The k x k box average of a picture k times as large, as the tool defines it:
// alpha the rounded mean of the alphas, colour the rounded mean over the
// samples that have alpha, halves rounding up.
std::vector<uint32_t> box_average(const PngPicture& large, uint32_t k) {
    std::vector<uint32_t> small;
    for (uint32_t y = 0; y < large.height / k; ++y) {
        for (uint32_t x = 0; x < large.width / k; ++x) {
            uint32_t n = 0, sum[3] = {0, 0, 0};
            for (uint32_t j = 0; j < k * k; ++j) {
                uint32_t p = large.pixels[(y * k + j / k) * large.width + x * k + j % k];
                if (p >> 24 == 0) continue;
                ++n;
                for (int c = 0; c < 3; ++c)
                    sum[c] += p >> (16 - 8 * c) & 0xFF;
            }
            uint32_t pixel = n ? (255 * n + k * k / 2) / (k * k) << 24 : 0;
            for (int c = 0; c < 3 && n; ++c)
                pixel |= (sum[c] + n / 2) / n << (16 - 8 * c);
            small.push_back(pixel);
        }
    }
    return small;
}

} // namespace

TEST_F(Still, SupersamplingIsTheBoxAverageOfTheStillAtAGreaterSize) {
    // Transparent, one colour, and the default look on its gradient.
    const std::vector<std::vector<std::string>> looks = {
        {"--background", "none"}, {"--background", "3366CC", "--flat", "--cull"}, {}};
    for (const std::vector<std::string>& look : looks) {
        for (uint32_t k : {2u, 4u}) {
            SCOPED_TRACE(shell_words(look) + " k=" + std::to_string(k));
            const std::string samples = std::to_string(k * k),
                              large_size = std::to_string(64 * k) + "x" + std::to_string(48 * k);
            std::vector<std::string> small_options = look, large_options = look;
            small_options.insert(small_options.end(),
                                 {"--size", "64x48", "--samples", samples, "--view", "30,35,1.5"});
            large_options.insert(large_options.end(),
                                 {"--size", large_size, "--samples", "1", "--view", "30,35,1.5"});
            PngPicture small = still(small_options), large = still(large_options);
            ASSERT_EQ(large.width, 64 * k);
            EXPECT_EQ(small.pixels, box_average(large, k));
            bool partial = false; // edges blend, or there would be nothing to test
            for (uint32_t p : small.pixels)
                partial |=
                    look.empty() || (look[1] == "none" ? (p >> 24) % 255 != 0 : p != 0xFF3366CC);
            EXPECT_TRUE(partial);
        }
    }
}

// Alpha 0 exactly at the pixels that are the background whatever its colour.
TEST_F(Still, TransparentExactlyWhereNothingIsDrawn) {
    const std::vector<std::string> one = {"--samples", "1", "--size", "160x120", "--up", "y"};
    auto with = [&](const char* background) {
        std::vector<std::string> options = one;
        options.insert(options.end(), {"--background", background});
        return still(options).pixels;
    };
    const std::vector<uint32_t> none = with("none"), blue = with("0000FE"), red = with("FE0000");
    ASSERT_EQ(none.size(), 160u * 120u);
    size_t empty = 0;
    for (size_t i = 0; i < none.size(); ++i) {
        const bool background = blue[i] == 0xFF0000FE && red[i] == 0xFFFE0000;
        empty += background;
        EXPECT_EQ(none[i], background ? 0u : blue[i]) << i;
    }
    EXPECT_GT(empty, 0u);
    EXPECT_LT(empty, none.size());
}

// One sample a pixel is the live view's frame of the same camera and look,
// pixel for pixel: a still lines up with what view mode shows.
TEST_F(Still, OneSampleIsViewModesFrame) {
    struct Case {
        const char *view, *up;
        ViewCamera camera;
        int32_t width, height;
    };
    const Case cases[] = {
        {"45,20", "z", frame_view_start(UpAxis::file_z), 96, 72},
        {"-30,60,2.5", "y", {{0, 0, 0}, -30.0, 60.0, 2.5, UpAxis::file_y}, 50, 90},
        {"200,-90,50", "z", {{0, 0, 0}, 200.0, -90.0, 50.0, UpAxis::file_z}, 64, 64},
        {"10,5,0.05", "z", {{0, 0, 0}, 10.0, 5.0, 0.05, UpAxis::file_z}, 64, 48},
    };
    Scene* scene = scene_load(BUNDLED.c_str());
    ASSERT_NE(scene, nullptr);
    frame_fit_scene(*scene);
    ViewState view{};
    view.scene = scene;
    view.face_colours = frame_face_colours_create(*scene);
    // The window's default look, and the old one that --flat --cull and a black
    // background bring back.
    const uint32_t black = 0;
    const ViewLook looks[] = {frame_view_look(false, false, nullptr),
                              frame_view_look(true, true, &black)};
    for (const Case& c : cases) {
        for (const ViewLook& look : looks) {
            SCOPED_TRACE(std::string(c.view) + " up " + c.up + (look.smooth ? "" : " old look"));
            const std::string size = std::to_string(c.width) + "x" + std::to_string(c.height);
            std::vector<std::string> options = {"--samples", "1",    "--size", size,
                                                "--view",    c.view, "--up",   c.up};
            if (!look.smooth)
                options.insert(options.end(), {"--flat", "--cull", "--background", "000000"});
            const PngPicture picture = still(options);
            std::vector<uint32_t> frame((size_t)c.width * (size_t)c.height);
            view.look = &look;
            ASSERT_TRUE(render_init(c.width, c.height));
            frame_draw_view(view, c.camera, c.width, c.height, frame.data());
            render_shutdown();
            for (uint32_t& pixel : frame)
                pixel |= 0xFF000000u;
            EXPECT_EQ(picture.pixels, frame);
        }
    }
    std::free(view.face_colours);
    scene_free(scene);
}
