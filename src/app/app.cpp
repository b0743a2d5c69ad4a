#include <cstdarg>
#include <cstdio>
#include <cstdlib>

#include "app/app.h"
#include "display/display.h"
#include "render/render.h"
#include "text/text.h"

ViewState view_state;

namespace {

constexpr const char* WINDOW_CLASS = "Velmor_Engine";
constexpr const char* WINDOW_TITLE = "Velmor Engine 1.0";
constexpr uint32_t FRAME_TIMER_ID = 0;
constexpr uint32_t FRAME_MILLISECONDS = 20;

// What start-up has created so far, so that a failure releases just that.
struct Started {
    PlatformWindow window;
    bool cursor_hidden;
    bool renderer;
};

struct StartupFailure {
    char reason[512];
};

__attribute__((format(printf, 2, 3))) bool fail(StartupFailure& failure, const char* format, ...) {
    va_list args;
    va_start(args, format);
    std::vsnprintf(failure.reason, sizeof failure.reason, format, args);
    va_end(args);
    return false;
}

const char* display_error_name(int32_t code) {
    switch (code) {
    case DISPLAY_ERR_UNSUPPORTED:
        return "unsupported";
    case DISPLAY_ERR_OUT_OF_MEMORY:
        return "out of memory";
    case DISPLAY_ERR_SURFACE_LOST:
        return "surface lost";
    case DISPLAY_ERR_STILL_DRAWING:
        return "still drawing";
    default:
        return "error";
    }
}

void reset_records() {
    view_state = ViewState{};
    frame_values = FrameValues{};
    display_state = DisplayState{};
    font_state = FontState{};
}

bool open_window(int show_command, Started& started, StartupFailure& failure) {
    if (!platform_register_window_class(WINDOW_CLASS, WINDOW_CLASS_STYLE_REDRAW, main_window_proc))
        return fail(failure, "cannot register the window class");
    started.window = platform_create_window(WINDOW_CLASS, WINDOW_TITLE, WINDOW_STYLE_DLGFRAME,
                                            screen_width, screen_height);
    if (!started.window) return fail(failure, "cannot create the window");
    platform_show_window(started.window, show_command);
    platform_update_window(started.window);
    platform_show_cursor(0);
    started.cursor_hidden = true;
    return true;
}

bool load_scene(StartupFailure& failure) {
    frame_camera_build(view_state.camera);
    view_state.scene = scene_load("Z_Test.3ds");
    if (!view_state.scene) return fail(failure, "cannot load the scene: %s", scene_load_error());
    frame_objects_reset(*view_state.scene);
    return true;
}

// The font is optional: without it frames are drawn without text.
void load_font() {
    if (!font_init(screen_width, screen_height))
        std::fprintf(stderr, "velmor: Font.bmp: %s; frames are drawn without text\n",
                     image_load_error());
}

bool start_up(int show_command, Started& started, StartupFailure& failure) {
    if (!open_window(show_command, started, failure) || !load_scene(failure)) return false;
    if (!render_init(screen_width, screen_height))
        return fail(failure, "cannot allocate the depth buffer");
    started.renderer = true;
    load_font();
    view_state.colour_buffer = (uint32_t*)std::malloc(screen_bytes);
    if (!view_state.colour_buffer) return fail(failure, "cannot allocate the colour buffer");
    if (!platform_set_timer(started.window, FRAME_TIMER_ID, FRAME_MILLISECONDS))
        return fail(failure, "cannot start the frame timer");
    int32_t result = display_init(started.window, screen_width, screen_height);
    if (result != DISPLAY_OK)
        return fail(failure, "cannot take over the display: %s (0x%08X)",
                    display_error_name(result), (unsigned)result);
    return true;
}

void shut_down(const Started& started) {
    display_shutdown();
    std::free(view_state.colour_buffer);
    view_state.colour_buffer = nullptr;
    if (started.renderer) render_shutdown();
    font_release();
    if (started.cursor_hidden) platform_show_cursor(1);
}

// A failed start-up gives back everything, the window and the scene included.
void abandon(const Started& started) {
    if (started.window) platform_destroy_window(started.window);
    shut_down(started);
    if (view_state.scene) scene_free(view_state.scene);
    view_state.scene = nullptr;
}

int run_message_loop() {
    PlatformMessage message = {};
    int got;
    while ((got = platform_get_message(&message)) > 0) {
        platform_translate_message(&message);
        platform_dispatch_message(&message);
    }
    if (got < 0) {
        std::fprintf(stderr, "velmor: the message loop failed\n");
        return 1;
    }
    return (int)message.wparam;
}

} // namespace

int app_run(int show_command) {
    reset_records();
    Started started = {};
    StartupFailure failure;
    if (!start_up(show_command, started, failure)) {
        std::fprintf(stderr, "velmor: %s\n", failure.reason);
        abandon(started);
        return 1;
    }
    int exit_code = run_message_loop();
    shut_down(started);
    return exit_code;
}
