// Window, messages, timer and cursor in a page. One window, the canvas, and
// one message queue, filled by the page (timer ticks, keys, opened files) and
// read only by platform_get_message, which sleeps while it is empty.
#include <cstdio>
#include <deque>
#include <string>

#include "platform/web/web_backend.h"

struct PlatformWindowRecord {
    WindowProc proc = nullptr;
    uint32_t timer_id = 0;
    bool timer_running = false;
    bool tick_pending = false;
    bool destroyed = false;
};

namespace {

struct WindowClass {
    std::string name;
    WindowProc proc;
};

struct Queued {
    uint32_t message;
    uintptr_t wparam;
    std::string path; // an opened file's
};

constexpr size_t max_classes = 4;
std::deque<WindowClass> classes;
// The program has one window; it lives until web_window_reset.
PlatformWindowRecord* the_window = nullptr;
std::deque<Queued> queue;
Queued current; // the message last returned: it owns an opened file's path
bool quit_posted = false;
int quit_code = 0;
int cursor_count = 0;

bool live(const PlatformWindowRecord* window) {
    return window != nullptr && window == the_window && !window->destroyed;
}

const WindowClass* find_class(const char* name) {
    for (const WindowClass& c : classes)
        if (c.name == name) return &c;
    return nullptr;
}

void take_next(PlatformMessage* message) {
    current = std::move(queue.front());
    queue.pop_front();
    if (current.message == MESSAGE_TIMER) the_window->tick_pending = false;
    if (current.message == MESSAGE_DROPFILES) current.wparam = (uintptr_t)current.path.c_str();
    *message = {the_window, current.message, current.wparam, 0};
}

} // namespace

extern "C" {

void web_timer_fired() {
    if (!live(the_window) || !the_window->timer_running || the_window->tick_pending) return;
    the_window->tick_pending = true;
    queue.push_back({MESSAGE_TIMER, the_window->timer_id, {}});
}

void web_key_down(uint32_t key) {
    if (live(the_window)) queue.push_back({MESSAGE_KEYDOWN, key, {}});
}

void web_open_file(const char* path) {
    if (live(the_window) && path != nullptr) queue.push_back({MESSAGE_DROPFILES, 0, path});
}

} // extern "C"

void web_window_reset() {
    web_timer_stop();
    delete the_window;
    the_window = nullptr;
    classes.clear();
    queue.clear();
    current = {};
    quit_posted = false;
    quit_code = 0;
    cursor_count = 0;
    web_cursor_hide(0);
}

int platform_register_window_class(const char* class_name, uint32_t, WindowProc proc) {
    if (class_name == nullptr || proc == nullptr || classes.size() == max_classes) return 0;
    if (find_class(class_name)) return 0;
    classes.push_back({class_name, proc});
    return 1;
}

// The canvas takes the window's size; the title goes to the page.
PlatformWindow platform_create_window(const char* class_name, const char* title, uint32_t,
                                      int32_t width, int32_t height) {
    const WindowClass* window_class = find_class(class_name);
    if (window_class == nullptr || the_window != nullptr || width <= 0 || height <= 0)
        return nullptr;
    web_window_open(title, width, height);
    the_window = new PlatformWindowRecord;
    the_window->proc = window_class->proc;
    return the_window;
}

void platform_show_window(PlatformWindow window, int show_command) {
    if (live(window)) web_window_show(show_command != 0); // 0 is SW_HIDE
}

void platform_update_window(PlatformWindow) {}

int platform_show_cursor(int show) {
    cursor_count += show ? 1 : -1;
    web_cursor_hide(cursor_count < 0);
    return cursor_count;
}

int platform_set_timer(PlatformWindow window, uint32_t timer_id, uint32_t milliseconds) {
    if (!live(window) || milliseconds == 0) return 0;
    window->timer_id = timer_id;
    window->timer_running = true;
    web_timer_start(milliseconds);
    return 1;
}

int platform_get_message(PlatformMessage* message) {
    for (;;) {
        if (quit_posted) {
            quit_posted = false;
            *message = {nullptr, MESSAGE_QUIT, (uintptr_t)quit_code, 0};
            return 0;
        }
        if (!queue.empty() && live(the_window)) {
            take_next(message);
            return 1;
        }
        queue.clear(); // nothing reaches a destroyed window
        web_wait_for_message();
    }
}

void platform_translate_message(const PlatformMessage*) {}

// The page's copy of an opened file has served its purpose once the window has
// seen it.
intptr_t platform_dispatch_message(const PlatformMessage* message) {
    if (!live(message->window)) return 0;
    intptr_t result =
        message->window->proc(message->window, message->message, message->wparam, message->lparam);
    if (message->message == MESSAGE_DROPFILES) std::remove((const char*)message->wparam);
    return result;
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

// Like DestroyWindow: the procedure hears MESSAGE_DESTROY, then the timer
// stops. The canvas keeps the last picture.
void platform_destroy_window(PlatformWindow window) {
    if (!live(window)) return;
    window->proc(window, MESSAGE_DESTROY, 0, 0);
    web_timer_stop();
    window->timer_running = false;
    window->destroyed = true;
}

// Nothing in this backend fails for a reason that the step's own words do not
// already give.
const char* platform_failure_reason() {
    return "";
}

// The page shows the line where it shows what the program says on stderr; no
// box blocks it.
void platform_show_message(const char* title, const char* text) {
    web_show_message(title, text);
}

void platform_post_quit_message(int exit_code) {
    quit_posted = true;
    quit_code = exit_code;
}
