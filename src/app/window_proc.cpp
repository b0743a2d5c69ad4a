#include <cstdio>

#include "app/app.h"
#include "display/display.h"
#include "text/text.h"

FrameValues frame_values;

namespace {

// One frame: drawn straight into the locked surface, with the counter printed
// over it, and presented. A frame whose lock fails is drawn into the colour
// buffer and dropped, so the animation moves on but the counter does not.
void frame_tick() {
    const bool locked = display_lock(&frame_values.surface_pixels);
    frame_draw(view_state, frame_values.animation_angle, shell_state.turning,
               locked ? frame_values.surface_pixels : nullptr);
    if (!locked) return;
    char text[256];
    std::snprintf(text, sizeof text, "%d.th Frame", frame_values.frame_counter);
    frame_values.frame_counter = (int32_t)((uint32_t)frame_values.frame_counter + 1);
    font_draw_text(text, 10, 10, frame_values.surface_pixels);
    if (shell_state.notice_frames > 0) {
        font_draw_text(shell_state.notice, 10, 10 + 2 * LINE_ADVANCE, frame_values.surface_pixels);
        --shell_state.notice_frames;
    }
    display_present();
}

} // namespace

intptr_t main_window_proc(PlatformWindow window, uint32_t message, uintptr_t wparam,
                          intptr_t lparam) {
    switch (message) {
    case MESSAGE_TIMER:
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
