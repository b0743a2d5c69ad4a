// The Linux program: the shell does everything; SDL is ended after it.
#include "app/app.h"
#include "platform/sdl/sdl_backend.h"

int main(int argc, char** argv) {
    AppOptions options;
    int answered = app_parse_args(argc, argv, AppProgram::velmor, options);
    if (answered >= 0) return answered;
    int exit_code = app_run(options, 1); // SW_SHOWNORMAL
    sdl_backend_shutdown();
    return exit_code;
}
