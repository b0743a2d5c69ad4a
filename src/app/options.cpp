#include "app/options.h"

#include <cerrno>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <initializer_list>

#include "app/version.h"

namespace {

// One line each: help2man makes the manual pages' synopsis of it.
const char* const USAGE_VELMOR = "Usage: velmor [OPTION]... [SCENE.3ds]\n";
const char* const USAGE_CAPTURE = "Usage: velmor-capture [OPTION]... [SCENE.3ds]\n";

const char* const ABOUT_MODES =
    "\n"
    "Without SCENE, demo mode: Z_Test.3ds and Font.bmp from the working folder,\n"
    "each object turning at its own speed. With SCENE, view mode: the scene is\n"
    "moved and scaled to fill the picture and turns as one body.\n"
    "\n"
    "  --demo           load SCENE as demo mode loads Z_Test.3ds (no framing)\n"
    "  --font FILE.bmp  the font (default: Font.bmp in the working folder, else\n"
    "                   the one installed with the program)\n"
    "  --colours file   view mode draws every face in its material's colour from\n"
    "                   the file, where the file gives one (the default)\n"
    "  --colours index  view mode draws every object in its index colour, as demo\n"
    "                   mode does; demo mode always does, whatever is asked\n"
    "  --cull           view mode draws only the front of faces, as the file winds\n"
    "                   them (both sides of two-sided materials); by default it\n"
    "                   draws both sides of every face\n"
    "  --flat           view mode draws faces flat, lit by the headlight alone;\n"
    "                   by default it shades them smoothly by smoothing group\n"
    "  --background RRGGBB\n"
    "                   view mode's background colour, in hex (default: a slate\n"
    "                   gradient)\n"
    "  --size WxH       view mode's picture is W x H pixels (64x64 to 7680x4320),\n"
    "                   scaled to the window; without it the picture follows the\n"
    "                   window's size\n"
    "  --up z|y         view mode's up axis: the file's Z (the default) or its Y\n"
    "  --help           print this and exit\n"
    "  --version        print the version and exit\n";

const char* const ABOUT_VELMOR =
    "\n"
    "Escape ends the program; a .3DS file dropped on the window opens in view mode.\n"
    "View mode: left drag orbits, right or middle or Shift + left drag pans, the\n"
    "wheel zooms; arrows orbit (with Shift they pan), + and - zoom, Home or R gives\n"
    "the start view, 1, 3 and 7 the front, right and top views, U switches the up\n"
    "axis, Space starts and stops the turntable, H shows the keys, F11 switches\n"
    "between a window and full screen.\n"
    "Exit status: 0 when it ends normally; 1 when start-up failed (the reason is\n"
    "the one line on stderr); 2 for bad arguments.\n";

const char* const ABOUT_CAPTURE =
    "  --frames N       run N timer ticks (default 10), then Escape\n"
    "  --view AZ,EL[,ZOOM]  view mode's first view: azimuth, elevation (degrees)\n"
    "                   and zoom (default 45,20,1)\n"
    "  --turntable on|off  whether view mode's turntable starts on (default on)\n"
    "  --out DIR        write the frames to DIR (default \"frames\", made if missing)\n"
    "\n"
    "Runs Velmor's real start-up, frame tick and shutdown without a screen and\n"
    "writes every presented frame to DIR as frame_NNNNN.png, NNNNN being the\n"
    "frame counter printed on it: 8-bit RGB, 512 x 384 (or --size), exactly the\n"
    "pixels of the presented surface. Exit status: 0 after a normal run; 1 when start-up failed\n"
    "(the reason is the one line on stderr) or a frame could not be written; 2\n"
    "for bad arguments.\n";

// The most timer ticks velmor-capture runs: about 23 days of frames.
constexpr long MAX_FRAMES = 100000000;

const char* program_name(AppProgram program) {
    return program == AppProgram::capture ? "velmor-capture" : "velmor";
}

void print_usage(AppProgram program, FILE* stream) {
    bool capture = program == AppProgram::capture;
    std::fputs(capture ? USAGE_CAPTURE : USAGE_VELMOR, stream);
    std::fputs(ABOUT_MODES, stream);
    std::fputs(capture ? ABOUT_CAPTURE : ABOUT_VELMOR, stream);
}

bool parse_up(const char* text, UpAxis& up) {
    if (std::strcmp(text, "z") != 0 && std::strcmp(text, "y") != 0) return false;
    up = text[0] == 'z' ? UpAxis::file_z : UpAxis::file_y;
    return true;
}

bool parse_off(const char* text, bool& off) {
    if (std::strcmp(text, "on") != 0 && std::strcmp(text, "off") != 0) return false;
    off = std::strcmp(text, "off") == 0;
    return true;
}

// --size, --up and velmor-capture's --view and --turntable; -1 when taken.
int take_view_option(const char* name, const char* value, AppProgram program, AppOptions& options) {
    if (std::strcmp(name, "--size") == 0) {
        if (!frame_size_parse(value, APP_SIZES, options.width, options.height))
            return app_bad_argument(program, "--size needs WxH from 64x64 to 7680x4320, not '%s'",
                                    value);
    } else if (std::strcmp(name, "--up") == 0) {
        if (!parse_up(value, options.up))
            return app_bad_argument(program, "--up needs z or y, not '%s'", value);
    } else if (std::strcmp(name, "--turntable") == 0) {
        if (!parse_off(value, options.turntable_off))
            return app_bad_argument(program, "--turntable needs on or off, not '%s'", value);
    } else if (!frame_view_parse(value, options.view)) {
        return app_bad_argument(program, "--view needs AZ,EL[,ZOOM], not '%s'", value);
    }
    return -1;
}

bool parse_count(const char* text, long& value) {
    char* end = nullptr;
    errno = 0;
    value = std::strtol(text, &end, 10);
    return errno == 0 && end != text && *end == '\0' && value >= 0 && value <= MAX_FRAMES;
}

bool parse_colours(const char* text, AppColours& colours) {
    if (std::strcmp(text, "file") == 0) {
        colours = AppColours::file;
    } else if (std::strcmp(text, "index") == 0) {
        colours = AppColours::index;
    } else {
        return false;
    }
    return true;
}

// The option at argv[i] with its value at argv[i + 1], for velmor-capture's
// own options, --font and --colours; -1 when it was taken, else the exit code.
int take_valued(int argc, const char* const* argv, int& i, AppProgram program,
                AppOptions& options) {
    const char* name = argv[i];
    if (i + 1 >= argc || argv[i + 1][0] == '\0')
        return app_bad_argument(program, "%s needs a value", name);
    const char* value = argv[++i];
    if (std::strcmp(name, "--font") == 0) {
        options.font_path = value;
    } else if (std::strcmp(name, "--colours") == 0) {
        if (!parse_colours(value, options.colours))
            return app_bad_argument(program, "--colours needs file or index, not '%s'", value);
    } else if (std::strcmp(name, "--size") == 0 || std::strcmp(name, "--up") == 0 ||
               std::strcmp(name, "--view") == 0 || std::strcmp(name, "--turntable") == 0) {
        return take_view_option(name, value, program, options);
    } else if (std::strcmp(name, "--background") == 0) {
        if (!frame_colour_parse(value, options.background))
            return app_bad_argument(program, "--background needs a colour RRGGBB in hex, not '%s'",
                                    value);
        options.background_set = true;
    } else if (std::strcmp(name, "--out") == 0) {
        options.out_dir = value;
    } else if (std::strcmp(name, "--frames") == 0) {
        if (!parse_count(value, options.frames))
            return app_bad_argument(program, "--frames needs a count from 0 to %ld, not '%s'",
                                    MAX_FRAMES, value);
    } else {
        return app_bad_argument(program, "unknown option '%s'", name);
    }
    return -1;
}

bool takes_value(const char* arg, AppProgram program) {
    for (const char* name : {"--font", "--colours", "--background", "--size", "--up"})
        if (std::strcmp(arg, name) == 0) return true;
    if (program != AppProgram::capture) return false;
    for (const char* name : {"--frames", "--out", "--view", "--turntable"})
        if (std::strcmp(arg, name) == 0) return true;
    return false;
}

int take_scene(const char* arg, AppProgram program, AppOptions& options) {
    if (options.scene_path)
        return app_bad_argument(program, "one scene at a time: '%s' and '%s'", options.scene_path,
                                arg);
    options.scene_path = arg;
    return -1;
}

} // namespace

int app_parse_args(int argc, const char* const* argv, AppProgram program, AppOptions& options) {
    options = AppOptions{};
    options.colours = AppColours::file;
    options.frames = 10;
    options.out_dir = "frames";
    options.up = UpAxis::file_z;
    bool options_end = false; // after "--" every argument is a scene
    for (int i = 1; i < argc; ++i) {
        const char* arg = argv[i];
        int exit_code = -1;
        if (options_end || arg[0] != '-') {
            exit_code = take_scene(arg, program, options);
        } else if (std::strcmp(arg, "--") == 0) {
            options_end = true;
        } else if (std::strcmp(arg, "--help") == 0 || std::strcmp(arg, "-h") == 0) {
            print_usage(program, stdout);
            return 0;
        } else if (std::strcmp(arg, "--version") == 0) {
            std::printf("%s %s\n", program_name(program), velmor_version);
            return 0;
        } else if (std::strcmp(arg, "--demo") == 0) {
            options.demo = true;
        } else if (std::strcmp(arg, "--cull") == 0) {
            options.cull = true;
        } else if (std::strcmp(arg, "--flat") == 0) {
            options.flat = true;
        } else if (takes_value(arg, program)) {
            exit_code = take_valued(argc, argv, i, program, options);
        } else {
            exit_code = app_bad_argument(program, "unknown option '%s'", arg);
        }
        if (exit_code >= 0) return exit_code;
    }
    return -1;
}

int app_bad_argument(AppProgram program, const char* format, ...) {
    std::fprintf(stderr, "%s: ", program_name(program));
    va_list args;
    va_start(args, format);
    std::vfprintf(stderr, format, args);
    va_end(args);
    std::fputs("\n\n", stderr);
    print_usage(program, stderr);
    return 2;
}
