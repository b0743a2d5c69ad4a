// The page's program: the shell runs as on the desktop; when it has ended, the
// page says so and may ask for another run, which starts as the first did. A
// file opened on the demo is viewed in a run of its own.
#include <cstdio>
#include <string>

#include "app/app.h"
#include "platform/web/web_backend.h"

namespace {

// Runs the shell until a run ends without a file to view next. The file of a
// run of view mode goes with it; one that cannot be opened (exit code 1, its
// reason on the page) gives the demo back.
int run_until_ended(const AppOptions& options) {
    AppOptions run = options;
    std::string scene;
    for (;;) {
        int exit_code = app_run(run, 1); // SW_SHOWNORMAL
        web_window_reset();
        const bool not_opened = !scene.empty() && exit_code == 1;
        if (!scene.empty()) std::remove(scene.c_str());
        scene = web_scene_to_view();
        if (scene.empty() && !not_opened) return exit_code;
        run = options;
        if (!scene.empty()) run.scene_path = scene.c_str();
    }
}

} // namespace

int main(int argc, char** argv) {
    AppOptions options;
    int answered = app_parse_args(argc, argv, AppProgram::velmor, options);
    if (answered >= 0) return answered;
    for (;;) {
        web_program_started();
        int exit_code = run_until_ended(options);
        web_program_ended(exit_code);
        web_wait_for_restart();
    }
}
