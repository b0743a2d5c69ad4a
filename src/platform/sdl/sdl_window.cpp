// The SDL2 system beneath the emulated window system: one window, whose input
// SDL's event queue brings, translated into the Win32 messages the shell
// expects; the cursor; and the reasons of failures.
#include "platform/emulation/emulation.h"
#include "platform/sdl/sdl_backend.h"

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

// The program has one window; its SDL window lives until the display device
// lets go of it.
PlatformWindow the_window = nullptr;
SDL_Window* the_sdl_window = nullptr;
bool video_ready = false;
char failure_reason[256] = "";

const char* fake_driver_reason(const char* driver) {
    if (driver == nullptr) return "SDL chose no video driver";
    if (std::strcmp(driver, "offscreen") == 0 || std::strcmp(driver, "dummy") == 0)
        return "SDL fell back to a video driver that shows nothing";
    return nullptr;
}

bool has_display_variable() {
    const char* x11 = std::getenv("DISPLAY");
    const char* wayland = std::getenv("WAYLAND_DISPLAY");
    return (x11 != nullptr && x11[0] != '\0') || (wayland != nullptr && wayland[0] != '\0');
}

bool live(PlatformWindow window) {
    return window != nullptr && window == the_window && emulation_window_alive(window);
}

bool is_our_window(uint32_t sdl_window_id) {
    return live(the_window) && SDL_GetWindowID(the_sdl_window) == sdl_window_id;
}

// The keys the program hears, as Win32 virtual-key codes.
struct KeyName {
    SDL_Keycode sdl;
    uintptr_t key;
};
constexpr KeyName KEYS[] = {
    {SDLK_ESCAPE, KEY_ESCAPE}, {SDLK_LEFT, KEY_LEFT},   {SDLK_UP, KEY_UP},
    {SDLK_RIGHT, KEY_RIGHT},   {SDLK_DOWN, KEY_DOWN},   {SDLK_LSHIFT, KEY_SHIFT},
    {SDLK_RSHIFT, KEY_SHIFT},  {SDLK_EQUALS, KEY_PLUS}, {SDLK_PLUS, KEY_PLUS},
    {SDLK_MINUS, KEY_MINUS},   {SDLK_KP_PLUS, KEY_ADD}, {SDLK_KP_MINUS, KEY_SUBTRACT},
    {SDLK_HOME, KEY_HOME},     {SDLK_r, KEY_R},         {SDLK_1, KEY_1},
    {SDLK_3, KEY_3},           {SDLK_7, KEY_7},         {SDLK_u, KEY_U},
    {SDLK_h, KEY_H},           {SDLK_F11, KEY_F11},     {SDLK_SPACE, KEY_SPACE},
};

// 0 for a key the program has no use for.
uintptr_t virtual_key(SDL_Keycode sdl) {
    for (const KeyName& k : KEYS)
        if (k.sdl == sdl) return k.key;
    return 0;
}

// The mouse buttons held, as MOUSE_FLAG_ bits, and where the pointer was last
// (in the picture once the display has set its size).
uintptr_t buttons_held = 0;
int32_t pointer_x = 0, pointer_y = 0;

uintptr_t mouse_flags() {
    return buttons_held | ((SDL_GetModState() & KMOD_SHIFT) ? MOUSE_FLAG_SHIFT : 0);
}

void translate_key(const SDL_KeyboardEvent& event) {
    uintptr_t key = virtual_key(event.keysym.sym);
    if (key == 0 || !is_our_window(event.windowID)) return;
    emulation_post(the_window, event.type == SDL_KEYDOWN ? MESSAGE_KEYDOWN : MESSAGE_KEYUP, key, 0);
}

// Left, middle and right: the flag and the down message (up is one more).
struct MouseButton {
    uintptr_t flag;
    uint32_t down;
};
constexpr MouseButton BUTTONS[] = {{MOUSE_FLAG_LEFT, MESSAGE_LBUTTONDOWN},
                                   {MOUSE_FLAG_MIDDLE, MESSAGE_MBUTTONDOWN},
                                   {MOUSE_FLAG_RIGHT, MESSAGE_RBUTTONDOWN}};

void translate_button(const SDL_MouseButtonEvent& event) {
    if (event.button < SDL_BUTTON_LEFT || event.button > SDL_BUTTON_RIGHT ||
        !is_our_window(event.windowID))
        return;
    const MouseButton& button = BUTTONS[event.button - SDL_BUTTON_LEFT];
    bool down = event.type == SDL_MOUSEBUTTONDOWN;
    buttons_held = down ? buttons_held | button.flag : buttons_held & ~button.flag;
    pointer_x = event.x;
    pointer_y = event.y;
    emulation_post(the_window, down ? button.down : button.down + 1, mouse_flags(),
                   emulation_point(event.x, event.y));
}

void translate_mouse(const SDL_Event& event) {
    if (event.type == SDL_MOUSEBUTTONDOWN || event.type == SDL_MOUSEBUTTONUP)
        return translate_button(event.button);
    if (event.type == SDL_MOUSEMOTION && is_our_window(event.motion.windowID)) {
        pointer_x = event.motion.x;
        pointer_y = event.motion.y;
        emulation_post(the_window, MESSAGE_MOUSEMOVE, mouse_flags(),
                       emulation_point(pointer_x, pointer_y));
    }
    if (event.type == SDL_MOUSEWHEEL && is_our_window(event.wheel.windowID)) {
        int32_t turn = event.wheel.y * WHEEL_STEP;
        if (event.wheel.direction == SDL_MOUSEWHEEL_FLIPPED) turn = -turn;
        emulation_post(the_window, MESSAGE_MOUSEWHEEL, emulation_wheel(turn, mouse_flags()),
                       emulation_point(pointer_x, pointer_y));
    }
}

void translate_window_event(const SDL_WindowEvent& event) {
    if (!is_our_window(event.windowID)) return;
    if (event.event == SDL_WINDOWEVENT_CLOSE) emulation_post(the_window, MESSAGE_CLOSE, 0, 0);
    if (event.event == SDL_WINDOWEVENT_SIZE_CHANGED)
        emulation_post(the_window, MESSAGE_SIZE, 0, emulation_point(event.data1, event.data2));
}

// Posts what one SDL event means for the window, if anything.
void translate_event(const SDL_Event& event) {
    switch (event.type) {
    case SDL_KEYDOWN:
    case SDL_KEYUP:
        return translate_key(event.key);
    case SDL_MOUSEMOTION:
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP:
    case SDL_MOUSEWHEEL:
        return translate_mouse(event);
    case SDL_WINDOWEVENT:
        return translate_window_event(event.window);
    case SDL_DROPFILE: // the emulation keeps its own copy of the path
        emulation_post_file(the_window, event.drop.file);
        SDL_free(event.drop.file);
        return;
    case SDL_QUIT: // a signal, or the last window closed: ask the window to close
        emulation_post(the_window, MESSAGE_CLOSE, 0, 0);
        return;
    case SDL_RENDER_TARGETS_RESET:
    case SDL_RENDER_DEVICE_RESET:
        sdl_display_mark_lost();
        return;
    default:
        return;
    }
}

} // namespace

void sdl_failure(const char* format, ...) {
    va_list args;
    va_start(args, format);
    std::vsnprintf(failure_reason, sizeof failure_reason, format, args);
    va_end(args);
}

const char* platform_error() {
    return failure_reason;
}

// SDL draws the box itself on X11 (or asks zenity on Wayland), with or without
// SDL_Init; without a display there is nowhere to show it.
void platform_show_message(const char* title, const char* text) {
    if (has_display_variable())
        SDL_ShowSimpleMessageBox(SDL_MESSAGEBOX_ERROR, title, text, nullptr);
}

bool sdl_video_start() {
    if (video_ready) return true;
    if (!has_display_variable()) {
        sdl_failure("no display: neither DISPLAY nor WAYLAND_DISPLAY is set");
        return false;
    }
    if (SDL_Init(SDL_INIT_VIDEO) != 0) {
        sdl_failure("no display: %s", SDL_GetError());
        return false;
    }
    const char* driver = SDL_GetCurrentVideoDriver();
    if (const char* reason = fake_driver_reason(driver)) {
        sdl_failure("no display: %s (%s)", reason, driver ? driver : "none");
        SDL_Quit();
        return false;
    }
    video_ready = true;
    return true;
}

SDL_Window* sdl_window_handle(PlatformWindow window) {
    return live(window) ? the_sdl_window : nullptr;
}

void sdl_window_forget_if_destroyed(PlatformWindow window) {
    if (window == nullptr || window != the_window || emulation_window_alive(window) ||
        the_sdl_window == nullptr)
        return;
    SDL_DestroyWindow(the_sdl_window);
    the_sdl_window = nullptr;
}

void sdl_backend_shutdown() {
    if (the_sdl_window != nullptr) SDL_DestroyWindow(the_sdl_window);
    the_sdl_window = nullptr;
    the_window = nullptr;
    buttons_held = 0;
    emulation_reset();
    failure_reason[0] = '\0';
    if (video_ready) SDL_Quit();
    video_ready = false;
}

// --- The system beneath the emulated window system ---------------------------------

int32_t system_enter(const EmulatedCall&) {
    return 0;
}

// A resizable window gets its client size as it is asked, with or without a
// window manager; any other is a plain one until the display takes it
// full-screen.
bool system_window_open(PlatformWindow window, const char* title, int32_t width, int32_t height) {
    if (the_window != nullptr || !sdl_video_start()) return false;
    uint32_t flags = SDL_WINDOW_HIDDEN;
    if (emulation_window_style(window) == WINDOW_STYLE_RESIZABLE) flags |= SDL_WINDOW_RESIZABLE;
    the_sdl_window = SDL_CreateWindow(title, SDL_WINDOWPOS_UNDEFINED, SDL_WINDOWPOS_UNDEFINED,
                                      width, height, flags);
    if (the_sdl_window == nullptr) {
        sdl_failure("cannot create the window: %s", SDL_GetError());
        return false;
    }
    the_window = window;
    return true;
}

void system_window_show(PlatformWindow window, bool shown) {
    if (!live(window)) return;
    if (shown)
        SDL_ShowWindow(the_sdl_window);
    else
        SDL_HideWindow(the_sdl_window);
}

// The SDL window goes at once unless a display device still draws into it;
// then the display's release takes it down.
void system_window_close(PlatformWindow window) {
    if (window != the_window || the_sdl_window == nullptr) return;
    SDL_HideWindow(the_sdl_window);
    if (!sdl_display_uses_window(window)) sdl_window_forget_if_destroyed(window);
}

void system_cursor_show(bool shown) {
    if (video_ready) SDL_ShowCursor(shown ? SDL_ENABLE : SDL_DISABLE);
}

void system_desktop_size(int32_t* width, int32_t* height) {
    SDL_DisplayMode mode;
    int index = the_sdl_window != nullptr ? SDL_GetWindowDisplayIndex(the_sdl_window) : 0;
    if (!sdl_video_start() || SDL_GetDesktopDisplayMode(index < 0 ? 0 : index, &mode) != 0) {
        *width = 1024, *height = 768;
        return;
    }
    *width = mode.w, *height = mode.h;
}

// Desktop full screen keeps the desktop's mode; back in a window, the size is
// set again, since without a window manager nothing else restores it.
bool system_window_fullscreen(PlatformWindow window, bool fullscreen, int32_t width,
                              int32_t height) {
    if (!live(window)) return false;
    if (SDL_SetWindowFullscreen(the_sdl_window, fullscreen ? SDL_WINDOW_FULLSCREEN_DESKTOP : 0) !=
        0) {
        sdl_failure("cannot switch full screen: %s", SDL_GetError());
        return false;
    }
    if (!fullscreen) SDL_SetWindowSize(the_sdl_window, width, height);
    return true;
}

uint64_t system_clock_ms() {
    return SDL_GetTicks64();
}

// Takes every event that has come by the end of the wait, so that the ticks
// due meanwhile merge behind them.
bool system_wait(int32_t timeout_ms) {
    if (!video_ready) return false;
    SDL_Event event;
    if (timeout_ms < 0) {
        if (SDL_WaitEvent(&event) == 0) return false;
    } else if (SDL_WaitEventTimeout(&event, timeout_ms) == 0) {
        return true; // the time is up (SDL tells no error apart from it)
    }
    do
        translate_event(event);
    while (SDL_PollEvent(&event) != 0);
    return true;
}

void system_dispatched(const PlatformMessage&) {}
