// Window, messages, timer and cursor on SDL2. One window, one message queue:
// SDL's event queue, read only by platform_get_message, with the window
// system's messages translated into the Win32 values the shell expects.
#include "platform/sdl/sdl_backend.h"

#include <atomic>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>

struct PlatformWindowRecord {
    SDL_Window* sdl = nullptr;
    WindowProc proc = nullptr;
    SDL_TimerID timer = 0;
    uint32_t timer_id = 0;
    std::atomic<bool> tick_pending{false};
    bool destroyed = false;
};

namespace {

struct WindowClass {
    char name[64];
    WindowProc proc;
};

constexpr int MAX_CLASSES = 4;
WindowClass classes[MAX_CLASSES];
int class_count = 0;

// The program has one window; it lives until sdl_backend_shutdown so that a
// pending timer callback never sees freed memory.
PlatformWindowRecord* the_window = nullptr;
bool quit_posted = false;
int quit_code = 0;
int cursor_count = 0;
uint32_t tick_event = 0;
bool video_ready = false;
char failure_reason[256] = "";
// The path of the last dropped file: SDL's copy, kept until the next drop or
// the backend's shutdown, so that it lives through the dispatch.
char* dropped_path = nullptr;

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

const WindowClass* find_class(const char* name) {
    for (int i = 0; i < class_count; ++i)
        if (std::strcmp(classes[i].name, name) == 0) return &classes[i];
    return nullptr;
}

// Runs on SDL's timer thread: posts a tick only when none is waiting, so a slow
// frame merges the ticks that fall in it instead of building a backlog.
Uint32 timer_callback(Uint32 interval, void* param) {
    auto* window = static_cast<PlatformWindowRecord*>(param);
    bool expected = false;
    if (window->tick_pending.compare_exchange_strong(expected, true)) {
        SDL_Event event{};
        event.type = tick_event;
        event.user.data1 = window;
        if (SDL_PushEvent(&event) != 1) window->tick_pending = false;
    }
    return interval;
}

bool live(const PlatformWindowRecord* window) {
    return window != nullptr && window == the_window && !window->destroyed;
}

bool is_our_window(uint32_t sdl_window_id) {
    return live(the_window) && SDL_GetWindowID(the_window->sdl) == sdl_window_id;
}

// The Win32 virtual-key code of a key, 0 for keys the program has no use for.
uintptr_t virtual_key(SDL_Keycode key) {
    if (key == SDLK_ESCAPE) return KEY_ESCAPE;
    if (key == SDLK_RETURN) return 13;
    if (key == SDLK_SPACE) return 32;
    if (key == SDLK_BACKSPACE) return 8;
    if (key == SDLK_TAB) return 9;
    if (key >= SDLK_0 && key <= SDLK_9) return uintptr_t(key);
    if (key >= SDLK_a && key <= SDLK_z) return uintptr_t(key - SDLK_a + 'A');
    return 0;
}

void set_message(PlatformMessage* out, uint32_t message, uintptr_t wparam) {
    out->window = the_window;
    out->message = message;
    out->wparam = wparam;
    out->lparam = 0;
}

// Turns one SDL event into a message for the window; false for events that
// carry none.
bool translate_event(const SDL_Event& event, PlatformMessage* out) {
    if (event.type == tick_event) {
        auto* window = static_cast<PlatformWindowRecord*>(event.user.data1);
        window->tick_pending = false;
        if (!live(window)) return false;
        set_message(out, MESSAGE_TIMER, window->timer_id);
        return true;
    }
    switch (event.type) {
    case SDL_KEYDOWN:
        if (!is_our_window(event.key.windowID)) return false;
        set_message(out, MESSAGE_KEYDOWN, virtual_key(event.key.keysym.sym));
        return true;
    case SDL_WINDOWEVENT:
        if (event.window.event != SDL_WINDOWEVENT_CLOSE || !is_our_window(event.window.windowID))
            return false;
        set_message(out, MESSAGE_CLOSE, 0);
        return true;
    case SDL_DROPFILE:
        SDL_free(dropped_path);
        dropped_path = event.drop.file;
        if (!live(the_window) || dropped_path == nullptr) return false;
        set_message(out, MESSAGE_DROPFILES, reinterpret_cast<uintptr_t>(dropped_path));
        return true;
    case SDL_QUIT: // a signal, or the last window closed: ask the window to close
        if (!live(the_window)) return false;
        set_message(out, MESSAGE_CLOSE, 0);
        return true;
    case SDL_RENDER_TARGETS_RESET:
    case SDL_RENDER_DEVICE_RESET:
        sdl_display_mark_lost();
        return false;
    default:
        return false;
    }
}

} // namespace

void sdl_failure(const char* format, ...) {
    va_list args;
    va_start(args, format);
    std::vsnprintf(failure_reason, sizeof failure_reason, format, args);
    va_end(args);
}

const char* platform_failure_reason() {
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
    if (SDL_Init(SDL_INIT_VIDEO | SDL_INIT_TIMER) != 0) {
        sdl_failure("no display: %s", SDL_GetError());
        return false;
    }
    const char* driver = SDL_GetCurrentVideoDriver();
    if (const char* reason = fake_driver_reason(driver)) {
        sdl_failure("no display: %s (%s)", reason, driver ? driver : "none");
        SDL_Quit();
        return false;
    }
    tick_event = SDL_RegisterEvents(1);
    video_ready = true;
    return true;
}

SDL_Window* sdl_window_handle(PlatformWindow window) {
    return live(window) ? window->sdl : nullptr;
}

void sdl_window_forget_if_destroyed(PlatformWindow window) {
    if (window == nullptr || !window->destroyed || window->sdl == nullptr) return;
    SDL_DestroyWindow(window->sdl);
    window->sdl = nullptr;
}

void sdl_backend_shutdown() {
    if (the_window != nullptr) {
        if (the_window->timer != 0) SDL_RemoveTimer(the_window->timer);
        if (the_window->sdl != nullptr) SDL_DestroyWindow(the_window->sdl);
        delete the_window;
        the_window = nullptr;
    }
    SDL_free(dropped_path);
    dropped_path = nullptr;
    class_count = 0;
    failure_reason[0] = '\0';
    quit_posted = false;
    quit_code = 0;
    cursor_count = 0;
    if (video_ready) SDL_Quit();
    video_ready = false;
}

int platform_register_window_class(const char* class_name, uint32_t, WindowProc proc) {
    if (class_name == nullptr || proc == nullptr || class_count == MAX_CLASSES) return 0;
    if (std::strlen(class_name) >= sizeof classes[0].name || find_class(class_name)) return 0;
    std::strcpy(classes[class_count].name, class_name);
    classes[class_count].proc = proc;
    ++class_count;
    return 1;
}

// The style is Win32's; here every window is a plain one until the display
// takes it full-screen.
PlatformWindow platform_create_window(const char* class_name, const char* title, uint32_t,
                                      int32_t width, int32_t height) {
    const WindowClass* window_class = find_class(class_name);
    if (window_class == nullptr || the_window != nullptr || !sdl_video_start()) return nullptr;
    SDL_Window* sdl = SDL_CreateWindow(title, SDL_WINDOWPOS_UNDEFINED, SDL_WINDOWPOS_UNDEFINED,
                                       width, height, SDL_WINDOW_HIDDEN);
    if (sdl == nullptr) {
        sdl_failure("cannot create the window: %s", SDL_GetError());
        return nullptr;
    }
    the_window = new PlatformWindowRecord;
    the_window->sdl = sdl;
    the_window->proc = window_class->proc;
    return the_window;
}

void platform_show_window(PlatformWindow window, int show_command) {
    if (!live(window)) return;
    if (show_command == 0) // SW_HIDE
        SDL_HideWindow(window->sdl);
    else
        SDL_ShowWindow(window->sdl);
}

void platform_update_window(PlatformWindow) {}

int platform_show_cursor(int show) {
    cursor_count += show ? 1 : -1;
    if (video_ready) SDL_ShowCursor(cursor_count >= 0 ? SDL_ENABLE : SDL_DISABLE);
    return cursor_count;
}

int platform_set_timer(PlatformWindow window, uint32_t timer_id, uint32_t milliseconds) {
    if (!live(window) || milliseconds == 0) return 0;
    if (window->timer != 0) SDL_RemoveTimer(window->timer);
    window->timer_id = timer_id;
    window->timer = SDL_AddTimer(milliseconds, timer_callback, window);
    return window->timer != 0 ? 1 : 0;
}

int platform_get_message(PlatformMessage* message) {
    if (!video_ready) return -1;
    for (;;) {
        if (quit_posted) {
            quit_posted = false;
            message->window = nullptr;
            message->message = MESSAGE_QUIT;
            message->wparam = uintptr_t(quit_code);
            message->lparam = 0;
            return 0;
        }
        SDL_Event event;
        if (SDL_WaitEvent(&event) == 0) return -1;
        if (translate_event(event, message)) return 1;
    }
}

void platform_translate_message(const PlatformMessage*) {}

intptr_t platform_dispatch_message(const PlatformMessage* message) {
    if (!live(message->window)) return 0;
    return message->window->proc(message->window, message->message, message->wparam,
                                 message->lparam);
}

intptr_t platform_send_message(PlatformWindow window, uint32_t message, uintptr_t wparam,
                               intptr_t lparam) {
    if (!live(window)) return 0;
    return window->proc(window, message, wparam, lparam);
}

intptr_t platform_default_window_proc(PlatformWindow window, uint32_t message, uintptr_t,
                                      intptr_t) {
    if (message == MESSAGE_CLOSE) platform_destroy_window(window);
    return 0;
}

// Like DestroyWindow: the window procedure hears MESSAGE_DESTROY first, then the
// timer stops. The SDL window goes at once unless a display device still draws
// into it; then the display's release takes it down.
void platform_destroy_window(PlatformWindow window) {
    if (!live(window)) return;
    window->proc(window, MESSAGE_DESTROY, 0, 0);
    if (window->timer != 0) SDL_RemoveTimer(window->timer);
    window->timer = 0;
    window->destroyed = true;
    SDL_HideWindow(window->sdl);
    if (!sdl_display_uses_window(window)) sdl_window_forget_if_destroyed(window);
}

void platform_post_quit_message(int exit_code) {
    quit_posted = true;
    quit_code = exit_code;
}
