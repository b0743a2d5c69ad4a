// The page's program: the shell runs as on the desktop; when it has ended, the
// page says so and may ask for another run, which starts as the first did.
#include "app/app.h"
#include "platform/web/web_backend.h"

int main() {
    for (;;) {
        web_program_started();
        int exit_code = app_run(1); // SW_SHOWNORMAL
        web_window_reset();
        web_program_ended(exit_code);
        web_wait_for_restart();
    }
}
