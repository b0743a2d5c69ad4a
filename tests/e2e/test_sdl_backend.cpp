// The SDL2 backend on a real (virtual) X server, for what the end-to-end run
// of the program does not reach: the cursor, the timer's single pending tick,
// the close button, dropped files, render resets and the fallback drivers.
#include "platform/sdl/sdl_backend.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <vector>

#include "display/display.h"

namespace {

std::vector<uint32_t> seen;

intptr_t test_window_proc(PlatformWindow window, uint32_t message, uintptr_t wparam,
                          intptr_t lparam) {
    seen.push_back(message);
    return platform_default_window_proc(window, message, wparam, lparam);
}

class SdlBackend : public testing::Test {
  protected:
    void SetUp() override {
        seen.clear();
        ASSERT_TRUE(platform_register_window_class("Velmor_Engine", 3, test_window_proc));
        window = platform_create_window("Velmor_Engine", "Velmor Engine 1.0", WINDOW_STYLE_DLGFRAME,
                                        512, 384);
        ASSERT_NE(window, nullptr);
    }
    void TearDown() override {
        display_shutdown();
        sdl_backend_shutdown();
    }
    static void push(SDL_Event event) { ASSERT_EQ(SDL_PushEvent(&event), 1); }
    static PlatformMessage next() {
        PlatformMessage message{};
        EXPECT_EQ(platform_get_message(&message), 1);
        return message;
    }
    PlatformWindow window = nullptr;
};

TEST_F(SdlBackend, CursorHidesAndShows) {
    EXPECT_EQ(platform_show_cursor(0), -1);
    EXPECT_EQ(SDL_ShowCursor(SDL_QUERY), SDL_DISABLE);
    EXPECT_EQ(platform_show_cursor(1), 0);
    EXPECT_EQ(SDL_ShowCursor(SDL_QUERY), SDL_ENABLE);
}

TEST_F(SdlBackend, TimerKeepsAtMostOneTickPending) {
    ASSERT_TRUE(platform_set_timer(window, 5, 20));
    SDL_Delay(150); // several periods with nobody reading the queue
    SDL_Event key{};
    key.type = SDL_KEYDOWN;
    key.key.keysym.sym = SDLK_h;
    key.key.windowID = SDL_GetWindowID(sdl_window_handle(window));
    push(key);
    EXPECT_EQ(next().message, MESSAGE_TIMER); // the ticks of those periods, merged into one
    PlatformMessage key_message = next();
    EXPECT_EQ(key_message.message, MESSAGE_KEYDOWN);
    EXPECT_EQ(key_message.wparam, KEY_H);
    for (int tick = 0; tick < 3; ++tick) {
        PlatformMessage message = next();
        EXPECT_EQ(message.window, window);
        EXPECT_EQ(message.message, MESSAGE_TIMER);
        EXPECT_EQ(message.wparam, 5u);
    }
}

TEST_F(SdlBackend, CloseButtonAndQuitRequestBecomeCloseMessages) {
    SDL_Event close{};
    close.type = SDL_WINDOWEVENT;
    close.window.event = SDL_WINDOWEVENT_CLOSE;
    close.window.windowID = SDL_GetWindowID(sdl_window_handle(window));
    push(close);
    SDL_Event quit{};
    quit.type = SDL_QUIT;
    push(quit);

    EXPECT_EQ(next().message, MESSAGE_CLOSE);
    PlatformMessage message = next();
    EXPECT_EQ(message.message, MESSAGE_CLOSE);
    platform_dispatch_message(&message);
    EXPECT_EQ(seen, (std::vector<uint32_t>{MESSAGE_CLOSE, MESSAGE_DESTROY}));
}

// Mouse, key-up and size events come as Win32 messages with Win32's packing:
// the buttons held and Shift in wparam, x and y in lparam.
TEST_F(SdlBackend, MouseKeyUpAndSizeBecomeWin32Messages) {
    const uint32_t id = SDL_GetWindowID(sdl_window_handle(window));
    SDL_Event e{};
    e.type = SDL_MOUSEBUTTONDOWN;
    e.button = {SDL_MOUSEBUTTONDOWN, 0, id, 0, SDL_BUTTON_RIGHT, SDL_PRESSED, 1, 0, 10, 20};
    push(e);
    e = {};
    e.motion = {SDL_MOUSEMOTION, 0, id, 0, SDL_BUTTON_RMASK, 30, 400, 20, 380};
    push(e);
    e = {};
    e.wheel = {SDL_MOUSEWHEEL, 0, id, 0, 0, -2, SDL_MOUSEWHEEL_NORMAL, 0, -2, 0, 0};
    push(e);
    e = {};
    e.button = {SDL_MOUSEBUTTONUP, 0, id, 0, SDL_BUTTON_RIGHT, SDL_RELEASED, 1, 0, 30, 400};
    push(e);
    e = {};
    e.key = {SDL_KEYUP, 0, id, SDL_RELEASED, 0, 0, 0, {SDL_SCANCODE_F11, SDLK_F11, 0, 0}};
    push(e);
    e = {};
    e.window = {SDL_WINDOWEVENT, 0, id, SDL_WINDOWEVENT_SIZE_CHANGED, 0, 0, 0, 640, 480};
    push(e);

    SDL_SetModState(KMOD_LSHIFT);
    struct Want {
        uint32_t message;
        uintptr_t wparam;
        intptr_t lparam;
    };
    const Want want[] = {
        {MESSAGE_RBUTTONDOWN, MOUSE_FLAG_RIGHT | MOUSE_FLAG_SHIFT, 20 << 16 | 10},
        {MESSAGE_MOUSEMOVE, MOUSE_FLAG_RIGHT | MOUSE_FLAG_SHIFT, 400 << 16 | 30},
        {MESSAGE_MOUSEWHEEL,
         uintptr_t(uint16_t(-2 * WHEEL_STEP)) << 16 | MOUSE_FLAG_RIGHT | MOUSE_FLAG_SHIFT,
         400 << 16 | 30},
        {MESSAGE_RBUTTONUP, MOUSE_FLAG_SHIFT, 400 << 16 | 30},
        {MESSAGE_KEYUP, KEY_F11, 0},
        {MESSAGE_SIZE, 0, 480 << 16 | 640}};
    for (const Want& w : want) {
        PlatformMessage message = next();
        EXPECT_EQ(message.message, w.message);
        EXPECT_EQ(message.wparam, w.wparam) << std::hex << w.message;
        EXPECT_EQ(message.lparam, w.lparam) << std::hex << w.message;
    }
    SDL_SetModState(KMOD_NONE);
}

// A file dropped on the window arrives with its path, which lives through the
// dispatch (the backend keeps SDL's copy until the next drop).
TEST_F(SdlBackend, ADroppedFileArrivesWithItsPath) {
    for (const char* path : {"/models/ship one.3ds", "/models/car.3ds"}) {
        SDL_Event drop{};
        drop.type = SDL_DROPFILE;
        drop.drop.file = SDL_strdup(path);
        drop.drop.windowID = SDL_GetWindowID(sdl_window_handle(window));
        push(drop);
        PlatformMessage message = next();
        EXPECT_EQ(message.window, window);
        EXPECT_EQ(message.message, MESSAGE_DROPFILES);
        EXPECT_STREQ(reinterpret_cast<const char*>(message.wparam), path);
    }
}

// The display takes the desktop at the program's size, scaled; a render reset
// loses the back buffer until it is restored, and shutdown gives the desktop back.
TEST_F(SdlBackend, DisplayTakesTheDesktopAndSurvivesRenderResets) {
    platform_show_window(window, 1);
    ASSERT_TRUE(display_init(window, 512, 384));
    SDL_Window* sdl = sdl_window_handle(window);
    EXPECT_TRUE(SDL_GetWindowFlags(sdl) & SDL_WINDOW_FULLSCREEN_DESKTOP);
    int w = 0, h = 0;
    SDL_RenderGetLogicalSize(SDL_GetRenderer(sdl), &w, &h);
    EXPECT_EQ(w, 512);
    EXPECT_EQ(h, 384);

    const DisplayState& d = display_state;
    const SurfaceRect whole{0, 0, 512, 384};
    for (SDL_EventType reset : {SDL_RENDER_DEVICE_RESET, SDL_RENDER_TARGETS_RESET}) {
        SDL_Event event{};
        event.type = reset;
        push(event);
        EXPECT_EQ(platform_surface_blt_fast(d.back_buffer, 0, 0, d.surface_a, &whole, 0),
                  DISPLAY_ERR_SURFACE_LOST);
        EXPECT_EQ(platform_surface_flip(d.primary, nullptr, 0), DISPLAY_ERR_SURFACE_LOST);
        uint32_t* pixels = nullptr;
        EXPECT_TRUE(display_lock(&pixels)) << "memory surfaces are not lost";
        EXPECT_EQ(platform_surface_unlock(d.surface_b), DISPLAY_OK);
        EXPECT_TRUE(display_restore());
        EXPECT_EQ(platform_surface_blt_fast(d.back_buffer, 0, 0, d.surface_a, &whole, 0),
                  DISPLAY_OK);
        EXPECT_EQ(platform_surface_flip(d.primary, nullptr, 0), DISPLAY_OK);
    }
    display_shutdown();
    EXPECT_FALSE(SDL_GetWindowFlags(sdl) & SDL_WINDOW_FULLSCREEN_DESKTOP);
}

// A renderer that cannot be created (here: the window has one already) says
// why, for the shell's one line, and prints nothing itself.
TEST_F(SdlBackend, ARendererThatCannotBeMadeGivesItsReason) {
    SDL_Renderer* taken = SDL_CreateRenderer(sdl_window_handle(window), -1, 0);
    ASSERT_NE(taken, nullptr);
    testing::internal::CaptureStderr();
    EXPECT_FALSE(display_init(window, 512, 384));
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
    EXPECT_STREQ(platform_error(),
                 "cannot create a renderer: Renderer already associated with window");
    display_shutdown();
    SDL_DestroyRenderer(taken);
}

// SDL would fall back to a driver that shows nothing rather than fail.
TEST(SdlWithoutDisplay, FallbackDriversAreRefused) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            setenv("SDL_VIDEODRIVER", "dummy", 1);
            if (sdl_video_start()) std::exit(0);
            std::fputs(platform_error(), stderr);
            std::exit(1);
        },
        testing::ExitedWithCode(1), "shows nothing \\(dummy\\)");
}

} // namespace
