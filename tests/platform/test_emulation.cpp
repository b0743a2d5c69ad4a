// The emulated window system on a system of the test's own: a clock that moves
// only when told, input that each wait hands over from a script, and calls the
// test may refuse. Every backend but Win32 runs on this one emulation.
#include "platform/emulation/emulation.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace {

struct TestSystem {
    uint64_t clock = 0;
    std::vector<std::function<void()>> inputs; // one for each wait, in turn
    std::vector<int32_t> waits;                // the time limit of each wait
    PlatformOp refused = PlatformOp::post_quit;
    bool refusing = false;
    int windows_open = 0;
    bool fullscreen = false;
} test_system;

struct Seen {
    uint32_t message;
    uintptr_t wparam;
    std::string path;
};
std::vector<Seen> seen;

// Escape closes the window, whose end ends the loop, as the shell's does.
intptr_t recording_proc(PlatformWindow window, uint32_t message, uintptr_t wparam,
                        intptr_t lparam) {
    bool file = message == MESSAGE_DROPFILES;
    seen.push_back({message, file ? 0 : wparam, file ? (const char*)wparam : ""});
    if (message == MESSAGE_KEYDOWN && wparam == KEY_ESCAPE)
        platform_send_message(window, MESSAGE_CLOSE, 0, 0);
    if (message == MESSAGE_DESTROY) platform_post_quit_message(3);
    return platform_default_window_proc(window, message, wparam, lparam);
}

class Emulation : public testing::Test {
  protected:
    void SetUp() override {
        emulation_reset();
        test_system = {};
        seen.clear();
        ASSERT_TRUE(platform_register_window_class("Test", 3, recording_proc));
        window = platform_create_window("Test", "Test", 0, 4, 2);
        ASSERT_NE(window, nullptr);
    }
    // Runs the loop until it ends; the quit code, or -1 when the script ran out.
    static int run_loop() {
        PlatformMessage message;
        int got;
        while ((got = platform_get_message(&message)) > 0)
            platform_dispatch_message(&message);
        return got == 0 ? int(message.wparam) : -1;
    }
    static std::vector<uint32_t> messages_seen() {
        std::vector<uint32_t> out;
        for (const Seen& s : seen)
            out.push_back(s.message);
        return out;
    }
    PlatformWindow window = nullptr;
};

TEST_F(Emulation, MessagesKeepTheirOrderAndAFilesPathLivesThroughItsDispatch) {
    test_system.inputs = {[&] {
        emulation_post(window, MESSAGE_KEYDOWN, 'A', 0);
        emulation_post_file(window, std::string("/a.3ds").c_str()); // a copy is kept
        emulation_post(window, MESSAGE_KEYDOWN, 'B', 0);
        emulation_post(window, MESSAGE_KEYDOWN, KEY_ESCAPE, 0);
        emulation_post(window, MESSAGE_KEYDOWN, 'C', 0); // taken after the window has gone
    }};
    EXPECT_EQ(run_loop(), 3);
    EXPECT_EQ(messages_seen(),
              (std::vector<uint32_t>{MESSAGE_KEYDOWN, MESSAGE_DROPFILES, MESSAGE_KEYDOWN,
                                     MESSAGE_KEYDOWN, MESSAGE_CLOSE, MESSAGE_DESTROY}));
    EXPECT_EQ(seen[1].path, "/a.3ds");
    EXPECT_EQ(seen[2].wparam, uintptr_t('B'));
    EXPECT_FALSE(emulation_window_alive(window));
    EXPECT_FALSE(emulation_post(window, MESSAGE_KEYDOWN, 'D', 0));
    EXPECT_EQ(run_loop(), -1) << "nothing reaches a destroyed window";
    EXPECT_EQ(seen.size(), 6u);
}

// However many periods pass unread, one tick waits; the next falls a period
// after the last one due, and each wait lasts until then.
TEST_F(Emulation, AtMostOneTickIsPending) {
    ASSERT_TRUE(platform_set_timer(window, 7, 20));
    test_system.inputs = {[] { test_system.clock += 70; },
                          [&] {
                              emulation_post(window, MESSAGE_KEYDOWN, 'A', 0);
                              EXPECT_TRUE(emulation_timer_elapse(window));
                              EXPECT_TRUE(emulation_timer_elapse(window));
                          },
                          [] { test_system.clock += 11; }};
    EXPECT_EQ(run_loop(), -1);
    EXPECT_EQ(messages_seen(), (std::vector<uint32_t>{MESSAGE_TIMER, MESSAGE_KEYDOWN, MESSAGE_TIMER,
                                                      MESSAGE_TIMER}));
    EXPECT_EQ(seen[0].wparam, 7u);
    EXPECT_EQ(test_system.waits, (std::vector<int32_t>{20, 10, 10, 19}));
}

TEST_F(Emulation, DestroyingTheWindowStopsItsTimer) {
    ASSERT_TRUE(platform_set_timer(window, 7, 20));
    test_system.inputs = {[&] {
        emulation_post(window, MESSAGE_CLOSE, 0, 0);
        test_system.clock += 20; // the tick due now comes behind the close
    }};
    EXPECT_EQ(run_loop(), 3);
    EXPECT_EQ(messages_seen(), (std::vector<uint32_t>{MESSAGE_CLOSE, MESSAGE_DESTROY}));
    EXPECT_FALSE(emulation_timer_running(window));
    EXPECT_FALSE(emulation_timer_elapse(window));
    test_system.waits.clear();
    EXPECT_EQ(run_loop(), -1);
    EXPECT_EQ(test_system.waits, (std::vector<int32_t>{-1})) << "no timer left to wake it";
    EXPECT_EQ(test_system.windows_open, 0);
}

// A sent message reaches the procedure at once, ahead of those queued.
TEST_F(Emulation, SendingDoesNotWaitInTheQueue) {
    emulation_post(window, MESSAGE_KEYDOWN, 'A', 0);
    EXPECT_EQ(platform_send_message(window, MESSAGE_KEYDOWN, 'B', 0), 0);
    EXPECT_EQ(seen.size(), 1u);
    platform_post_quit_message(5); // the quit message comes before the queue's
    EXPECT_EQ(run_loop(), 5);
    EXPECT_EQ(run_loop(), -1);
    ASSERT_EQ(seen.size(), 2u);
    EXPECT_EQ(seen[1].wparam, uintptr_t('A'));
}

TEST_F(Emulation, ClassesAndRefusedCalls) {
    EXPECT_FALSE(platform_register_window_class("Test", 3, recording_proc)) << "twice";
    EXPECT_FALSE(platform_register_window_class("Other", 3, nullptr));
    EXPECT_EQ(platform_create_window("Other", "Other", 0, 4, 2), nullptr);
    test_system.refusing = true;
    for (PlatformOp op : {PlatformOp::register_class, PlatformOp::create_window}) {
        test_system.refused = op;
        EXPECT_FALSE(platform_register_window_class("Third", 3, recording_proc) &&
                     platform_create_window("Third", "Third", 0, 4, 2));
    }
    test_system.refused = PlatformOp::set_timer;
    EXPECT_FALSE(platform_set_timer(window, 7, 20));
    EXPECT_FALSE(emulation_timer_running(window));
    EXPECT_EQ(test_system.windows_open, 1);
    EXPECT_EQ(platform_show_cursor(0), -1);
    EXPECT_EQ(platform_show_cursor(1), 0);
}

// A resizable window says its client size when shown and whenever the system
// changes it; full screen takes the desktop's size and gives the old one back.
TEST_F(Emulation, AResizableWindowsClientAreaFollowsItsSizeMessages) {
    PlatformWindow resizable =
        platform_create_window("Test", "Resizable", WINDOW_STYLE_RESIZABLE, 300, 200);
    ASSERT_NE(resizable, nullptr);
    platform_show_window(window, 1); // a fixed frame says nothing
    platform_show_window(resizable, 1);
    SurfaceRect client{};
    ASSERT_TRUE(platform_window_client_rect(resizable, &client));
    EXPECT_EQ(client.right - client.left, 300);
    EXPECT_EQ(client.bottom - client.top, 200);
    emulation_post(resizable, MESSAGE_SIZE, 0, emulation_point(640, 480));
    ASSERT_TRUE(platform_window_client_rect(resizable, &client));
    EXPECT_EQ(client.right - client.left, 640);
    EXPECT_EQ(client.bottom - client.top, 480);
    EXPECT_TRUE(platform_window_set_fullscreen(resizable, 1));
    EXPECT_TRUE(test_system.fullscreen);
    EXPECT_TRUE(platform_window_set_fullscreen(resizable, 0));
    EXPECT_FALSE(test_system.fullscreen);
    PlatformMessage message;
    std::vector<intptr_t> sizes;
    while (platform_get_message(&message) > 0)
        if (message.message == MESSAGE_SIZE) sizes.push_back(message.lparam);
    EXPECT_EQ(sizes,
              (std::vector<intptr_t>{emulation_point(300, 200), emulation_point(640, 480),
                                     emulation_point(1920, 1080), emulation_point(640, 480)}));
    ASSERT_TRUE(platform_window_client_rect(resizable, &client));
    EXPECT_EQ(client.right, 640);
    int32_t width = 0, height = 0;
    platform_desktop_size(&width, &height);
    EXPECT_EQ(width, 1920);
    platform_destroy_window(resizable);
    EXPECT_FALSE(platform_window_client_rect(resizable, &client));
    EXPECT_FALSE(platform_window_set_fullscreen(resizable, 1));
}

// As GET_X_LPARAM, GET_Y_LPARAM and GET_WHEEL_DELTA_WPARAM read them back.
TEST(EmulationPacking, PointsAndWheelTurnsPackAsWin32Does) {
    EXPECT_EQ(emulation_point(-1, 384), intptr_t(384 << 16 | 0xFFFF));
    EXPECT_EQ(emulation_wheel(-WHEEL_STEP, MOUSE_FLAG_SHIFT), uintptr_t(0xFF880004u));
}

} // namespace

// --- The test's system -----------------------------------------------------------------

int32_t system_enter(const EmulatedCall& call) {
    return test_system.refusing && call.op == test_system.refused ? 1 : 0;
}

bool system_window_open(PlatformWindow, const char*, int32_t, int32_t) {
    ++test_system.windows_open;
    return true;
}

void system_window_show(PlatformWindow, bool) {}

void system_window_close(PlatformWindow) {
    --test_system.windows_open;
}

void system_cursor_show(bool) {}

void system_desktop_size(int32_t* width, int32_t* height) {
    *width = 1920, *height = 1080;
}

bool system_window_fullscreen(PlatformWindow, bool fullscreen, int32_t, int32_t) {
    test_system.fullscreen = fullscreen;
    return true;
}

uint64_t system_clock_ms() {
    return test_system.clock;
}

bool system_wait(int32_t timeout_ms) {
    test_system.waits.push_back(timeout_ms);
    if (test_system.inputs.empty()) return false;
    std::function<void()> input = test_system.inputs.front();
    test_system.inputs.erase(test_system.inputs.begin());
    input();
    return true;
}

void system_dispatched(const PlatformMessage&) {}
