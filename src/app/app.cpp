#include <cstdarg>
#include <cstdio>

#include "app/app_internal.h"
#include "app/version.h"
#include "display/display.h"
#include "text/text.h"

AppState app_state;

namespace {

constexpr const char* WINDOW_CLASS = "Velmor_Engine";
constexpr const char* WINDOW_TITLE = "Velmor Engine " VELMOR_VERSION;
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

// A platform step failed: the backend's own reason names the cause better than
// the step does, when it gives one.
bool fail_in_platform(StartupFailure& failure, const char* step) {
    const char* reason = platform_failure_reason();
    return fail(failure, "%s", reason[0] != '\0' ? reason : step);
}

bool open_window(int show_command, Started& started, StartupFailure& failure) {
    if (!platform_register_window_class(WINDOW_CLASS, WINDOW_CLASS_STYLE_REDRAW, main_window_proc))
        return fail_in_platform(failure, "cannot register the window class");
    started.window = platform_create_window(WINDOW_CLASS, WINDOW_TITLE, WINDOW_STYLE_DLGFRAME,
                                            screen_width, screen_height);
    if (!started.window) return fail_in_platform(failure, "cannot create the window");
    platform_show_window(started.window, show_command);
    platform_update_window(started.window);
    platform_show_cursor(0);
    started.cursor_hidden = true;
    return true;
}

bool file_exists(const char* path) {
    FILE* file = std::fopen(path, "rb");
    if (file) std::fclose(file);
    return file != nullptr;
}

// Demo mode's scene is "Z_Test.3ds" in the working folder. When it is not
// there, an installed program says where its own copy is.
bool load_demo_scene(StartupFailure& failure) {
    app_state.view.scene = scene_load("Z_Test.3ds");
    if (app_state.view.scene) return true;
    char installed[1024];
    if (!file_exists("Z_Test.3ds") &&
        app_installed_file("Z_Test.3ds", installed, sizeof installed) && file_exists(installed))
        return fail(failure, "cannot load the scene: %s (the demo scene is installed as %s)",
                    scene_load_error(), installed);
    return fail(failure, "cannot load the scene: %s", scene_load_error());
}

bool load_scene(const AppOptions& options, StartupFailure& failure) {
    ViewState& view = app_state.view;
    frame_camera_build(view.camera);
    if (!options.scene_path) {
        if (!load_demo_scene(failure)) return false;
    } else {
        view.scene = app_scene_load(options.scene_path, app_view_mode(options));
        if (!view.scene) return fail(failure, "%s", scene_load_error());
    }
    frame_objects_reset(*view.scene);
    app_state.turning = app_view_mode(options) ? Turning::as_one_body : Turning::by_index;
    app_state.file_colours = app_file_colours(options);
    app_state.look = app_view_look(options);
    if (app_view_mode(options)) {
        view.face_colours = app_face_colours_create(*view.scene);
        view.look = &app_state.look;
    }
    return true;
}

// The font is optional: without it frames are drawn without text. Without
// --font and without Font.bmp in the working folder, the installed one.
void load_font(const AppOptions& options) {
    const char* path = options.font_path ? options.font_path : "Font.bmp";
    char installed[1024];
    if (!options.font_path && !file_exists(path) &&
        app_installed_file("Font.bmp", installed, sizeof installed) && file_exists(installed))
        path = installed;
    if (!font_load(path, screen_width, screen_height))
        std::fprintf(stderr, "velmor: %s: %s; frames are drawn without text\n", path,
                     image_load_error());
}

// Demo mode keeps its order: window, then scene. A named scene is read before
// anything shows, so that a file that cannot be loaded is said without a
// window coming and going (and without needing a display).
bool start_up(const AppOptions& options, int show_command, Started& started,
              StartupFailure& failure) {
    bool scene_first = options.scene_path != nullptr;
    if (scene_first && !load_scene(options, failure)) return false;
    if (!open_window(show_command, started, failure)) return false;
    if (!scene_first && !load_scene(options, failure)) return false;
    if (!frame_init()) return fail(failure, "cannot allocate the depth buffer");
    started.renderer = true;
    load_font(options);
    if (!platform_set_timer(started.window, FRAME_TIMER_ID, FRAME_MILLISECONDS))
        return fail_in_platform(failure, "cannot start the frame timer");
    if (display_init(started.window, screen_width, screen_height)) return true;
    char step[96];
    std::snprintf(step, sizeof step, "cannot take over the display: %s", display_error());
    return fail_in_platform(failure, step);
}

void shut_down(const Started& started) {
    display_shutdown();
    if (started.renderer) frame_shutdown();
    font_release();
    if (started.cursor_hidden) platform_show_cursor(1);
}

// A failed start-up gives back everything, the window and the scene included.
void abandon(const Started& started) {
    if (started.window) platform_destroy_window(started.window);
    shut_down(started);
    app_scene_release();
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

int app_run(const AppOptions& options, int show_command) {
    app_state = AppState{};
    Started started = {};
    StartupFailure failure;
    if (!start_up(options, show_command, started, failure)) {
        // One line for one failure, also in a box for whoever started the
        // program without a console; shown once the window and display are gone.
        char line[sizeof failure.reason + 8];
        std::snprintf(line, sizeof line, "velmor: %s", failure.reason);
        std::fprintf(stderr, "%s\n", line);
        abandon(started);
        platform_show_message(WINDOW_TITLE, line);
        return 1;
    }
    int exit_code = run_message_loop();
    shut_down(started);
    return exit_code;
}
