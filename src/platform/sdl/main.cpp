// The Linux program: the shell does everything; SDL is ended after it.
#include "app/app.h"
#include "platform/sdl/sdl_backend.h"

int main() {
    int exit_code = app_run(1); // SW_SHOWNORMAL
    sdl_backend_shutdown();
    return exit_code;
}
