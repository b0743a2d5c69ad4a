// The SDL2 backend driven directly, on a real (virtual) X server: window and
// messages, the timer's single pending tick, and the display device through
// the same calls and flags as the display logic makes.
#include "platform/sdl/sdl_backend.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

std::vector<uint32_t> seen;

intptr_t test_window_proc(PlatformWindow window, uint32_t message, uintptr_t wparam,
                          intptr_t lparam) {
    seen.push_back(message);
    if (message == MESSAGE_KEYDOWN && wparam == KEY_ESCAPE) {
        platform_send_message(window, MESSAGE_CLOSE, 0, 0);
        return 0;
    }
    if (message == MESSAGE_DESTROY) {
        platform_post_quit_message(7);
        return 0;
    }
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
    void TearDown() override { sdl_backend_shutdown(); }

    void push(SDL_Event event) { ASSERT_EQ(SDL_PushEvent(&event), 1); }
    void push_key(SDL_Keycode key) {
        SDL_Event event{};
        event.type = SDL_KEYDOWN;
        event.key.windowID = SDL_GetWindowID(sdl_window_handle(window));
        event.key.keysym.sym = key;
        push(event);
    }
    PlatformMessage next() {
        PlatformMessage message{};
        EXPECT_EQ(platform_get_message(&message), 1);
        return message;
    }

    PlatformWindow window = nullptr;
};

TEST_F(SdlBackend, WindowHasTitleShowsAndHidesTheCursorByCount) {
    SDL_Window* sdl = sdl_window_handle(window);
    EXPECT_STREQ(SDL_GetWindowTitle(sdl), "Velmor Engine 1.0");
    EXPECT_TRUE(SDL_GetWindowFlags(sdl) & SDL_WINDOW_HIDDEN);
    platform_show_window(window, 1);
    platform_update_window(window);
    EXPECT_TRUE(SDL_GetWindowFlags(sdl) & SDL_WINDOW_SHOWN);

    EXPECT_EQ(platform_show_cursor(0), -1);
    EXPECT_EQ(SDL_ShowCursor(SDL_QUERY), SDL_DISABLE);
    EXPECT_EQ(platform_show_cursor(0), -2);
    EXPECT_EQ(platform_show_cursor(1), -1);
    EXPECT_EQ(SDL_ShowCursor(SDL_QUERY), SDL_DISABLE);
    EXPECT_EQ(platform_show_cursor(1), 0);
    EXPECT_EQ(SDL_ShowCursor(SDL_QUERY), SDL_ENABLE);

    EXPECT_FALSE(platform_register_window_class("Velmor_Engine", 3, test_window_proc));
    EXPECT_EQ(platform_create_window("Velmor_Engine", "second", 0, 10, 10), nullptr);
    EXPECT_EQ(platform_create_window("unknown", "x", 0, 10, 10), nullptr);
}

TEST_F(SdlBackend, TimerKeepsAtMostOneTickPending) {
    ASSERT_TRUE(platform_set_timer(window, 5, 20));
    SDL_Delay(150); // several periods with nobody reading the queue
    SDL_PumpEvents();
    SDL_Event waiting[16];
    EXPECT_EQ(SDL_PeepEvents(waiting, 16, SDL_PEEKEVENT, SDL_USEREVENT, SDL_LASTEVENT), 1);

    for (int tick = 0; tick < 3; ++tick) {
        PlatformMessage message = next();
        EXPECT_EQ(message.window, window);
        EXPECT_EQ(message.message, MESSAGE_TIMER);
        EXPECT_EQ(message.wparam, 5u);
    }
}

TEST_F(SdlBackend, EscapeClosesDestroysAndQuitsWithTheCode) {
    ASSERT_TRUE(platform_set_timer(window, 0, 20));
    push_key(SDLK_a);
    push_key(SDLK_ESCAPE);

    PlatformMessage other = next();
    EXPECT_EQ(other.message, MESSAGE_KEYDOWN);
    EXPECT_EQ(other.wparam, uintptr_t('A'));

    PlatformMessage message{};
    for (;;) { // timer ticks may come first
        message = next();
        if (message.message != MESSAGE_TIMER) break;
    }
    ASSERT_EQ(message.message, MESSAGE_KEYDOWN);
    EXPECT_EQ(message.wparam, KEY_ESCAPE);
    platform_translate_message(&message);
    platform_dispatch_message(&message);
    EXPECT_EQ(seen, (std::vector<uint32_t>{MESSAGE_KEYDOWN, MESSAGE_CLOSE, MESSAGE_DESTROY}));
    EXPECT_EQ(sdl_window_handle(window), nullptr);

    EXPECT_EQ(platform_get_message(&message), 0);
    EXPECT_EQ(message.wparam, 7u);
    // The timer died with the window: no tick is left to dispatch.
    SDL_Delay(60);
    SDL_PumpEvents();
    SDL_Event waiting[16];
    int left = SDL_PeepEvents(waiting, 16, SDL_GETEVENT, SDL_USEREVENT, SDL_LASTEVENT);
    EXPECT_LE(left, 1); // one may have been on its way
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
    EXPECT_EQ(platform_get_message(&message), 0);
}

// The display set up exactly as the display logic does it.
struct Screen {
    PlatformDisplay display = nullptr;
    PlatformSurface primary = nullptr, back = nullptr, a = nullptr, b = nullptr;
};

void set_up_screen(PlatformWindow window, Screen& s) {
    ASSERT_EQ(platform_display_create(&s.display), DISPLAY_OK);
    ASSERT_EQ(platform_display_set_cooperative_level(s.display, window, 0x13), DISPLAY_OK);
    EXPECT_EQ(platform_display_set_mode(s.display, 512, 384, 16), DISPLAY_ERR_UNSUPPORTED);
    ASSERT_EQ(platform_display_set_mode(s.display, 512, 384, 32), DISPLAY_OK);
    SurfaceDesc desc{};
    desc.size = SURFACE_DESC_SIZE;
    desc.flags = 0x21;
    desc.caps = 0x00100218;
    desc.back_buffer_count = 1;
    ASSERT_EQ(platform_display_create_surface(s.display, &desc, &s.primary), DISPLAY_OK);
    ASSERT_EQ(platform_surface_get_attached(s.primary, 0x00100004, &s.back), DISPLAY_OK);
    desc.flags = 7;
    desc.height = 384;
    desc.width = 512;
    desc.caps = 0x00100840;
    ASSERT_EQ(platform_display_create_surface(s.display, &desc, &s.a), DISPLAY_OK);
    ASSERT_EQ(platform_display_create_surface(s.display, &desc, &s.b), DISPLAY_OK);
}

uint32_t* lock(PlatformSurface surface) {
    SurfaceDesc desc{};
    desc.size = SURFACE_DESC_SIZE;
    if (platform_surface_lock(surface, &desc, 0) != DISPLAY_OK) return nullptr;
    EXPECT_EQ(desc.rgb_bit_count, 32u);
    return static_cast<uint32_t*>(desc.surface);
}

void release_screen(Screen& s) {
    platform_surface_release(s.primary);
    platform_surface_release(s.a);
    platform_surface_release(s.b);
    platform_display_release(s.display);
}

const SurfaceRect whole{0, 0, 512, 384};

TEST_F(SdlBackend, DisplayGoesFullScreenPresentsAndGivesTheScreenBack) {
    platform_show_window(window, 1);
    Screen s;
    set_up_screen(window, s);
    SDL_Window* sdl = sdl_window_handle(window);
    EXPECT_TRUE(SDL_GetWindowFlags(sdl) & SDL_WINDOW_FULLSCREEN_DESKTOP);
    int w = 0, h = 0;
    SDL_RenderGetLogicalSize(SDL_GetRenderer(sdl), &w, &h);
    EXPECT_EQ(w, 512);
    EXPECT_EQ(h, 384);

    for (PlatformSurface surface : {s.b, s.a, s.b}) {
        uint32_t* pixels = lock(surface);
        ASSERT_NE(pixels, nullptr);
        EXPECT_EQ(lock(surface), nullptr) << "a locked surface cannot be locked again";
        EXPECT_EQ(platform_surface_blt_fast(s.back, 0, 0, surface, &whole, 0), DISPLAY_ERR_GENERIC)
            << "a locked surface cannot be blitted";
        for (int i = 0; i < 512 * 384; ++i)
            pixels[i] = uint32_t(i) & 0x00FFFFFF;
        EXPECT_EQ(platform_surface_unlock(surface), DISPLAY_OK);
        EXPECT_EQ(platform_surface_blt_fast(s.back, 0, 0, surface, &whole, 0), DISPLAY_OK);
        EXPECT_EQ(platform_surface_flip(s.primary, nullptr, 0), DISPLAY_OK);
    }
    const SurfaceRect too_wide{0, 0, 513, 384};
    EXPECT_EQ(platform_surface_blt_fast(s.back, 0, 0, s.a, &too_wide, 0), DISPLAY_ERR_GENERIC);
    EXPECT_EQ(platform_surface_blt_fast(s.back, 1, 0, s.a, &whole, 0), DISPLAY_ERR_GENERIC);

    release_screen(s);
    EXPECT_FALSE(SDL_GetWindowFlags(sdl) & SDL_WINDOW_FULLSCREEN_DESKTOP);
}

TEST_F(SdlBackend, RenderResetsLoseTheBackBufferUntilRestored) {
    Screen s;
    set_up_screen(window, s);
    for (SDL_EventType reset : {SDL_RENDER_DEVICE_RESET, SDL_RENDER_TARGETS_RESET}) {
        SDL_Event event{};
        event.type = reset;
        push(event);
        EXPECT_EQ(platform_surface_blt_fast(s.back, 0, 0, s.a, &whole, 0),
                  DISPLAY_ERR_SURFACE_LOST);
        EXPECT_EQ(platform_surface_flip(s.primary, nullptr, 0), DISPLAY_ERR_SURFACE_LOST);
        EXPECT_NE(lock(s.a), nullptr) << "memory surfaces are not lost";
        EXPECT_EQ(platform_surface_unlock(s.a), DISPLAY_OK);
        EXPECT_EQ(platform_surface_restore(s.primary), DISPLAY_OK);
        EXPECT_EQ(platform_surface_restore(s.a), DISPLAY_OK);
        EXPECT_EQ(platform_surface_restore(s.b), DISPLAY_OK);
        EXPECT_EQ(platform_surface_blt_fast(s.back, 0, 0, s.a, &whole, 0), DISPLAY_OK);
        EXPECT_EQ(platform_surface_flip(s.primary, nullptr, 0), DISPLAY_OK);
    }
    release_screen(s);
}

TEST_F(SdlBackend, WindowDestroyedBeforeTheDisplayIsReleased) {
    Screen s;
    set_up_screen(window, s);
    platform_send_message(window, MESSAGE_CLOSE, 0, 0);
    EXPECT_EQ(seen, (std::vector<uint32_t>{MESSAGE_CLOSE, MESSAGE_DESTROY}));
    release_screen(s); // the shell's shutdown order: the display goes after the window
}

TEST(SdlWithoutDisplay, WindowCreationFailsAndSaysWhy) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            unsetenv("DISPLAY");
            unsetenv("WAYLAND_DISPLAY");
            platform_register_window_class("c", 3, test_window_proc);
            PlatformDisplay display = nullptr;
            bool failed = platform_create_window("c", "t", 0, 512, 384) == nullptr &&
                          platform_display_create(&display) != DISPLAY_OK;
            std::exit(failed ? 1 : 0);
        },
        testing::ExitedWithCode(1), "velmor: no display: neither DISPLAY nor WAYLAND_DISPLAY");
}

TEST(SdlWithoutDisplay, FallbackDriversAreRefused) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            setenv("SDL_VIDEODRIVER", "dummy", 1);
            std::exit(sdl_video_start() ? 0 : 1);
        },
        testing::ExitedWithCode(1), "shows nothing \\(dummy\\)");
}

} // namespace
