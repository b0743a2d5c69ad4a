// The page's program: the shell runs as on the desktop; when it has ended, the
// page says so and may ask for another run, which starts as the first did.
#include "app/app.h"
#include "platform/web/web_backend.h"

int main(int argc, char** argv) {
    AppOptions options;
    int answered = app_parse_args(argc, argv, AppProgram::velmor, options);
    if (answered >= 0) return answered;
    for (;;) {
        web_program_started();
        int exit_code = app_run(options, 1); // SW_SHOWNORMAL
        web_window_reset();
        web_program_ended(exit_code);
        web_wait_for_restart();
    }
}
