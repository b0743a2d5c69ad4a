// The display logic on the headless backend. The shell's runs cover the normal
// set-up, presentation, lost and busy surfaces; these cases reach the rest.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "display/display.h"
#include "platform/headless/headless.h"

namespace {

constexpr int W = 512, H = 384;

intptr_t quiet_proc(PlatformWindow, uint32_t, uintptr_t, intptr_t) {
    return 0;
}

// Keeps pixel (0, 0) of every picture that a flip showed.
void remember(const uint32_t* pixels, int32_t, int32_t, void* context) {
    static_cast<std::vector<uint32_t>*>(context)->push_back(pixels[0]);
}

class Display : public testing::Test {
  protected:
    void start(std::vector<HeadlessFault> faults) {
        HeadlessConfig config;
        config.faults = faults;
        config.present_hook = remember;
        config.present_context = &shown;
        headless_reset(config);
        platform_register_window_class("test", 0, quiet_proc);
        window = platform_create_window("test", "test", 0, W, H);
    }
    // One frame as the shell does it: lock, fill with a colour, present.
    bool frame(uint32_t colour) {
        uint32_t* pixels = nullptr;
        if (!display_lock(&pixels)) return false;
        std::fill(pixels, pixels + W * H, colour);
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
    std::vector<uint32_t> shown;
};

} // namespace

// Each step runs only when the ones before it succeeded. Without surfaces
// display_lock fails and display_present does nothing; shutdown releases only
// what exists.
TEST_F(Display, FailedInitLeavesNothingToLockOrPresent) {
    const struct {
        HeadlessOp op;
        int call;
        int released_surfaces;
    } cases[] = {
        {HeadlessOp::display_create, 1, 0}, {HeadlessOp::set_cooperative_level, 1, 0},
        {HeadlessOp::set_mode, 1, 0},       {HeadlessOp::create_surface, 1, 0},
        {HeadlessOp::get_attached, 1, 1},   {HeadlessOp::create_surface, 2, 1},
        {HeadlessOp::create_surface, 3, 2},
    };
    for (const auto& c : cases) {
        start({{c.op, c.call, 1, DISPLAY_ERR_UNSUPPORTED}});
        EXPECT_FALSE(display_init(window, W, H));
        EXPECT_STREQ(display_error(), "unsupported (0x80004001)");
        EXPECT_EQ(headless_calls(HeadlessOp::create_surface),
                  c.op == HeadlessOp::create_surface ? c.call : c.released_surfaces);
        uint32_t sentinel = 0;
        uint32_t* pixels = &sentinel;
        EXPECT_FALSE(display_lock(&pixels));
        EXPECT_EQ(pixels, &sentinel);
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

// The surfaces take turns (b, a, b, ...), and the turn passes only when a frame
// is presented. A lost flip restores and is not repeated; any other blit or
// flip error is ignored, and the flip still shows the (restored, empty) back
// buffer; a restore stops at its first failure.
TEST_F(Display, TurnsAndPresentationErrorsCostOnlyTheirFrame) {
    start({{HeadlessOp::flip, 1, 1, DISPLAY_ERR_SURFACE_LOST},
           {HeadlessOp::blt_fast, 2, 1, DISPLAY_ERR_GENERIC},
           {HeadlessOp::lock, 3, 1, DISPLAY_ERR_STILL_DRAWING},
           {HeadlessOp::restore, 5, 1, DISPLAY_ERR_OUT_OF_MEMORY}});
    ASSERT_TRUE(display_init(window, W, H));
    EXPECT_TRUE(frame(1)); // flip lost: nothing shown
    EXPECT_EQ(headless_calls(HeadlessOp::restore), 3);
    EXPECT_TRUE(frame(2));  // blit failed
    EXPECT_FALSE(frame(3)); // busy: dropped
    EXPECT_TRUE(frame(4));
    EXPECT_TRUE(frame(5));
    EXPECT_EQ(headless_calls(HeadlessOp::flip), 4);
    EXPECT_EQ(headless_calls(HeadlessOp::restore), 3);
    EXPECT_EQ(shown, (std::vector<uint32_t>{0, 4, 5}));
    std::vector<std::string> locks;
    for (const std::string& entry : headless_report().log)
        if (entry.rfind("lock ", 0) == 0) locks.push_back(entry.substr(5, 2));
    EXPECT_EQ(locks, (std::vector<std::string>{"s2", "s1", "s2", "s2", "s1"}));

    size_t mark = headless_report().log.size();
    EXPECT_FALSE(display_restore());
    const auto& log = headless_report().log;
    EXPECT_EQ(std::vector<std::string>(log.begin() + (long)mark, log.end()),
              (std::vector<std::string>{"restore primary", "restore s1"}));
}

// display_init starts its record afresh: after a run that presented one
// frame, the next run's first frame is on the surface the first run's was.
TEST_F(Display, ASecondRunStartsOnTheSameSurface) {
    for (int run = 0; run < 2; ++run) {
        start({});
        ASSERT_TRUE(display_init(window, W, H));
        ASSERT_TRUE(frame(0));
        display_shutdown();
        std::vector<std::string> locks;
        for (const std::string& entry : headless_report().log)
            if (entry.rfind("lock ", 0) == 0) locks.push_back(entry);
        EXPECT_EQ(locks, std::vector<std::string>{"lock s2 flags 0x0"}) << run;
    }
}

// A long run keeps the first calls of the log and only counts the rest, so
// the backend's memory stays flat however many frames it shows.
TEST_F(Display, TheCallLogStopsGrowingAtItsLimit) {
    start({});
    ASSERT_TRUE(display_init(window, W, H));
    ASSERT_TRUE(frame(0));
    const std::vector<std::string> first = headless_report().log;
    ASSERT_TRUE(frame(0));
    const size_t per_frame = headless_report().log.size() - first.size();
    ASSERT_GT(per_frame, 0u);
    const int frames = (int)(HEADLESS_LOG_LIMIT / per_frame) + 1000;
    for (int i = 2; i < frames; ++i)
        ASSERT_TRUE(frame(0));
    const HeadlessReport& report = headless_report();
    EXPECT_EQ(report.presented, frames);
    EXPECT_EQ(report.log.size(), HEADLESS_LOG_LIMIT);
    EXPECT_TRUE(std::equal(first.begin(), first.end(), report.log.begin()));
    EXPECT_EQ(report.log.size() + (size_t)report.log_dropped,
              first.size() + per_frame * (size_t)(frames - 1));
}

// In a window: the normal level, a primary without back buffer clipped to the
// window, and each frame one blit scaled onto the client area, which the
// window's size messages move; a resize makes new surfaces of the new size.
TEST_F(Display, AWindowedDisplayBlitsOntoTheClientArea) {
    start({});
    window = platform_create_window("test", "view", WINDOW_STYLE_RESIZABLE, 640, 400);
    platform_show_window(window, 1);
    ASSERT_TRUE(display_init_windowed(window, 320, 200));
    auto fill = [&](int32_t width, int32_t height, uint32_t colour) {
        uint32_t* pixels = nullptr;
        ASSERT_TRUE(display_lock(&pixels));
        std::fill(pixels, pixels + width * height, colour);
        display_present();
    };
    fill(320, 200, 0x112233);
    ASSERT_TRUE(display_resize(100, 50));
    fill(100, 50, 0x445566);
    EXPECT_EQ(shown, (std::vector<uint32_t>{0x112233, 0x445566}));
    const std::vector<std::string>& log = headless_report().log;
    for (const char* call :
         {"set_cooperative_level 0x8", "create_surface primary flags 0x1 caps 0x200",
          "create_clipper", "clipper_set_window", "set_clipper primary",
          "blt primary <- s2 flags 0x1000000", "release s1", "blt primary <- s4 flags 0x1000000"})
        EXPECT_NE(std::find(log.begin(), log.end(), call), log.end()) << call;
    EXPECT_EQ(headless_calls(HeadlessOp::set_mode), 0);
    EXPECT_EQ(headless_calls(HeadlessOp::flip), 0);
    display_shutdown();
    EXPECT_EQ(headless_report().clippers_alive, 0);
}

// A clipper that cannot be made fails the start; what was made is released.
TEST_F(Display, AWindowedStartWithoutClipperFails) {
    start({{HeadlessOp::create_clipper, 1, 1, DISPLAY_ERR_OUT_OF_MEMORY}});
    EXPECT_FALSE(display_init_windowed(window, W, H));
    EXPECT_STREQ(display_error(), "out of memory (0x8007000E)");
    EXPECT_FALSE(display_resize(W, H));
    display_shutdown();
    EXPECT_EQ(headless_report().clippers_alive, 0);
}
