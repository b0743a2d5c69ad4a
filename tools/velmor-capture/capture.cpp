// velmor-capture: runs the real program on the in-memory platform and writes
// every presented frame as a PNG.
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <system_error>

#include "app/app.h"
#include "imagefile/png_file.h"
#include "platform/headless/headless.h"

namespace {

const char* const USAGE =
    "Usage: velmor-capture [--frames N] [--out DIR]\n"
    "\n"
    "Runs Velmor's real start-up, frame tick and shutdown without a screen, in\n"
    "the current folder (which must hold Z_Test.3ds; Font.bmp is optional):\n"
    "N timer ticks (default 10) as fast as possible, then Escape.\n"
    "\n"
    "Every presented frame is written to DIR (default \"frames\", created if\n"
    "missing) as frame_NNNNN.png, NNNNN being the frame counter printed on that\n"
    "frame (the first is frame_00000.png): 8-bit RGB, 512 x 384, exactly the\n"
    "pixels of the presented surface.\n"
    "\n"
    "Exit status: 0 after a normal run; 1 when start-up failed (the reason is\n"
    "the one line on stderr) or a frame could not be written; 2 for bad arguments.\n";

struct Options {
    long frames = 10;
    std::string out = "frames";
};

struct Capture {
    std::string out;
    int written = 0;
    bool failed = false;
};

// Called on every flip, inside display_present: the counter has already moved
// past the number that this frame shows.
void write_frame(const uint32_t* pixels, int32_t width, int32_t height, void* context) {
    Capture& capture = *static_cast<Capture*>(context);
    char name[32];
    std::snprintf(name, sizeof name, "frame_%05d.png", frame_values.frame_counter - 1);
    std::string path = capture.out + "/" + name;
    if (png_write_rgb(path, pixels, width, height)) {
        ++capture.written;
    } else if (!capture.failed) {
        std::fprintf(stderr, "velmor-capture: cannot write %s\n", path.c_str());
        capture.failed = true;
    }
}

bool parse_count(const char* text, long& value) {
    char* end = nullptr;
    errno = 0;
    value = std::strtol(text, &end, 10);
    return errno == 0 && end != text && *end == '\0' && value >= 0 && value <= 100000000;
}

// 0: run; 1: --help was answered; -1: bad arguments.
int parse_options(int argc, char** argv, Options& options) {
    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i];
        if (arg == "--help" || arg == "-h") return 1;
        bool has_value = i + 1 < argc;
        if (arg == "--frames" && has_value && parse_count(argv[i + 1], options.frames)) {
            ++i;
        } else if (arg == "--out" && has_value && argv[i + 1][0] != '\0') {
            options.out = argv[++i];
        } else {
            std::fprintf(stderr, "velmor-capture: bad argument '%s'\n\n%s", arg.c_str(), USAGE);
            return -1;
        }
    }
    return 0;
}

bool make_folder(const std::string& path) {
    std::error_code error;
    std::filesystem::create_directories(path, error);
    if (!error) return true;
    std::fprintf(stderr, "velmor-capture: cannot create %s: %s\n", path.c_str(),
                 error.message().c_str());
    return false;
}

} // namespace

int main(int argc, char** argv) {
    Options options;
    int parsed = parse_options(argc, argv, options);
    if (parsed == 1) return std::fputs(USAGE, stdout), 0;
    if (parsed < 0) return 2;
    if (!make_folder(options.out)) return 1;

    Capture capture;
    capture.out = options.out;
    HeadlessConfig config;
    config.script = headless_ticks_then_escape((int)options.frames);
    config.present_hook = write_frame;
    config.present_context = &capture;
    headless_reset(config);
    int exit_code = app_run(1);
    if (exit_code == 0 && capture.failed) exit_code = 1;
    return exit_code;
}
