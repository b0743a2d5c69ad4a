// The whole program on the headless backend. The input is a little-endian
// 32-bit length n, then n bytes of "Z_Test.3ds" (fewer when the input ends
// first), then the rest as "Font.bmp" (none when nothing is left). Three ticks,
// then Escape: the run must end normally after three frames or fail start-up,
// and either way give the platform back everything it took.
#include <cstdint>
#include <cstdio>

#include "../fuzz_folder.h"
#include "app/app.h"
#include "platform/headless/headless.h"

namespace {

constexpr int TICKS = 3;

void write_inputs(const uint8_t* data, size_t size) {
    size_t scene_size = 0;
    if (size >= 4) {
        scene_size =
            (size_t)data[0] | (size_t)data[1] << 8 | (size_t)data[2] << 16 | (size_t)data[3] << 24;
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
}

void check_given_back() {
    const HeadlessReport& r = headless_report();
    fuzz_require(r.cursor_count == 0 && !r.window_alive && !r.timer_running && !r.exclusive &&
                 !r.mode_changed && r.surfaces_alive == 0 && r.misuse == 0);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzFolder folder;
    write_inputs(data, size);
    HeadlessConfig config;
    config.script = headless_ticks_then_escape(TICKS);
    headless_reset(config);
    int exit_code = app_run(1);
    check_given_back();
    if (exit_code == 0) {
        fuzz_require(headless_report().presented == TICKS);
        fuzz_require(frame_values.frame_counter == TICKS);
    } else {
        fuzz_require(exit_code == 1 && view_state.scene == nullptr);
    }
    // The program never frees its scene; a run of many inputs must.
    if (view_state.scene) scene_free(view_state.scene);
    view_state.scene = nullptr;
    return 0;
}
