// velmor-render's command line.
#include <cerrno>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "velmor-render/still.h"

namespace {

// Each side, and the samples drawn for the whole picture (colour and depth
// take 8 bytes each), are bounded so that a still never needs much memory.
constexpr SizeRange STILL_SIZES = {16, 4096, 4096, true};
constexpr long long MAX_SAMPLES = 4096LL * 4096LL;

const char* const USAGE =
    "Usage: velmor-render [--view AZ,EL[,ZOOM]] [--up z|y] [--size WxH|N]\n"
    "                     [--colours file|index] [--cull] [--flat]\n"
    "                     [--background none|RRGGBB] [--samples 1|4|16]\n"
    "                     [--max-faces N] [--help] [--version] SCENE.3ds OUT.png\n";

const char* const ABOUT =
    "\n"
    "Draws one still picture of SCENE, framed as view mode frames it, into OUT\n"
    "(a PNG; - writes it to standard output). The file appears whole or not at\n"
    "all: it is written under a temporary name in its folder and renamed.\n"
    "\n"
    "  --view AZ,EL[,ZOOM]  the eye's azimuth and elevation in degrees about the\n"
    "                       model, and a zoom factor from 0.05 to 50 (default\n"
    "                       45,20,1): view mode's camera, which sees 30 degrees\n"
    "                       across the picture's smaller side\n"
    "  --up z|y             the model's up axis (default z)\n"
    "  --size WxH, --size N the picture's size in pixels, N for N x N (default\n"
    "                       512x384; each side from 16 to 4096)\n"
    "  --colours file|index faces in their materials' colours (default) or each\n"
    "                       object in its index colour\n"
    "  --cull               draw only the front of faces, as the file winds them\n"
    "                       (both sides of two-sided materials); by default both\n"
    "                       sides of every face are drawn\n"
    "  --flat               draw faces flat, lit by the headlight alone; by\n"
    "                       default they are shaded smoothly by smoothing group\n"
    "  --background none    transparent where nothing is drawn (PNG with alpha)\n"
    "  --background RRGGBB  that colour where nothing is drawn (default: view\n"
    "                       mode's slate gradient)\n"
    "  --samples 1|4|16     samples a pixel on a regular grid, averaged (default 4)\n"
    "  --max-faces N        refuse scenes of more faces (default 5000000)\n"
    "  --help               print this and exit\n"
    "  --version            print the version and exit\n"
    "\n"
    "Exit status: 0 when the picture was written; 1 when the scene cannot be\n"
    "loaded or is too large, or OUT cannot be written (the reason is the one line\n"
    "on stderr, and no OUT is left); 2 for bad arguments.\n";

__attribute__((format(printf, 1, 2))) int bad_argument(const char* format, ...) {
    std::fputs("velmor-render: ", stderr);
    va_list args;
    va_start(args, format);
    std::vfprintf(stderr, format, args);
    va_end(args);
    std::fputs("\n\n", stderr);
    std::fputs(USAGE, stderr);
    std::fputs(ABOUT, stderr);
    return 2;
}

// A whole decimal number from low to high, followed by stop (or the end).
const char* parse_long(const char* text, long low, long high, char stop, long& value) {
    char* end = nullptr;
    errno = 0;
    value = std::strtol(text, &end, 10);
    bool ok = errno == 0 && end != text && *end == stop && value >= low && value <= high;
    return ok ? end : nullptr;
}

bool parse_background(const char* text, StillOptions& options) {
    options.transparent = std::strcmp(text, "none") == 0;
    if (options.transparent) return true;
    if (!frame_colour_parse(text, options.background)) return false;
    options.background_set = true;
    return true;
}

bool parse_choice(const char* text, const char* first, const char* second, bool& is_first) {
    is_first = std::strcmp(text, first) == 0;
    return is_first || std::strcmp(text, second) == 0;
}

bool parse_samples(const char* text, StillOptions& options) {
    long samples = 0;
    if (!parse_long(text, 1, 16, '\0', samples)) return false;
    options.samples = (int32_t)samples;
    return samples == 1 || samples == 4 || samples == 16;
}

bool parse_max_faces(const char* text, StillOptions& options) {
    long faces = 0;
    if (!parse_long(text, 0, 2000000000L, '\0', faces)) return false;
    options.max_faces = faces;
    return true;
}

// The option name with its value; false when the value is not one it takes.
bool take_value(const char* name, const char* value, StillOptions& options) {
    bool z = true;
    if (std::strcmp(name, "--view") == 0) return frame_view_parse(value, options.view);
    if (std::strcmp(name, "--size") == 0)
        return frame_size_parse(value, STILL_SIZES, options.width, options.height);
    if (std::strcmp(name, "--background") == 0) return parse_background(value, options);
    if (std::strcmp(name, "--samples") == 0) return parse_samples(value, options);
    if (std::strcmp(name, "--max-faces") == 0) return parse_max_faces(value, options);
    if (std::strcmp(name, "--colours") == 0)
        return parse_choice(value, "file", "index", options.file_colours);
    if (!parse_choice(value, "z", "y", z)) return false;
    options.view.up = z ? UpAxis::file_z : UpAxis::file_y;
    return true;
}

bool takes_value(const char* arg) {
    static const char* const names[] = {"--view",    "--up",        "--size",      "--colours",
                                        "--samples", "--max-faces", "--background"};
    for (const char* name : names)
        if (std::strcmp(arg, name) == 0) return true;
    return false;
}

int take_operand(const char* arg, StillOptions& options) {
    if (!options.scene_path) {
        options.scene_path = arg;
    } else if (!options.out_path) {
        options.out_path = arg;
    } else {
        return bad_argument("one scene and one picture, not also '%s'", arg);
    }
    return -1;
}

// One argument at argv[i] (and its value); -1 to go on, else the exit code.
int take_argument(int argc, const char* const* argv, int& i, bool& options_end,
                  StillOptions& options) {
    const char* arg = argv[i];
    if (options_end || arg[0] != '-' || std::strcmp(arg, "-") == 0)
        return take_operand(arg, options);
    if (std::strcmp(arg, "--") == 0) {
        options_end = true;
    } else if (std::strcmp(arg, "--help") == 0 || std::strcmp(arg, "-h") == 0) {
        std::fputs(USAGE, stdout);
        std::fputs(ABOUT, stdout);
        return 0;
    } else if (std::strcmp(arg, "--version") == 0) {
        std::printf("velmor-render %s\n", VELMOR_VERSION);
        return 0;
    } else if (std::strcmp(arg, "--cull") == 0) {
        options.cull = true;
    } else if (std::strcmp(arg, "--flat") == 0) {
        options.flat = true;
    } else if (!takes_value(arg)) {
        return bad_argument("unknown option '%s'", arg);
    } else if (i + 1 >= argc) {
        return bad_argument("%s needs a value", arg);
    } else if (!take_value(arg, argv[++i], options)) {
        return bad_argument("%s cannot be '%s'", arg, argv[i]);
    }
    return -1;
}

} // namespace

int still_parse_args(int argc, const char* const* argv, StillOptions& options) {
    options = StillOptions{};
    bool options_end = false; // after "--" every argument is an operand
    for (int i = 1; i < argc; ++i) {
        int exit_code = take_argument(argc, argv, i, options_end, options);
        if (exit_code >= 0) return exit_code;
    }
    if (!options.out_path) return bad_argument("needs a scene and a picture to write");
    long long drawn = (long long)options.width * options.height * options.samples;
    if (drawn > MAX_SAMPLES)
        return bad_argument("%d x %d at %d samples is more than %lld samples in all", options.width,
                            options.height, options.samples, MAX_SAMPLES);
    return -1;
}
