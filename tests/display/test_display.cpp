#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "display/display.h"
#include "platform/headless/headless.h"

namespace {

constexpr int W = 512, H = 384;

intptr_t quiet_proc(PlatformWindow, uint32_t, uintptr_t, intptr_t) {
    return 0;
}

struct Shown {
    std::vector<uint32_t> first_pixels; // pixel (0, 0) of every picture a flip showed
};

void remember(const uint32_t* pixels, int32_t width, int32_t height, void* context) {
    ASSERT_EQ(width, W);
    ASSERT_EQ(height, H);
    static_cast<Shown*>(context)->first_pixels.push_back(pixels[0]);
}

class Display : public testing::Test {
  protected:
    void start(HeadlessConfig config = {}) {
        config.present_hook = remember;
        config.present_context = &shown;
        headless_reset(config);
        display_state = DisplayState{};
        platform_register_window_class("test", 0, quiet_proc);
        window = platform_create_window("test", "test", 0, W, H);
    }
    std::vector<std::string> log_since(size_t from) const {
        const auto& log = headless_report().log;
        return {log.begin() + (long)from, log.end()};
    }
    // One frame as the shell does it: lock, fill with a colour, present.
    bool frame(uint32_t colour) {
        uint32_t* pixels = nullptr;
        if (!display_lock(&pixels)) return false;
        for (int i = 0; i < W * H; ++i)
            pixels[i] = colour;
        display_present();
        return true;
    }
    void TearDown() override {
        display_shutdown();
        EXPECT_EQ(headless_report().misuse, 0);
        EXPECT_EQ(headless_report().surfaces_alive, 0);
        EXPECT_FALSE(headless_report().mode_changed);
    }
    PlatformWindow window = nullptr;
    Shown shown;
};

} // namespace

TEST_F(Display, InitCallsThePlatformInOrderWithTheListedValues) {
    start();
    size_t mark = headless_report().log.size();
    EXPECT_EQ(display_init(window, W, H), DISPLAY_OK);
    EXPECT_EQ(log_since(mark), (std::vector<std::string>{
                                   "display_create",
                                   "set_cooperative_level 0x13",
                                   "set_mode 512x384x32",
                                   "create_surface primary flags 0x21 caps 0x100218",
                                   "get_attached 0x100004",
                                   "create_surface offscreen flags 0x7 caps 0x100840",
                                   "create_surface offscreen flags 0x7 caps 0x100840",
                               }));
    EXPECT_TRUE(headless_report().exclusive);
    EXPECT_EQ(display_state.current_is_a, 0);
    mark = headless_report().log.size();
    display_shutdown();
    EXPECT_EQ(log_since(mark), (std::vector<std::string>{"release primary", "release s1",
                                                         "release s2", "display_release"}));
    EXPECT_EQ(display_state.display, nullptr);
    EXPECT_EQ(display_state.primary, nullptr);
    EXPECT_EQ(display_state.surface_a, nullptr);
    EXPECT_EQ(display_state.surface_b, nullptr);
}

// Each step runs only when the ones before it succeeded; the shutdown then
// releases only what exists.
TEST_F(Display, FailedInitStopsAtTheFailingCallAndShutdownReleasesWhatExists) {
    struct Case {
        HeadlessOp op;
        int call;
        int released_surfaces;
    };
    const Case cases[] = {
        {HeadlessOp::display_create, 1, 0}, {HeadlessOp::set_cooperative_level, 1, 0},
        {HeadlessOp::set_mode, 1, 0},       {HeadlessOp::create_surface, 1, 0},
        {HeadlessOp::get_attached, 1, 1},   {HeadlessOp::create_surface, 2, 1},
        {HeadlessOp::create_surface, 3, 2},
    };
    for (const Case& c : cases) {
        start({{}, {{c.op, c.call, 1, DISPLAY_ERR_UNSUPPORTED}}});
        EXPECT_EQ(display_init(window, W, H), DISPLAY_ERR_UNSUPPORTED);
        EXPECT_EQ(headless_calls(HeadlessOp::create_surface),
                  c.op == HeadlessOp::create_surface ? c.call : c.released_surfaces);
        uint32_t* pixels = nullptr;
        EXPECT_EQ(display_lock(&pixels), 0);
        display_present();
        display_shutdown();
        EXPECT_EQ(headless_calls(HeadlessOp::surface_release), c.released_surfaces);
        EXPECT_EQ(headless_calls(HeadlessOp::display_release),
                  c.op == HeadlessOp::display_create ? 0 : 1);
        EXPECT_EQ(headless_calls(HeadlessOp::blt_fast) + headless_calls(HeadlessOp::flip), 0);
        EXPECT_EQ(headless_report().misuse, 0);
        EXPECT_EQ(headless_report().surfaces_alive, 0);
    }
}

TEST_F(Display, WithoutSurfacesLockFailsAndPresentDoesNothing) {
    start();
    uint32_t sentinel = 0;
    uint32_t* pixels = &sentinel;
    EXPECT_EQ(display_lock(&pixels), 0);
    EXPECT_EQ(pixels, &sentinel);
    size_t mark = headless_report().log.size();
    display_present();
    display_shutdown();
    EXPECT_TRUE(log_since(mark).empty());
}

// b, a, b, ...: the flag switches only when a frame is presented.
TEST_F(Display, SurfacesTakeTurnsAndAFailedLockKeepsTheTurn) {
    start({{}, {{HeadlessOp::lock, 3, 1, DISPLAY_ERR_STILL_DRAWING}}});
    ASSERT_EQ(display_init(window, W, H), DISPLAY_OK);
    EXPECT_TRUE(frame(1));
    EXPECT_TRUE(frame(2));
    EXPECT_FALSE(frame(3)); // busy: dropped
    EXPECT_TRUE(frame(4));
    EXPECT_TRUE(frame(5));
    std::vector<std::string> locks;
    for (const std::string& entry : headless_report().log)
        if (entry.rfind("lock ", 0) == 0) locks.push_back(entry.substr(5, 2));
    EXPECT_EQ(locks, (std::vector<std::string>{"s2", "s1", "s2", "s2", "s1"}));
    EXPECT_EQ(shown.first_pixels, (std::vector<uint32_t>{1, 2, 4, 5}));
}

TEST_F(Display, LocksOfOtherDepthsAreUndoneAtOnce) {
    HeadlessConfig config;
    config.lock_bit_count = 16;
    start(config);
    ASSERT_EQ(display_init(window, W, H), DISPLAY_OK);
    size_t mark = headless_report().log.size();
    uint32_t* pixels = nullptr;
    EXPECT_EQ(display_lock(&pixels), 0);
    EXPECT_EQ(display_lock(&pixels), 0);
    EXPECT_EQ(pixels, nullptr);
    EXPECT_EQ(log_since(mark), (std::vector<std::string>{"lock s2 flags 0x0", "unlock s2",
                                                         "lock s2 flags 0x0", "unlock s2"}));
}

// A lost blit restores all three surfaces, is not tried again, and the flip of
// that frame still happens (showing the restored, empty back buffer). The next
// frame is shown normally.
TEST_F(Display, LostBlitRestoresEverythingAndStillFlips) {
    start({{}, {{HeadlessOp::blt_fast, 2, 1, DISPLAY_ERR_SURFACE_LOST}}});
    ASSERT_EQ(display_init(window, W, H), DISPLAY_OK);
    ASSERT_TRUE(frame(1));
    size_t mark = headless_report().log.size();
    ASSERT_TRUE(frame(2));
    EXPECT_EQ(log_since(mark),
              (std::vector<std::string>{"lock s1 flags 0x0", "unlock s1",
                                        "blt_fast back <- s1 flags 0x0", "restore primary",
                                        "restore s1", "restore s2", "flip primary flags 0x0"}));
    ASSERT_TRUE(frame(3));
    EXPECT_EQ(shown.first_pixels, (std::vector<uint32_t>{1, 0, 3}));
}

TEST_F(Display, LostFlipRestoresAndIsNotRepeated) {
    start({{}, {{HeadlessOp::flip, 1, 1, DISPLAY_ERR_SURFACE_LOST}}});
    ASSERT_EQ(display_init(window, W, H), DISPLAY_OK);
    ASSERT_TRUE(frame(1));
    EXPECT_EQ(headless_calls(HeadlessOp::flip), 1);
    EXPECT_EQ(headless_calls(HeadlessOp::restore), 3);
    ASSERT_TRUE(frame(2));
    EXPECT_EQ(shown.first_pixels, (std::vector<uint32_t>{2}));
}

TEST_F(Display, StillDrawingIsRetriedAtOnce) {
    start({{},
           {{HeadlessOp::blt_fast, 1, 3, DISPLAY_ERR_STILL_DRAWING},
            {HeadlessOp::flip, 1, 5, DISPLAY_ERR_STILL_DRAWING}}});
    ASSERT_EQ(display_init(window, W, H), DISPLAY_OK);
    ASSERT_TRUE(frame(7));
    EXPECT_EQ(headless_calls(HeadlessOp::blt_fast), 4);
    EXPECT_EQ(headless_calls(HeadlessOp::flip), 6);
    EXPECT_EQ(headless_calls(HeadlessOp::restore), 0);
    EXPECT_EQ(shown.first_pixels, (std::vector<uint32_t>{7}));
}

// Any other error skips that call for the frame, without a restore.
TEST_F(Display, OtherErrorsAreIgnoredForTheFrame) {
    start({{},
           {{HeadlessOp::blt_fast, 1, 1, DISPLAY_ERR_GENERIC},
            {HeadlessOp::flip, 2, 1, DISPLAY_ERR_GENERIC}}});
    ASSERT_EQ(display_init(window, W, H), DISPLAY_OK);
    ASSERT_TRUE(frame(1)); // blit failed: the flip shows the empty back buffer
    ASSERT_TRUE(frame(2)); // flip failed: nothing shown
    ASSERT_TRUE(frame(3));
    EXPECT_EQ(headless_calls(HeadlessOp::restore), 0);
    EXPECT_EQ(shown.first_pixels, (std::vector<uint32_t>{0, 3}));
}

TEST_F(Display, RestoreStopsAtTheFirstFailure) {
    start({{}, {{HeadlessOp::restore, 2, 1, DISPLAY_ERR_OUT_OF_MEMORY}}});
    ASSERT_EQ(display_init(window, W, H), DISPLAY_OK);
    size_t mark = headless_report().log.size();
    EXPECT_EQ(display_restore(), DISPLAY_ERR_OUT_OF_MEMORY);
    EXPECT_EQ(log_since(mark), (std::vector<std::string>{"restore primary", "restore s1"}));
    EXPECT_EQ(display_restore(), DISPLAY_OK);
}
