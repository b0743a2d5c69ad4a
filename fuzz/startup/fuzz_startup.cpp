// The whole program on the headless backend. The input is a little-endian
// 32-bit word, in view mode the window's events, then "Z_Test.3ds", then the
// rest as "Font.bmp" (none when nothing is left). The word's low 24 bits are
// the scene's length (less when the input ends first); its top bit runs the
// scene in view mode, named on the command line and framed, instead of demo
// mode, and then the next 7 bits count the events, 4 bytes each: what (a
// tick, a key, a button, a move, the wheel, a new size), a key or the buttons
// held, x and y. The events, three ticks, then Escape: the run must end
// normally with a frame for every tick delivered or fail start-up, and either
// way give the platform back everything it took.
#include <cstdint>
#include <cstdio>
#include <vector>

#include "../fuzz_folder.h"
#include "app/app_internal.h"
#include "platform/headless/headless.h"

namespace {

constexpr int TICKS = 3;

constexpr size_t EVENT_BYTES = 4;
constexpr uint32_t BUTTON_MESSAGES[] = {MESSAGE_LBUTTONDOWN, MESSAGE_LBUTTONUP,
                                        MESSAGE_RBUTTONDOWN, MESSAGE_RBUTTONUP,
                                        MESSAGE_MBUTTONDOWN, MESSAGE_MBUTTONUP};
constexpr uintptr_t KEYS[] = {KEY_SHIFT, KEY_SPACE, KEY_HOME, KEY_LEFT,  KEY_UP,       KEY_RIGHT,
                              KEY_DOWN,  KEY_1,     KEY_3,    KEY_7,     KEY_H,        KEY_R,
                              KEY_U,     KEY_ADD,   KEY_PLUS, KEY_MINUS, KEY_SUBTRACT, KEY_F11};

HeadlessEvent post(uint32_t message, uintptr_t wparam, int32_t x, int32_t y) {
    const uint32_t point = ((uint32_t)y & 0xFFFF) << 16 | ((uint32_t)x & 0xFFFF);
    return {HeadlessEventKind::post, 0, {}, message, wparam, (intptr_t)point};
}

// One event from its 4 bytes; x and y reach a little past the window's edges.
HeadlessEvent event_from(const uint8_t* e) {
    const int32_t x = e[2] * 6 - 40, y = e[3] * 4 - 40;
    const uintptr_t flags = e[1] & 0x17;
    switch (e[0] % 8) {
    case 0:
        return {HeadlessEventKind::tick, 0};
    case 1:
        return {HeadlessEventKind::key, KEYS[e[1] % (sizeof KEYS / sizeof KEYS[0])]};
    case 2:
        return post(MESSAGE_KEYUP, KEYS[e[1] % (sizeof KEYS / sizeof KEYS[0])], 0, 0);
    case 3:
        return post(BUTTON_MESSAGES[e[1] % 6], flags, x, y);
    case 4:
        return post(MESSAGE_MOUSEMOVE, flags, x, y);
    case 5:
        return post(MESSAGE_MOUSEWHEEL, (uintptr_t)(uint16_t)(int16_t)(e[1] * 20 - 2560) << 16, x,
                    y);
    default: // from 64 x 64 up to about 2100 x 1600
        return post(MESSAGE_SIZE, 0, 64 + e[2] * 8, 64 + e[3] * 6);
    }
}

// Writes the two files and reads the events; true for view mode.
bool write_inputs(const uint8_t* data, size_t size, std::vector<HeadlessEvent>& events) {
    size_t scene_size = 0;
    bool view_mode = false;
    if (size >= 4) {
        scene_size = (size_t)data[0] | (size_t)data[1] << 8 | (size_t)data[2] << 16;
        view_mode = data[3] & 0x80;
        size_t count = view_mode ? data[3] & 0x7F : 0;
        data += 4;
        size -= 4;
        for (; count > 0 && size >= EVENT_BYTES; --count, data += EVENT_BYTES, size -= EVENT_BYTES)
            events.push_back(event_from(data));
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
                 !r.windowed && !r.mode_changed && r.surfaces_alive == 0 && r.clippers_alive == 0 &&
                 r.misuse == 0);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzFolder folder;
    AppOptions options = {};
    HeadlessConfig config;
    if (write_inputs(data, size, config.script)) options.scene_path = "Z_Test.3ds";
    for (const HeadlessEvent& event : headless_ticks_then_escape(TICKS))
        config.script.push_back(event);
    headless_reset(config);
    int exit_code = app_run(options, 1);
    check_given_back();
    if (exit_code == 0) {
        const HeadlessReport& r = headless_report();
        fuzz_require(r.presented == r.ticks_delivered);
        fuzz_require(app_state.frame_counter == r.presented);
    } else {
        fuzz_require(exit_code == 1 && app_state.view.scene == nullptr);
    }
    // The program keeps its last scene to the end; a run of many inputs must not.
    app_scene_release();
    return 0;
}
