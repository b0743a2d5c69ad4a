// The Windows program: WinMain hands the instance to the backend and the rest
// to the shell. The C runtime has already split the command line (a file
// dropped on velmor.exe in Explorer arrives as its argument) into __argc and
// __argv.
#include <cstdio>
#include <cstdlib>

#include "app/app.h"
#include "platform/win32/win32_backend.h"

namespace {

// A GUI program has no console of its own: what it says (--help, a file that
// does not load) goes to the console it was started from, unless its output
// already goes somewhere.
void use_the_starting_console() {
    if (GetStdHandle(STD_ERROR_HANDLE) != nullptr || !AttachConsole(ATTACH_PARENT_PROCESS)) return;
    std::freopen("CONOUT$", "w", stdout);
    std::freopen("CONOUT$", "w", stderr);
}

} // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int show_command) {
    win32_set_float_control();
    use_the_starting_console();
    AppOptions options;
    int answered = app_parse_args(__argc, __argv, AppProgram::velmor, options);
    if (answered >= 0) return answered;
    win32_set_instance(instance);
    return app_run(options, show_command);
}
