// View mode's window: the steered camera, a picture at the window's size (or
// --size's, scaled), and the text scaled to it.
#include <cstdio>

#include "app/app_internal.h"
#include "display/display.h"
#include "text/text.h"

namespace {

// The window's share of the desktop, in tenths of each side.
constexpr int32_t WINDOW_TENTHS = 7;

const char* const HELP_TEXT = "Left drag: orbit\n"
                              "Right, middle or Shift + left drag: pan\n"
                              "Wheel, + and -: zoom\n"
                              "Arrows: orbit (with Shift: pan)\n"
                              "Home or R: start view\n"
                              "1, 3, 7: front, right, top view\n"
                              "U: up axis Z or Y\n"
                              "Space: turntable on or off\n"
                              "F11: window or full screen\n"
                              "H: this help\n"
                              "Escape: quit";

int32_t low_word(intptr_t v) {
    return (int16_t)(v & 0xFFFF);
}

int32_t high_word(intptr_t v) {
    return (int16_t)((v >> 16) & 0xFFFF);
}

// The pointer in picture pixels, from the client area's.
intptr_t to_picture(intptr_t lparam) {
    const AppState& s = app_state;
    int64_t x = low_word(lparam), y = high_word(lparam);
    if (s.client_width > 0 && s.client_height > 0) {
        x = x * s.picture_width / s.client_width;
        y = y * s.picture_height / s.client_height;
    }
    return (intptr_t)(((uint32_t)y & 0xFFFF) << 16 | ((uint32_t)x & 0xFFFF));
}

// A new picture size: the depth buffer, the surfaces and the font's target
// follow; when memory runs out, the old size stays.
bool picture_resize(int32_t width, int32_t height) {
    AppState& s = app_state;
    if (width == s.picture_width && height == s.picture_height) return true;
    if (frame_init_size(width, height) && display_resize(width, height)) {
        s.picture_width = width, s.picture_height = height;
        font_set_target(width, height);
        return true;
    }
    std::fprintf(stderr, "velmor: no memory to draw at %dx%d; the picture keeps its size\n", width,
                 height);
    frame_init_size(s.picture_width, s.picture_height);
    display_resize(s.picture_width, s.picture_height);
    return false;
}

void size_message(intptr_t lparam) {
    AppState& s = app_state;
    const int32_t width = low_word(lparam), height = high_word(lparam);
    if (!s.windowed || width <= 0 || height <= 0) return;
    s.client_width = width, s.client_height = height;
    if (!s.fixed_size) picture_resize(width, height);
}

bool is_mouse(uint32_t message) {
    return message >= MESSAGE_MOUSEMOVE && message <= MESSAGE_MOUSEWHEEL;
}

void draw_text(uint32_t* pixels) {
    AppState& s = app_state;
    const int32_t scale = app_text_scale(s.picture_width, s.picture_height);
    const int32_t left = TEXT_LEFT * scale, top = TEXT_TOP * scale;
    const int32_t line = LINE_ADVANCE * scale;
    char text[256];
    std::snprintf(text, sizeof text, "%d.th Frame", s.frame_counter);
    s.frame_counter = (int32_t)((uint32_t)s.frame_counter + 1);
    font_draw_text_scaled(text, left, top, scale, pixels);
    if (s.notice_frames > 0) {
        font_draw_text_scaled(s.notice, left, top + 2 * line, scale, pixels);
        --s.notice_frames;
    }
    if (s.help) font_draw_text_scaled(HELP_TEXT, left, top + 2 * line, scale, pixels);
}

} // namespace

int32_t app_text_scale(int32_t width, int32_t height) {
    const int32_t by_width = width / screen_width, by_height = height / screen_height;
    const int32_t scale = by_width < by_height ? by_width : by_height;
    return scale > 1 ? scale : 1;
}

void app_view_window_size(const AppOptions& options, int32_t& width, int32_t& height) {
    if (options.width > 0) {
        width = options.width, height = options.height;
        return;
    }
    int32_t desktop_width = 0, desktop_height = 0;
    platform_desktop_size(&desktop_width, &desktop_height);
    width = desktop_width * WINDOW_TENTHS / 10;
    height = desktop_height * WINDOW_TENTHS / 10;
    if (width < APP_SIZE_MIN_WIDTH || height < APP_SIZE_MIN_HEIGHT)
        width = screen_width, height = screen_height;
}

void app_view_start(const AppOptions& options, int32_t width, int32_t height) {
    AppState& s = app_state;
    s.steered = true;
    s.camera = options.view;
    s.camera.up = options.up;
    s.input = frame_view_input_start();
    s.input.turntable = !options.turntable_off;
    s.picture_width = s.client_width = width;
    s.picture_height = s.client_height = height;
    s.fixed_size = options.width > 0;
}

void app_view_frame_tick() {
    AppState& s = app_state;
    uint32_t* pixels = nullptr;
    if (display_lock(&pixels)) {
        frame_draw_view(s.view, s.camera, s.picture_width, s.picture_height, pixels);
        draw_text(pixels);
        display_present();
    }
    frame_view_tick(s.camera, s.input);
}

bool app_view_message(PlatformWindow window, uint32_t message, uintptr_t wparam, intptr_t lparam) {
    AppState& s = app_state;
    if (!s.steered) return false;
    if (message == MESSAGE_SIZE) {
        size_message(lparam);
        return true;
    }
    if (message == MESSAGE_KEYDOWN && wparam == KEY_H) {
        s.help = !s.help;
        return true;
    }
    if (message == MESSAGE_KEYDOWN && wparam == KEY_F11) {
        if (s.windowed && platform_window_set_fullscreen(window, !s.fullscreen))
            s.fullscreen = !s.fullscreen;
        return true;
    }
    if (message == MESSAGE_KEYDOWN && wparam == KEY_ESCAPE) return false;
    if (message != MESSAGE_KEYDOWN && message != MESSAGE_KEYUP && !is_mouse(message)) return false;
    frame_view_message(s.camera, s.input, message, wparam,
                       is_mouse(message) ? to_picture(lparam) : lparam, s.picture_width,
                       s.picture_height);
    return true;
}
