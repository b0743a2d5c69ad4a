// The Windows program: WinMain hands the instance to the backend and the rest
// to the shell.
#include "app/app.h"
#include "platform/win32/win32_backend.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int show_command) {
    win32_set_float_control();
    win32_set_instance(instance);
    return app_run(show_command);
}
