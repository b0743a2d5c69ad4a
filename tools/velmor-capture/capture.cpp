// velmor-capture: runs the real program on the in-memory platform and writes
// every presented frame as a PNG.
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <system_error>

#include "app/app_internal.h"
#include "imagefile/png_file.h"
#include "platform/headless/headless.h"

namespace {

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
    std::snprintf(name, sizeof name, "frame_%05d.png", app_state.frame_counter - 1);
    std::string path = capture.out + "/" + name;
    if (png_write_rgb(path, pixels, width, height)) {
        ++capture.written;
    } else if (!capture.failed) {
        std::fprintf(stderr, "velmor-capture: cannot write %s\n", path.c_str());
        capture.failed = true;
    }
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
    AppOptions options;
    int answered = app_parse_args(argc, argv, AppProgram::capture, options);
    if (answered >= 0) return answered;
    if (options.width == 0) options.width = screen_width, options.height = screen_height;
    if (!make_folder(options.out_dir)) return 1;

    Capture capture;
    capture.out = options.out_dir;
    HeadlessConfig config;
    config.script = headless_ticks_then_escape((int)options.frames);
    config.present_hook = write_frame;
    config.present_context = &capture;
    headless_reset(config);
    int exit_code = app_run(options, 1);
    if (exit_code == 0 && capture.failed) exit_code = 1;
    return exit_code;
}
