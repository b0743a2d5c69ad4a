#include "platform/emulation/emulation.h"

#include <deque>
#include <memory>
#include <string>
#include <vector>

struct PlatformWindowRecord {
    WindowProc proc = nullptr;
    bool alive = true;
    bool timer_running = false;
    bool tick_pending = false;
    uint32_t timer_id = 0;
    uint32_t period = 0;
    uint64_t next_tick = 0; // on system_clock_ms
    uint32_t style = 0;
    int32_t client_width = 0, client_height = 0;
    bool fullscreen = false;
    int32_t windowed_width = 0, windowed_height = 0; // the size full screen gives back
};

namespace {

struct WindowClass {
    std::string name;
    WindowProc proc;
};

struct Queued {
    PlatformMessage message;
    std::string path; // a dropped file's
};

struct Emulation {
    std::vector<WindowClass> classes;
    // Records live until the next reset, so that a call on a destroyed window
    // is refused rather than undefined.
    std::vector<std::unique_ptr<PlatformWindowRecord>> windows;
    std::deque<Queued> queue;
    Queued current; // the message last returned: it owns a dropped file's path
    bool quit_posted = false;
    int quit_code = 0;
    int cursor_count = 0;
};

Emulation emulation;

bool live(PlatformWindow window) {
    return window != nullptr && window->alive;
}

const WindowClass* find_class(const char* name) {
    for (const WindowClass& c : emulation.classes)
        if (c.name == name) return &c;
    return nullptr;
}

// Ticks that fell due while nobody asked merge into one; the next falls a whole
// period after the last one due.
void post_due_ticks(uint64_t now) {
    for (const auto& window : emulation.windows) {
        if (!window->alive || !window->timer_running || now < window->next_tick) continue;
        emulation_timer_elapse(window.get());
        window->next_tick += (now - window->next_tick) / window->period * window->period;
        window->next_tick += window->period;
    }
}

// How long the wait may last before the next tick falls due; -1 without timers.
int32_t wait_limit(uint64_t now) {
    int64_t limit = -1;
    for (const auto& window : emulation.windows) {
        if (!window->alive || !window->timer_running) continue;
        int64_t left = window->next_tick > now ? int64_t(window->next_tick - now) : 0;
        if (limit < 0 || left < limit) limit = left;
    }
    return int32_t(limit);
}

// The oldest message for a live window; those for destroyed ones are dropped.
bool take_next(PlatformMessage* message) {
    while (!emulation.queue.empty()) {
        emulation.current = std::move(emulation.queue.front());
        emulation.queue.pop_front();
        PlatformMessage& taken = emulation.current.message;
        if (!live(taken.window)) continue;
        if (taken.message == MESSAGE_TIMER) taken.window->tick_pending = false;
        if (taken.message == MESSAGE_DROPFILES)
            taken.wparam = reinterpret_cast<uintptr_t>(emulation.current.path.c_str());
        *message = taken;
        return true;
    }
    return false;
}

bool take_quit(PlatformMessage* message) {
    if (!emulation.quit_posted) return false;
    emulation.quit_posted = false;
    *message = {nullptr, MESSAGE_QUIT, uintptr_t(emulation.quit_code), 0};
    return true;
}

} // namespace

// --- For the backends ----------------------------------------------------------------

void emulation_reset() {
    emulation = Emulation{};
}

bool emulation_post(PlatformWindow window, uint32_t message, uintptr_t wparam, intptr_t lparam) {
    if (!live(window)) return false;
    if (message == MESSAGE_SIZE) {
        window->client_width = int16_t(lparam & 0xFFFF);
        window->client_height = int16_t((lparam >> 16) & 0xFFFF);
    }
    emulation.queue.push_back({{window, message, wparam, lparam}, {}});
    return true;
}

bool emulation_post_file(PlatformWindow window, const char* path) {
    if (!live(window) || path == nullptr) return false;
    emulation.queue.push_back({{window, MESSAGE_DROPFILES, 0, 0}, path});
    return true;
}

intptr_t emulation_point(int32_t x, int32_t y) {
    return intptr_t((uint32_t(y) & 0xFFFF) << 16 | (uint32_t(x) & 0xFFFF));
}

uintptr_t emulation_wheel(int32_t turn, uintptr_t flags) {
    return uintptr_t((uint32_t(turn) & 0xFFFF) << 16) | (flags & 0xFFFF);
}

bool emulation_timer_elapse(PlatformWindow window) {
    if (!live(window) || !window->timer_running) return false;
    if (!window->tick_pending)
        window->tick_pending = emulation_post(window, MESSAGE_TIMER, window->timer_id, 0);
    return true;
}

bool emulation_window_alive(PlatformWindow window) {
    return live(window);
}

uint32_t emulation_window_style(PlatformWindow window) {
    return window != nullptr ? window->style : 0;
}

bool emulation_timer_running(PlatformWindow window) {
    return live(window) && window->timer_running;
}

int emulation_cursor_count() {
    return emulation.cursor_count;
}

// --- Window and messages ---------------------------------------------------------------

int platform_register_window_class(const char* class_name, uint32_t class_style, WindowProc proc) {
    EmulatedCall call{PlatformOp::register_class, proc != nullptr};
    call.name = class_name ? class_name : "";
    call.value = class_style;
    if (system_enter(call) != 0 || !call.valid || class_name == nullptr) return 0;
    if (find_class(class_name)) return 0;
    emulation.classes.push_back({class_name, proc});
    return 1;
}

PlatformWindow platform_create_window(const char* class_name, const char* title, uint32_t style,
                                      int32_t width, int32_t height) {
    EmulatedCall call{PlatformOp::create_window, true, class_name, title, style};
    call.width = width;
    call.height = height;
    if (system_enter(call) != 0) return nullptr;
    const WindowClass* window_class = find_class(class_name);
    if (window_class == nullptr) return nullptr;
    auto window = std::make_unique<PlatformWindowRecord>();
    window->proc = window_class->proc;
    window->style = style;
    window->client_width = width;
    window->client_height = height;
    if (!system_window_open(window.get(), title, width, height)) return nullptr;
    emulation.windows.push_back(std::move(window));
    return emulation.windows.back().get();
}

void platform_show_window(PlatformWindow window, int show_command) {
    system_enter({PlatformOp::show_window, live(window), "", "", uint32_t(show_command)});
    if (!live(window)) return;
    system_window_show(window, show_command != 0); // 0 is SW_HIDE
    if (show_command != 0 && window->style == WINDOW_STYLE_RESIZABLE)
        emulation_post(window, MESSAGE_SIZE, 0,
                       emulation_point(window->client_width, window->client_height));
}

void platform_desktop_size(int32_t* width, int32_t* height) {
    system_desktop_size(width, height);
    EmulatedCall call{PlatformOp::desktop_size, true};
    call.width = *width;
    call.height = *height;
    system_enter(call);
}

int platform_window_set_fullscreen(PlatformWindow window, int fullscreen) {
    EmulatedCall call{PlatformOp::set_fullscreen, live(window), "", "", uint32_t(fullscreen != 0)};
    if (system_enter(call) != 0 || !call.valid) return 0;
    if ((fullscreen != 0) == window->fullscreen) return 1;
    if (fullscreen) {
        window->windowed_width = window->client_width;
        window->windowed_height = window->client_height;
    }
    if (!system_window_fullscreen(window, fullscreen != 0, window->windowed_width,
                                  window->windowed_height))
        return 0;
    window->fullscreen = fullscreen != 0;
    int32_t width = window->windowed_width, height = window->windowed_height;
    if (window->fullscreen) system_desktop_size(&width, &height);
    emulation_post(window, MESSAGE_SIZE, 0, emulation_point(width, height));
    return 1;
}

bool platform_window_client_rect(PlatformWindow window, SurfaceRect* on_screen) {
    system_enter({PlatformOp::client_rect, live(window)});
    if (!live(window)) return false;
    *on_screen = {0, 0, window->client_width, window->client_height};
    return true;
}

void platform_update_window(PlatformWindow window) {
    system_enter({PlatformOp::update_window, live(window)});
}

int platform_show_cursor(int show) {
    system_enter({PlatformOp::show_cursor, true, "", "", uint32_t(show != 0)});
    emulation.cursor_count += show ? 1 : -1;
    system_cursor_show(emulation.cursor_count >= 0);
    return emulation.cursor_count;
}

int platform_set_timer(PlatformWindow window, uint32_t timer_id, uint32_t milliseconds) {
    EmulatedCall call{PlatformOp::set_timer, live(window), "", "", timer_id, milliseconds};
    if (system_enter(call) != 0 || !call.valid || milliseconds == 0) return 0;
    window->timer_running = true;
    window->timer_id = timer_id;
    window->period = milliseconds;
    window->next_tick = system_clock_ms() + milliseconds;
    return 1;
}

int platform_get_message(PlatformMessage* message) {
    system_enter({PlatformOp::get_message, true});
    for (;;) {
        if (take_quit(message)) return 0;
        uint64_t now = system_clock_ms();
        post_due_ticks(now);
        if (take_next(message)) return 1;
        if (!system_wait(wait_limit(now))) return -1;
    }
}

void platform_translate_message(const PlatformMessage*) {}

intptr_t platform_dispatch_message(const PlatformMessage* message) {
    system_enter({PlatformOp::dispatch_message, true});
    if (!live(message->window)) return 0;
    intptr_t result =
        message->window->proc(message->window, message->message, message->wparam, message->lparam);
    system_dispatched(*message);
    return result;
}

intptr_t platform_send_message(PlatformWindow window, uint32_t message, uintptr_t wparam,
                               intptr_t lparam) {
    system_enter({PlatformOp::send_message, live(window), "", "", message});
    if (!live(window)) return 0;
    return window->proc(window, message, wparam, lparam);
}

intptr_t platform_default_window_proc(PlatformWindow window, uint32_t message, uintptr_t,
                                      intptr_t) {
    if (message == MESSAGE_CLOSE) platform_destroy_window(window);
    return 0;
}

// As on Win32: the procedure hears of the destruction while the window still
// exists; the timer dies with the window.
void platform_destroy_window(PlatformWindow window) {
    system_enter({PlatformOp::destroy_window, live(window)});
    if (!live(window)) return;
    window->proc(window, MESSAGE_DESTROY, 0, 0);
    window->timer_running = false;
    window->alive = false;
    system_window_close(window);
}

void platform_post_quit_message(int exit_code) {
    system_enter({PlatformOp::post_quit, true, "", "", uint32_t(exit_code)});
    emulation.quit_posted = true;
    emulation.quit_code = exit_code;
}
