// The command line of velmor, velmor.exe and velmor-capture:
//   [--demo] [--font FILE.bmp] [--colours file|index] [--cull] [--flat]
//   [--background RRGGBB] [--size WxH] [--up z|y] [--help] [--version] [SCENE.3ds]
// and velmor-capture's own --frames N, --out DIR, --view AZ,EL[,ZOOM] and
// --turntable on|off.
#pragma once

#include <cstdint>

#include "frame/frame.h"

// The base colour of every face in view mode: the diffuse colour of its
// material in the file (the default), or its object's index colour.
enum class AppColours { file, index };

struct AppOptions {
    const char* scene_path; // null: demo mode with "Z_Test.3ds"
    bool demo;              // SCENE loaded as demo mode loads it: no framing
    const char* font_path;  // null: "Font.bmp", else the installed one
    AppColours colours;     // view mode's; demo mode always has the index colours
    long frames;            // velmor-capture: timer ticks before Escape
    const char* out_dir;    // velmor-capture: the folder for the frames
    int32_t width, height;  // --size: view mode's picture; 0 follows the window
    UpAxis up;              // view mode's up axis
    // velmor-capture --view: the start view's azimuth, elevation and zoom (its
    // up axis is up's).
    ViewCamera view = frame_view_start(UpAxis::file_z);
    bool turntable_off;  // velmor-capture --turntable off: view mode starts still
    bool cull;           // view mode culls one-sided faces turned away
    bool flat;           // view mode lights by the headlight alone
    bool background_set; // view mode's background is one colour...
    uint32_t background; // ...this one, 0x00RRGGBB
};

// The sizes --size takes.
constexpr int32_t APP_SIZE_MIN_WIDTH = 64, APP_SIZE_MIN_HEIGHT = 64;
constexpr int32_t APP_SIZE_MAX_WIDTH = 7680, APP_SIZE_MAX_HEIGHT = 4320;
constexpr SizeRange APP_SIZES = {APP_SIZE_MIN_WIDTH, APP_SIZE_MAX_WIDTH, APP_SIZE_MAX_HEIGHT,
                                 false};

enum class AppProgram { velmor, capture };

// Fills options from argv (the defaults first). Returns -1 when the program
// should run, else the exit code once it has answered: 0 after --help (the
// usage on stdout) or --version, 2 after a bad argument (one line and the
// usage on stderr).
int app_parse_args(int argc, const char* const* argv, AppProgram program, AppOptions& options);
// Says a bad argument as app_parse_args does (the line, then the usage, on
// stderr) and returns 2: for the options a program reads further itself.
__attribute__((format(printf, 2, 3))) int app_bad_argument(AppProgram program, const char* format,
                                                           ...);

// A named scene without --demo is framed and turns as one body.
inline bool app_view_mode(const AppOptions& options) {
    return options.scene_path && !options.demo;
}

// View mode's light and background as the options choose them.
inline ViewLook app_view_look(const AppOptions& options) {
    return frame_view_look(options.cull, options.flat,
                           options.background_set ? &options.background : nullptr);
}

// Whether view mode draws the file's own colours; files dropped on the window
// open in view mode, so they follow the choice even when the program started
// in demo mode.
inline bool app_file_colours(const AppOptions& options) {
    return options.colours == AppColours::file;
}
