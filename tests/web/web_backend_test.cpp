// web_backend_test: the web backend's C++ half under node, the page played by
// page_stub.js with a clock of its own. Ticks that fall due while one waits
// merge into one, and the page's sleep lasts until the next; messages keep
// their order; an opened file's path lives through its dispatch and the file
// goes after it; Escape ends the loop and stops the timer; a reset forgets the
// run; a flip hands the canvas the picture in its byte order; a resizable
// window follows the page's room, and a blit into a windowed primary reaches
// the canvas in its byte order. Exit 0 when every check holds.
#include <emscripten.h>

#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "platform/emulation/emulation.h"
#include "platform/memory_surface.h"
#include "platform/web/web_backend.h"

namespace {

int failures = 0;
#define CHECK(condition)                                                                           \
    do {                                                                                           \
        if (!(condition)) {                                                                        \
            std::printf("FAILED line %d: %s\n", __LINE__, #condition);                             \
            ++failures;                                                                            \
        }                                                                                          \
    } while (0)

// What the page does each time the program would sleep, one entry a time.
std::vector<std::function<void()>> page_acts;
double clock_ms = 0;
std::vector<int32_t> waits; // the time limit of each sleep
int cursor_hidden = 0;
std::vector<uint8_t> canvas;
int32_t canvas_width = 0, canvas_height = 0;
std::vector<int> follows_page; // each time the page was told
std::vector<int> fullscreen_asked;

struct Seen {
    uint32_t message;
    uintptr_t wparam;
    std::string path;
    bool file_there;
};
std::vector<Seen> seen;
std::vector<intptr_t> lparams;

bool file_exists(const char* path) {
    FILE* file = std::fopen(path, "rb");
    if (file) std::fclose(file);
    return file != nullptr;
}

// Escape closes the window, whose end ends the loop, as the shell's does.
intptr_t recording_proc(PlatformWindow window, uint32_t message, uintptr_t wparam,
                        intptr_t lparam) {
    Seen s{message, wparam, "", false};
    if (message == MESSAGE_DROPFILES) {
        s.path = (const char*)wparam;
        s.file_there = file_exists(s.path.c_str());
    }
    seen.push_back(s);
    lparams.push_back(lparam);
    if (message == MESSAGE_KEYDOWN && wparam == KEY_ESCAPE)
        platform_send_message(window, MESSAGE_CLOSE, 0, 0);
    if (message == MESSAGE_DESTROY) platform_post_quit_message(0);
    return platform_default_window_proc(window, message, wparam, lparam);
}

PlatformWindow fresh_window(uint32_t style = 0) {
    web_window_reset();
    follows_page.clear();
    seen.clear();
    page_acts.clear();
    waits.clear();
    clock_ms = 0;
    CHECK(platform_register_window_class("Test", 3, recording_proc));
    PlatformWindow window = platform_create_window("Test", "Test", style, 4, 2);
    CHECK(window != nullptr);
    CHECK(platform_set_timer(window, 7, 20));
    return window;
}

// Runs the loop until it ends; returns the quit code (99: the page had
// nothing more to do, so the program would have slept for ever).
int run_loop() {
    PlatformMessage message;
    while (platform_get_message(&message) > 0)
        platform_dispatch_message(&message);
    return (int)message.wparam;
}

std::vector<uint32_t> messages_seen() {
    std::vector<uint32_t> out;
    for (const Seen& s : seen)
        out.push_back(s.message);
    return out;
}

void ticks_merge_and_messages_keep_their_order() {
    fresh_window();
    page_acts = {[] { clock_ms += 60; },
                 [] {
                     web_key_down('A');
                     clock_ms += 40;
                     web_key_down('B');
                 }};
    CHECK(run_loop() == 99);
    const std::vector<uint32_t> want = {MESSAGE_TIMER, MESSAGE_KEYDOWN, MESSAGE_KEYDOWN,
                                        MESSAGE_TIMER};
    CHECK(messages_seen() == want);
    CHECK(seen.size() == 4 && seen[0].wparam == 7 && seen[1].wparam == 'A' &&
          seen[2].wparam == 'B' && seen[3].wparam == 7);
    CHECK((waits == std::vector<int32_t>{20, 20, 20}));
}

void write_opened_file() {
    FILE* file = std::fopen("/opened.3ds", "wb");
    std::fputs("MM", file);
    std::fclose(file);
}

void an_opened_file_lives_through_its_dispatch() {
    fresh_window(WINDOW_STYLE_RESIZABLE);
    write_opened_file();
    page_acts = {[] { web_open_file("/opened.3ds"); }};
    CHECK(run_loop() == 99);
    CHECK(seen.size() == 1 && seen[0].message == MESSAGE_DROPFILES);
    CHECK(seen.size() == 1 && seen[0].path == "/opened.3ds" && seen[0].file_there);
    CHECK(!file_exists("/opened.3ds"));
    CHECK(web_scene_to_view().empty());
}

// The demo's window closes instead, and the file waits for the next run.
void a_file_opened_on_the_demo_waits_for_view_mode() {
    fresh_window();
    write_opened_file();
    page_acts = {[] { web_open_file("/opened.3ds"); }};
    CHECK(run_loop() == 0);
    const std::vector<uint32_t> want = {MESSAGE_CLOSE, MESSAGE_DESTROY};
    CHECK(messages_seen() == want);
    CHECK(file_exists("/opened.3ds"));
    CHECK(web_scene_to_view() == "/opened.3ds");
    CHECK(web_scene_to_view().empty()); // once
    std::remove("/opened.3ds");
}

void escape_ends_the_loop_and_the_timer() {
    fresh_window();
    page_acts = {[] {
        web_key_down(KEY_ESCAPE);
        clock_ms += 20;
    }};
    CHECK(run_loop() == 0);
    const std::vector<uint32_t> want = {MESSAGE_KEYDOWN, MESSAGE_CLOSE, MESSAGE_DESTROY};
    CHECK(messages_seen() == want); // the tick never reaches a destroyed window
    clock_ms += 100;
    web_key_down('A');
    page_acts = {};
    waits.clear();
    CHECK(run_loop() == 99);
    CHECK(seen.size() == 3);
    CHECK((waits == std::vector<int32_t>{-1})); // no timer is left to wake it
}

void a_reset_forgets_the_run() {
    fresh_window();
    CHECK(platform_show_cursor(0) == -1 && cursor_hidden == 1);
    web_key_down('A');
    web_window_reset();
    CHECK(cursor_hidden == 0);
    CHECK(platform_register_window_class("Test", 3, recording_proc));
    CHECK(platform_create_window("Test", "Test", 0, 4, 2) != nullptr);
    CHECK(platform_show_cursor(0) == -1);
    seen.clear();
    waits.clear();
    clock_ms += 100;
    CHECK(run_loop() == 99);
    CHECK(seen.empty());
    CHECK((waits == std::vector<int32_t>{-1})); // the old timer went with the reset
}

// What the page hands over of the mouse, key-ups and sizes comes packed as
// Win32 packs it.
void mouse_key_up_and_size_arrive_as_win32_messages() {
    fresh_window();
    page_acts = {[] {
        web_mouse(MESSAGE_RBUTTONDOWN, MOUSE_FLAG_RIGHT | MOUSE_FLAG_SHIFT, 10, 20);
        web_wheel(-WHEEL_STEP, MOUSE_FLAG_SHIFT, -3, 4);
        web_key_up(KEY_F11);
        web_size(800, 600);
    }};
    lparams.clear();
    CHECK(run_loop() == 99);
    const std::vector<uint32_t> want = {MESSAGE_RBUTTONDOWN, MESSAGE_MOUSEWHEEL, MESSAGE_KEYUP,
                                        MESSAGE_SIZE};
    CHECK(messages_seen() == want);
    CHECK(seen.size() == 4 && seen[0].wparam == (MOUSE_FLAG_RIGHT | MOUSE_FLAG_SHIFT) &&
          seen[1].wparam == 0xFF880004u && seen[2].wparam == KEY_F11);
    CHECK((lparams == std::vector<intptr_t>{20 << 16 | 10, 4 << 16 | 0xFFFD, 0, 600 << 16 | 800}));
}

SurfaceDesc describe(uint32_t flags, uint32_t caps, uint32_t width, uint32_t height) {
    SurfaceDesc desc{};
    desc.size = SURFACE_DESC_SIZE;
    desc.flags = flags;
    desc.caps = caps;
    desc.width = width;
    desc.height = height;
    desc.back_buffer_count = 1;
    return desc;
}

void a_flip_shows_the_picture_in_the_canvas_byte_order() {
    PlatformWindow window = fresh_window();
    PlatformDisplay display;
    PlatformSurface primary, back, offscreen;
    CHECK(platform_display_create(&display) == DISPLAY_OK);
    CHECK(platform_display_set_cooperative_level(display, window, 0x13) == DISPLAY_OK);
    CHECK(platform_display_set_mode(display, 2, 1, 32) == DISPLAY_OK);
    SurfaceDesc desc = describe(0x21, 0x00100218, 0, 0);
    CHECK(platform_display_create_surface(display, &desc, &primary) == DISPLAY_OK);
    CHECK(platform_surface_get_attached(primary, 0x00100004, &back) == DISPLAY_OK);
    desc = describe(7, 0x00100840, 2, 1);
    CHECK(platform_display_create_surface(display, &desc, &offscreen) == DISPLAY_OK);
    CHECK(platform_surface_lock(offscreen, &desc, 0) == DISPLAY_OK);
    CHECK(platform_surface_lock(offscreen, &desc, 0) != DISPLAY_OK); // never twice
    CHECK(desc.rgb_bit_count == 32);
    uint32_t* pixels = (uint32_t*)desc.surface;
    pixels[0] = 0x00112233;
    pixels[1] = 0x00FF0080;
    const SurfaceRect all = {0, 0, 2, 1};
    CHECK(platform_surface_blt_fast(back, 0, 0, offscreen, &all, 0) != DISPLAY_OK); // locked
    CHECK(platform_surface_unlock(offscreen) == DISPLAY_OK);
    CHECK(platform_surface_blt_fast(back, 0, 0, offscreen, &all, 0) == DISPLAY_OK);
    CHECK(platform_surface_flip(primary, nullptr, 0) == DISPLAY_OK);
    const std::vector<uint8_t> want = {0x11, 0x22, 0x33, 0xFF, 0xFF, 0x00, 0x80, 0xFF};
    CHECK(canvas == want);
    platform_surface_release(offscreen);
    platform_surface_release(primary);
    platform_display_release(display);
}

// The page's room (1600 x 900 in page_stub.js) is the desktop, and the canvas
// it has sized (640 x 360) the client area a resizable window hears of.
void a_resizable_window_follows_the_page() {
    PlatformWindow window = fresh_window();
    CHECK((follows_page == std::vector<int>{0}));
    web_window_reset();
    CHECK(platform_register_window_class("Test", 3, recording_proc));
    window = platform_create_window("Test", "Test", WINDOW_STYLE_RESIZABLE, 4, 2);
    CHECK(window != nullptr && (follows_page == std::vector<int>{0, 1}));
    platform_show_window(window, 1);
    seen.clear();
    lparams.clear();
    CHECK(run_loop() == 99);
    CHECK(!seen.empty() && seen[0].message == MESSAGE_SIZE && lparams[0] == (360 << 16 | 640));
    int32_t width = 0, height = 0;
    system_desktop_size(&width, &height);
    CHECK(width == 1600 && height == 900);
    fullscreen_asked.clear();
    CHECK(system_window_fullscreen(window, true, 4, 2));
    CHECK(system_window_fullscreen(window, false, 4, 2));
    CHECK(!system_window_fullscreen(nullptr, true, 4, 2));
    CHECK((fullscreen_asked == std::vector<int>{1, 0}));
}

// A windowed primary has no back buffer; a blit into it shows the picture (or
// the part asked for) on the canvas, in the canvas's byte order.
void a_blit_into_a_windowed_primary_reaches_the_canvas() {
    PlatformSurfaceRecord primary, flipping, picture;
    primary.kind = flipping.kind = SurfaceKind::primary;
    flipping.attached = &picture;
    picture.memory.width = 3;
    picture.memory.height = 2;
    picture.memory.pixels = {0x000000, 0x00112233, 0x00FF0080, 0x000000, 0x00445566, 0x00000001};
    const SurfaceRect right = {1, 0, 3, 2}, outside = {1, 0, 4, 2};
    CHECK(platform_surface_blt(&primary, nullptr, &picture, &right, SURFACE_BLT_WAIT) ==
          DISPLAY_OK);
    const std::vector<uint8_t> want = {0x11, 0x22, 0x33, 0xFF, 0xFF, 0x00, 0x80, 0xFF,
                                       0x44, 0x55, 0x66, 0xFF, 0x00, 0x00, 0x01, 0xFF};
    CHECK(canvas == want && canvas_width == 2 && canvas_height == 2);
    CHECK(platform_surface_blt(&primary, nullptr, &picture, nullptr, 0) == DISPLAY_OK);
    CHECK(canvas.size() == 24 && canvas_width == 3);
    CHECK(platform_surface_blt(&primary, nullptr, &picture, &outside, 0) != DISPLAY_OK);
    CHECK(platform_surface_blt(&flipping, nullptr, &picture, nullptr, 0) != DISPLAY_OK);
    CHECK(platform_surface_blt(&picture, nullptr, &picture, nullptr, 0) != DISPLAY_OK);
    picture.memory.locked = true;
    CHECK(platform_surface_blt(&primary, nullptr, &picture, nullptr, 0) != DISPLAY_OK);
}

} // namespace

extern "C" {

EMSCRIPTEN_KEEPALIVE void test_page_acts(int32_t timeout) {
    waits.push_back(timeout);
    if (page_acts.empty()) {
        platform_post_quit_message(99);
        return;
    }
    std::function<void()> act = page_acts.front();
    page_acts.erase(page_acts.begin());
    act();
}

EMSCRIPTEN_KEEPALIVE double test_clock() {
    return clock_ms;
}

EMSCRIPTEN_KEEPALIVE void test_cursor_hidden(int hidden) {
    cursor_hidden = hidden;
}

EMSCRIPTEN_KEEPALIVE void test_canvas(const uint8_t* pixels, int32_t width, int32_t height) {
    canvas.assign(pixels, pixels + width * height * 4);
    canvas_width = width;
    canvas_height = height;
}

EMSCRIPTEN_KEEPALIVE void test_follows_page(int follows) {
    follows_page.push_back(follows);
}

EMSCRIPTEN_KEEPALIVE int test_fullscreen(int fullscreen) {
    fullscreen_asked.push_back(fullscreen);
    return 1;
}

} // extern "C"

int main() {
    ticks_merge_and_messages_keep_their_order();
    an_opened_file_lives_through_its_dispatch();
    a_file_opened_on_the_demo_waits_for_view_mode();
    escape_ends_the_loop_and_the_timer();
    a_reset_forgets_the_run();
    mouse_key_up_and_size_arrive_as_win32_messages();
    a_flip_shows_the_picture_in_the_canvas_byte_order();
    a_resizable_window_follows_the_page();
    a_blit_into_a_windowed_primary_reaches_the_canvas();
    std::printf("web_backend_test: %s\n", failures ? "FAILED" : "every check holds");
    return failures ? 1 : 0;
}
