#include "app/options.h"

#include <cerrno>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>

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
    "  --help           print this and exit\n"
    "  --version        print the version and exit\n";

const char* const ABOUT_VELMOR =
    "\n"
    "Escape ends the program; a .3DS file dropped on the window opens in view mode.\n"
    "Exit status: 0 when it ends normally; 1 when start-up failed (the reason is\n"
    "the one line on stderr); 2 for bad arguments.\n";

const char* const ABOUT_CAPTURE =
    "  --frames N       run N timer ticks (default 10), then Escape\n"
    "  --out DIR        write the frames to DIR (default \"frames\", made if missing)\n"
    "\n"
    "Runs Velmor's real start-up, frame tick and shutdown without a screen and\n"
    "writes every presented frame to DIR as frame_NNNNN.png, NNNNN being the\n"
    "frame counter printed on it: 8-bit RGB, 512 x 384, exactly the pixels of the\n"
    "presented surface. Exit status: 0 after a normal run; 1 when start-up failed\n"
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

__attribute__((format(printf, 2, 3))) int bad_argument(AppProgram program, const char* format,
                                                       ...) {
    std::fprintf(stderr, "%s: ", program_name(program));
    va_list args;
    va_start(args, format);
    std::vfprintf(stderr, format, args);
    va_end(args);
    std::fputs("\n\n", stderr);
    print_usage(program, stderr);
    return 2;
}

bool parse_count(const char* text, long& value) {
    char* end = nullptr;
    errno = 0;
    value = std::strtol(text, &end, 10);
    return errno == 0 && end != text && *end == '\0' && value >= 0 && value <= MAX_FRAMES;
}

bool parse_background(const char* text, uint32_t& colour) {
    char* end = nullptr;
    const unsigned long value = std::strtoul(text, &end, 16);
    if (std::strlen(text) != 6 || end != text + 6 || text[0] == '+' || text[0] == '-') return false;
    colour = (uint32_t)value;
    return true;
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
        return bad_argument(program, "%s needs a value", name);
    const char* value = argv[++i];
    if (std::strcmp(name, "--font") == 0) {
        options.font_path = value;
    } else if (std::strcmp(name, "--colours") == 0) {
        if (!parse_colours(value, options.colours))
            return bad_argument(program, "--colours needs file or index, not '%s'", value);
    } else if (std::strcmp(name, "--background") == 0) {
        if (!parse_background(value, options.background))
            return bad_argument(program, "--background needs a colour RRGGBB in hex, not '%s'",
                                value);
        options.background_set = true;
    } else if (std::strcmp(name, "--out") == 0) {
        options.out_dir = value;
    } else if (std::strcmp(name, "--frames") == 0) {
        if (!parse_count(value, options.frames))
            return bad_argument(program, "--frames needs a count from 0 to %ld, not '%s'",
                                MAX_FRAMES, value);
    } else {
        return bad_argument(program, "unknown option '%s'", name);
    }
    return -1;
}

bool takes_value(const char* arg, AppProgram program) {
    if (std::strcmp(arg, "--font") == 0 || std::strcmp(arg, "--colours") == 0 ||
        std::strcmp(arg, "--background") == 0)
        return true;
    return program == AppProgram::capture &&
           (std::strcmp(arg, "--frames") == 0 || std::strcmp(arg, "--out") == 0);
}

int take_scene(const char* arg, AppProgram program, AppOptions& options) {
    if (options.scene_path)
        return bad_argument(program, "one scene at a time: '%s' and '%s'", options.scene_path, arg);
    options.scene_path = arg;
    return -1;
}

} // namespace

int app_parse_args(int argc, const char* const* argv, AppProgram program, AppOptions& options) {
    options =
        AppOptions{nullptr, false, nullptr, AppColours::file, 10, "frames", false, false, false, 0};
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
            exit_code = bad_argument(program, "unknown option '%s'", arg);
        }
        if (exit_code >= 0) return exit_code;
    }
    return -1;
}
