// The page beneath the emulated window system: one window, the canvas, whose
// input (keys, opened files) the page hands over while the program sleeps in
// system_wait.
#include <cstdio>

#include "platform/emulation/emulation.h"
#include "platform/web/web_backend.h"

namespace {

// The program has one window; it is forgotten by web_window_reset.
PlatformWindow the_window = nullptr;
// Whether the window being made, and the window, are resizable: their canvas
// follows the page.
bool opening_resizable = false;
bool resizable = false;
// A file opened on the demo's window, for the next run.
std::string scene_to_view;

} // namespace

extern "C" {

void web_key_down(uint32_t key) {
    emulation_post(the_window, MESSAGE_KEYDOWN, key, 0);
}

void web_key_up(uint32_t key) {
    emulation_post(the_window, MESSAGE_KEYUP, key, 0);
}

void web_mouse(uint32_t message, uint32_t flags, int32_t x, int32_t y) {
    emulation_post(the_window, message, flags, emulation_point(x, y));
}

void web_wheel(int32_t turn, uint32_t flags, int32_t x, int32_t y) {
    emulation_post(the_window, MESSAGE_MOUSEWHEEL, emulation_wheel(turn, flags),
                   emulation_point(x, y));
}

void web_size(int32_t width, int32_t height) {
    emulation_post(the_window, MESSAGE_SIZE, 0, emulation_point(width, height));
}

// The demo does not steer: a file opened on it is viewed in a run of its own,
// at the page's size, as if named on the command line.
void web_open_file(const char* path) {
    if (resizable || !emulation_window_alive(the_window)) {
        emulation_post_file(the_window, path);
        return;
    }
    if (!scene_to_view.empty()) std::remove(scene_to_view.c_str());
    scene_to_view = path;
    emulation_post(the_window, MESSAGE_CLOSE, 0, 0);
}

} // extern "C"

std::string web_scene_to_view() {
    std::string scene;
    scene.swap(scene_to_view);
    return scene;
}

void web_window_reset() {
    emulation_reset();
    the_window = nullptr;
    resizable = false;
    web_cursor_hide(0);
}

// --- The system beneath the emulated window system -----------------------------------

int32_t system_enter(const EmulatedCall& call) {
    if (call.op == PlatformOp::create_window)
        opening_resizable = (call.value & WINDOW_STYLE_RESIZABLE) == WINDOW_STYLE_RESIZABLE;
    return 0;
}

// The canvas takes the window's size, or a resizable window's the page's room;
// the title goes to the page.
bool system_window_open(PlatformWindow window, const char* title, int32_t width, int32_t height) {
    if (the_window != nullptr || width <= 0 || height <= 0) return false;
    web_window_open(title, width, height, opening_resizable);
    the_window = window;
    resizable = opening_resizable;
    return true;
}

// A resizable window's client area is the canvas the page has sized, not the
// size asked for: the window hears of it before its first frame.
void system_window_show(PlatformWindow window, bool shown) {
    web_window_show(shown);
    if (!shown || !resizable) return;
    int32_t width = 0, height = 0;
    web_canvas_size(&width, &height);
    emulation_post(window, MESSAGE_SIZE, 0, emulation_point(width, height));
}

// The desktop is the room the page gives the canvas, in the device's pixels.
void system_desktop_size(int32_t* width, int32_t* height) {
    web_room_size(width, height);
}

// Full screen is the page's, asked of the canvas's container; the page says
// the size it comes to when it has come.
bool system_window_fullscreen(PlatformWindow window, bool fullscreen, int32_t, int32_t) {
    return window == the_window && web_window_fullscreen(fullscreen) != 0;
}

// The canvas keeps the last picture.
void system_window_close(PlatformWindow) {}

void system_cursor_show(bool shown) {
    web_cursor_hide(!shown);
}

uint64_t system_clock_ms() {
    return uint64_t(web_clock_ms());
}

// The page has had its turn when the program wakes: what it queued is in.
bool system_wait(int32_t timeout_ms) {
    web_wait_for_message(timeout_ms);
    return true;
}

// The page's copy of an opened file has served its purpose once the window has
// seen it.
void system_dispatched(const PlatformMessage& message) {
    if (message.message == MESSAGE_DROPFILES) std::remove((const char*)message.wparam);
}

// Nothing in this backend fails for a reason that the step's own words do not
// already give.
const char* platform_error() {
    return "";
}

// The page shows the line where it shows what the program says on stderr; no
// box blocks it.
void platform_show_message(const char* title, const char* text) {
    web_show_message(title, text);
}
