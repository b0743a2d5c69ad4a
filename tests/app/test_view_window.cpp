// View mode's window on the headless backend: the mouse and keys steer the
// camera, the picture follows the window's size, and velmor-capture draws any
// view again from its numbers.
#include <cstdlib>
#include <fstream>

#include "app/app_internal.h"
#include "imagefile/png_file.h"
#include "platform/headless/headless.h"
#include "support/fresh_folder.h"
#include "support/test_font.h"

namespace {

struct Shown {
    std::vector<uint32_t> pixels;
    int32_t width, height;
};

HeadlessEvent tick() {
    return {HeadlessEventKind::tick, 0};
}

HeadlessEvent key(uintptr_t code) {
    return {HeadlessEventKind::key, code};
}

HeadlessEvent post(uint32_t message, uintptr_t wparam, int32_t x, int32_t y) {
    const uint32_t point = ((uint32_t)y & 0xFFFF) << 16 | ((uint32_t)x & 0xFFFF);
    return {HeadlessEventKind::post, 0, {}, message, wparam, (intptr_t)point};
}

// A left drag from (x, y) by (dx, dy) client pixels.
std::vector<HeadlessEvent> drag(int32_t x, int32_t y, int32_t dx, int32_t dy) {
    return {post(MESSAGE_LBUTTONDOWN, MOUSE_FLAG_LEFT, x, y),
            post(MESSAGE_MOUSEMOVE, MOUSE_FLAG_LEFT, x + dx, y + dy),
            post(MESSAGE_LBUTTONUP, 0, x + dx, y + dy)};
}

class ViewWindow : public InFreshFolder {
  protected:
    void SetUp() override {
        InFreshFolder::SetUp();
        write_file("Font.bmp", font_bmp());
        std::ifstream in(VELMOR_ASSETS_DIR "/Z_Test.3ds", std::ios::binary);
        std::vector<char> bytes((std::istreambuf_iterator<char>(in)), {});
        write_file("model.3ds", std::vector<uint8_t>(bytes.begin(), bytes.end()));
    }
    void TearDown() override {
        app_scene_release();
        InFreshFolder::TearDown();
    }
    static void keep(const uint32_t* pixels, int32_t width, int32_t height, void* context) {
        static_cast<std::vector<Shown>*>(context)->push_back(
            {std::vector<uint32_t>(pixels, pixels + (size_t)width * height), width, height});
    }
    // The model in view mode, --size as given (0: the window's), then Escape.
    int run(std::vector<HeadlessEvent> script, int32_t width = 512, int32_t height = 384) {
        app_scene_release();
        shown.clear();
        script.push_back(key(KEY_ESCAPE));
        HeadlessConfig config;
        config.script = script;
        config.present_hook = keep;
        config.present_context = &shown;
        headless_reset(config);
        AppOptions options{};
        options.scene_path = "model.3ds";
        options.width = width, options.height = height;
        return app_run(options, 1);
    }
    std::vector<Shown> shown;
};

// Everything below the counter's line.
bool same_below_text(const Shown& a, const Shown& b) {
    const size_t from = (size_t)30 * a.width;
    return a.width == b.width && a.height == b.height &&
           std::equal(a.pixels.begin() + from, a.pixels.end(), b.pixels.begin() + from);
}

std::vector<HeadlessEvent> operator+(std::vector<HeadlessEvent> a,
                                     const std::vector<HeadlessEvent>& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

} // namespace

// Frame 0 is the start view; the turntable turns 0.6 degrees a tick until the
// first drag, which orbits 0.4 degrees a pixel; the wheel zooms 10% a notch,
// Space starts the turntable again, and a client area twice the picture's
// size halves the pointer's moves.
TEST_F(ViewWindow, DragsWheelAndKeysSteerTheCamera) {
    ASSERT_EQ(run({tick(), tick()}), 0);
    EXPECT_DOUBLE_EQ(app_state.camera.azimuth, 45.0 + 2 * 0.6);
    EXPECT_TRUE(app_state.input.turntable);

    std::vector<HeadlessEvent> script = std::vector<HeadlessEvent>{tick()} + drag(100, 100, 10, -5);
    script.push_back(tick());
    script.push_back(post(MESSAGE_MOUSEWHEEL, (uintptr_t)WHEEL_STEP << 16, 100, 100));
    ASSERT_EQ(run(script), 0);
    EXPECT_DOUBLE_EQ(app_state.camera.azimuth, 45.0 + 0.6 - 4.0);
    EXPECT_DOUBLE_EQ(app_state.camera.elevation, 20.0 - 2.0);
    EXPECT_DOUBLE_EQ(app_state.camera.zoom, 1.1);
    EXPECT_FALSE(app_state.input.turntable);

    script = drag(100, 100, 10, 0) + std::vector<HeadlessEvent>{key(KEY_SPACE), tick()};
    ASSERT_EQ(run(script), 0);
    EXPECT_DOUBLE_EQ(app_state.camera.azimuth, 45.0 - 4.0 + 0.6);

    script = {post(MESSAGE_SIZE, 0, 1024, 768)};
    ASSERT_EQ(run(script + drag(100, 100, 20, 0) + std::vector<HeadlessEvent>{key('7'), tick()}),
              0);
    EXPECT_DOUBLE_EQ(app_state.camera.elevation, 90.0);
    ASSERT_EQ(run(script + drag(100, 100, 20, 0)), 0);
    EXPECT_DOUBLE_EQ(app_state.camera.azimuth, 45.0 - 4.0);
    EXPECT_EQ(app_state.picture_width, 512) << "--size keeps the picture's size";
}

// Home after steering gives frame 0's picture back, bit for bit; the live view
// of a fixed view is velmor-capture's --view --turntable off frame.
TEST_F(ViewWindow, HomeAndCaptureGiveTheSamePictures) {
    std::vector<HeadlessEvent> script = std::vector<HeadlessEvent>{tick(), tick()} +
                                        drag(50, 60, -30, 12) +
                                        std::vector<HeadlessEvent>{key(KEY_RIGHT), tick()};
    script.push_back(key(KEY_HOME));
    script.push_back(tick());
    script.push_back(key('3'));
    script.push_back(tick());
    ASSERT_EQ(run(script, 320, 200), 0);
    ASSERT_EQ(shown.size(), 5u);
    EXPECT_FALSE(same_below_text(shown[0], shown[2]));
    EXPECT_TRUE(same_below_text(shown[0], shown[3]));

    std::string command = std::string(VELMOR_CAPTURE_PATH) +
                          " --size 320x200 --view 90,0 --turntable off --frames 1 --out still"
                          " model.3ds >/dev/null";
    ASSERT_EQ(std::system(command.c_str()), 0);
    PngPicture still;
    ASSERT_TRUE(png_read("still/frame_00000.png", still));
    EXPECT_TRUE(
        same_below_text({still.pixels, (int32_t)still.width, (int32_t)still.height}, shown[4]));
}

// Without --size the window is 70% of the desktop and the picture follows its
// client area: a size message makes new surfaces and a new depth buffer and
// keeps the camera; F11 gives the desktop's size. Nothing is left behind.
TEST_F(ViewWindow, ThePictureFollowsTheWindowsSize) {
    std::vector<HeadlessEvent> script = {tick(), key(KEY_LEFT), tick()};
    script.push_back(post(MESSAGE_SIZE, 0, 1100, 800));
    script.push_back(tick());
    script.push_back(key(KEY_F11));
    script.push_back(tick());
    ASSERT_EQ(run(script, 0, 0), 0);
    ASSERT_EQ(shown.size(), 4u);
    EXPECT_EQ(shown[0].width, 1344);
    EXPECT_EQ(shown[0].height, 756);
    EXPECT_EQ(shown[2].width, 1100);
    EXPECT_EQ(shown[2].height, 800);
    EXPECT_EQ(shown[3].width, 1920);
    EXPECT_EQ(shown[3].height, 1080);
    EXPECT_DOUBLE_EQ(app_state.camera.azimuth, 45.0 + 0.6 + 5.0); // the model turns left
    const HeadlessReport& r = headless_report();
    EXPECT_EQ(r.calls[(int)HeadlessOp::set_mode], 0);
    EXPECT_EQ(r.calls[(int)HeadlessOp::show_cursor], 0);
    EXPECT_EQ(r.calls[(int)HeadlessOp::flip], 0);
    EXPECT_EQ(r.calls[(int)HeadlessOp::set_fullscreen], 1);
    EXPECT_EQ(r.presented, 4);
    EXPECT_EQ(r.surfaces_alive, 0);
    EXPECT_EQ(r.clippers_alive, 0);
    EXPECT_EQ(r.misuse, 0);
}

// The text's whole scale: 1 up to twice the demo's size each way.
TEST(ViewText, ScaleIsTheSmallerWholeRatioToTheDemosSize) {
    EXPECT_EQ(app_text_scale(320, 200), 1);
    EXPECT_EQ(app_text_scale(1100, 800), 2);
    EXPECT_EQ(app_text_scale(1920, 1080), 2);
    EXPECT_EQ(app_text_scale(3840, 2160), 5);
}
