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
    const char* reason = platform_error();
    return fail(failure, "%s", reason[0] != '\0' ? reason : step);
}

// Demo mode takes the screen with a hidden cursor; view mode opens a normal,
// resizable window whose cursor stays, of the picture's size.
bool open_window(const AppOptions& options, int show_command, Started& started,
                 StartupFailure& failure) {
    if (!platform_register_window_class(WINDOW_CLASS, WINDOW_CLASS_STYLE_REDRAW, main_window_proc))
        return fail_in_platform(failure, "cannot register the window class");
    bool view = app_view_mode(options);
    int32_t width = screen_width, height = screen_height;
    if (view) app_view_window_size(options, width, height);
    started.window = platform_create_window(WINDOW_CLASS, WINDOW_TITLE,
                                            view ? WINDOW_STYLE_RESIZABLE : WINDOW_STYLE_DLGFRAME,
                                            width, height);
    if (!started.window) return fail_in_platform(failure, "cannot create the window");
    platform_show_window(started.window, show_command);
    platform_update_window(started.window);
    if (view) {
        app_view_start(options, width, height);
        app_state.windowed = true;
        return true;
    }
    platform_show_cursor(0);
    started.cursor_hidden = true;
    return true;
}

bool file_exists(const char* path) {
    FILE* file = std::fopen(path, "rb");
    if (file) std::fclose(file);
    return file != nullptr;
}

// Demo mode's scene is "Z_Test.3ds" in the working folder; an installed
// program started elsewhere (from the desktop's menu) takes its own copy.
bool load_demo_scene(StartupFailure& failure) {
    const char* path = "Z_Test.3ds";
    char installed[1024];
    if (!file_exists(path) && app_installed_file(path, installed, sizeof installed) &&
        file_exists(installed))
        path = installed;
    app_state.view.scene = scene_load(path);
    if (app_state.view.scene) return true;
    return fail(failure, "cannot load the scene: %s", scene_error());
}

bool load_scene(const AppOptions& options, StartupFailure& failure) {
    ViewState& view = app_state.view;
    frame_camera_build(view.camera);
    if (!options.scene_path) {
        if (!load_demo_scene(failure)) return false;
    } else {
        view.scene = app_scene_load(options.scene_path, app_view_mode(options));
        if (!view.scene) return fail(failure, "%s", scene_error());
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
void load_font(const AppOptions& options, int32_t width, int32_t height) {
    const char* path = options.font_path ? options.font_path : "Font.bmp";
    char installed[1024];
    if (!options.font_path && !file_exists(path) &&
        app_installed_file("Font.bmp", installed, sizeof installed) && file_exists(installed))
        path = installed;
    if (!font_load(path, width, height))
        std::fprintf(stderr, "velmor: %s: %s; frames are drawn without text\n", path,
                     image_error());
}

// Demo mode keeps its order: window, then scene. A named scene is read before
// anything shows, so that a file that cannot be loaded is said without a
// window coming and going (and without needing a display).
// The renderer and the display for the picture: demo mode's exclusive 512 x
// 384 screen, or view mode's window at the picture's size.
bool start_drawing(const AppOptions& options, Started& started, StartupFailure& failure) {
    const AppState& s = app_state;
    bool view = app_view_mode(options);
    int32_t width = view ? s.picture_width : screen_width;
    int32_t height = view ? s.picture_height : screen_height;
    if (!(view ? frame_init_size(width, height) : frame_init()))
        return fail(failure, "cannot allocate the depth buffer");
    started.renderer = true;
    load_font(options, width, height);
    if (!platform_set_timer(started.window, FRAME_TIMER_ID, FRAME_MILLISECONDS))
        return fail_in_platform(failure, "cannot start the frame timer");
    if (view ? display_init_windowed(started.window, width, height)
             : display_init(started.window, width, height))
        return true;
    char step[96];
    std::snprintf(step, sizeof step, "cannot take over the display: %s", display_error());
    return fail_in_platform(failure, step);
}

// Demo mode keeps its order: window, then scene. A named scene is read before
// anything shows, so that a file that cannot be loaded is said without a
// window coming and going (and without needing a display).
bool start_up(const AppOptions& options, int show_command, Started& started,
              StartupFailure& failure) {
    bool scene_first = options.scene_path != nullptr;
    if (scene_first && !load_scene(options, failure)) return false;
    if (!open_window(options, show_command, started, failure)) return false;
    if (!scene_first && !load_scene(options, failure)) return false;
    return start_drawing(options, started, failure);
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
