// The Windows program: WinMain hands the instance to the backend and the rest
// to the shell. The C runtime has already split the command line (a file
// dropped on velmor.exe in Explorer arrives as its argument) into __argc and
// __argv.
#include <cstdlib>

#include "app/app.h"
#include "platform/win32/win32_backend.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int show_command) {
    AppOptions options;
    int answered = app_parse_args(__argc, __argv, AppProgram::velmor, options);
    if (answered >= 0) return answered;
    win32_set_instance(instance);
    return app_run(options, show_command);
}
