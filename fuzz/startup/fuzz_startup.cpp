// The whole program on the headless backend. The input is a little-endian
// 32-bit word, then "Z_Test.3ds", then the rest as "Font.bmp" (none when
// nothing is left). The word's low 31 bits are the scene's length (less when
// the input ends first); its top bit runs the scene in view mode, named on the
// command line and framed, instead of demo mode. Three ticks, then Escape: the
// run must end normally after three frames or fail start-up, and either way
// give the platform back everything it took.
#include <cstdint>
#include <cstdio>

#include "../fuzz_folder.h"
#include "app/app_internal.h"
#include "platform/headless/headless.h"

namespace {

constexpr int TICKS = 3;

// Writes the two files; true for view mode.
bool write_inputs(const uint8_t* data, size_t size) {
    size_t scene_size = 0;
    bool view_mode = false;
    if (size >= 4) {
        scene_size = (size_t)data[0] | (size_t)data[1] << 8 | (size_t)data[2] << 16 |
                     (size_t)(data[3] & 0x7F) << 24;
        view_mode = data[3] & 0x80;
        data += 4;
        size -= 4;
        if (scene_size > size) scene_size = size;
    } else {
        size = 0;
    }
    fuzz_write_file("Z_Test.3ds", data, scene_size);
    if (size > scene_size)
        fuzz_write_file("Font.bmp", data + scene_size, size - scene_size);
    else
        std::remove("Font.bmp");
    return view_mode;
}

void check_given_back() {
    const HeadlessReport& r = headless_report();
    fuzz_require(r.cursor_count == 0 && !r.window_alive && !r.timer_running && !r.exclusive &&
                 !r.mode_changed && r.surfaces_alive == 0 && r.misuse == 0);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzFolder folder;
    AppOptions options = {};
    if (write_inputs(data, size)) options.scene_path = "Z_Test.3ds";
    HeadlessConfig config;
    config.script = headless_ticks_then_escape(TICKS);
    headless_reset(config);
    int exit_code = app_run(options, 1);
    check_given_back();
    if (exit_code == 0) {
        fuzz_require(headless_report().presented == TICKS);
        fuzz_require(app_state.frame_counter == TICKS);
    } else {
        fuzz_require(exit_code == 1 && app_state.view.scene == nullptr);
    }
    // The program keeps its last scene to the end; a run of many inputs must not.
    app_scene_release();
    return 0;
}
