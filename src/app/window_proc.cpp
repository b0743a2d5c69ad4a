#include <cstdio>

#include "app/app_internal.h"
#include "display/display.h"
#include "text/text.h"

namespace {

// One frame: drawn straight into the locked surface, with the counter printed
// over it, and presented. A frame whose lock fails is not drawn: the
// animation moves on as if it had been, but the counter does not.
void frame_tick() {
    AppState& s = app_state;
    uint32_t* pixels = nullptr;
    if (!display_lock(&pixels)) {
        frame_advance(s.view, s.animation_angle, s.turning);
        return;
    }
    frame_draw(s.view, s.animation_angle, s.turning, pixels);
    char text[256];
    std::snprintf(text, sizeof text, "%d.th Frame", s.frame_counter);
    s.frame_counter = (int32_t)((uint32_t)s.frame_counter + 1);
    font_draw_text(text, TEXT_LEFT, TEXT_TOP, pixels);
    if (s.notice_frames > 0) {
        font_draw_text(s.notice, TEXT_LEFT, TEXT_TOP + 2 * LINE_ADVANCE, pixels);
        --s.notice_frames;
    }
    display_present();
}

} // namespace

intptr_t main_window_proc(PlatformWindow window, uint32_t message, uintptr_t wparam,
                          intptr_t lparam) {
    if (app_view_message(window, message, wparam, lparam)) return 0;
    switch (message) {
    case MESSAGE_TIMER:
        if (app_state.steered)
            app_view_frame_tick();
        else
            frame_tick();
        return 0;
    case MESSAGE_KEYDOWN:
        if (wparam == KEY_ESCAPE) platform_send_message(window, MESSAGE_CLOSE, 0, 0);
        return 0;
    case MESSAGE_DROPFILES:
        app_scene_open(reinterpret_cast<const char*>(wparam));
        return 0;
    case MESSAGE_DESTROY:
        platform_post_quit_message(0);
        return 0;
    default:
        return platform_default_window_proc(window, message, wparam, lparam);
    }
}
