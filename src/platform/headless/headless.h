// The in-memory platform backend. It runs the real shell without a screen:
// the timer ticks as fast as messages are asked for, a script says which ticks,
// keys and other messages arrive, any operation can be made to fail on demand, every call is
// counted and logged, a hook sees every picture that a flip shows, and message
// boxes are recorded instead of shown.
//
// Tests and velmor-capture set it up with headless_reset before each run.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/platform.h"

// Every operation, for counting and fault injection.
using HeadlessOp = PlatformOp;

enum class HeadlessEventKind {
    tick,  // a timer message, delivered only while the timer runs
    key,   // a key-down message with the event's key code
    close, // the user closes the window
    open,  // a file dropped on the window: MESSAGE_DROPFILES with the event's path
    post,  // any other message of the window system (mouse, key-up, size), as it is
};

struct HeadlessEvent {
    HeadlessEventKind kind;
    uintptr_t key;
    std::string path = {}; // for open
    uint32_t message = 0;  // for post, with its two parameters
    uintptr_t wparam = 0;
    intptr_t lparam = 0;
};

// Calls first_call, first_call + 1, ..., first_call + count - 1 (counted from 1,
// per operation) return result instead of doing their work. For the window
// operations any non-zero result means failure (zero or null returned).
// DISPLAY_ERR_SURFACE_LOST also loses the primary and its back buffer (video
// memory) until they are restored; the off-screen surfaces are never lost.
struct HeadlessFault {
    HeadlessOp op;
    int first_call;
    int count;
    int32_t result;
    const char* reason = nullptr; // what platform_error says after it, if anything
};

// Sees the picture on the screen after every successful flip (the client area
// after a windowed display's blit).
using HeadlessPresentHook = void (*)(const uint32_t* pixels, int32_t width, int32_t height,
                                     void* context);

struct HeadlessConfig {
    // When the script runs out, the window is closed as by the user.
    std::vector<HeadlessEvent> script;
    std::vector<HeadlessFault> faults;
    uint32_t lock_bit_count = 32; // what every lock reports
    // Called after every successful flip, and after every blit to a windowed
    // display's primary with the client area's pixels.
    HeadlessPresentHook present_hook = nullptr;
    void* present_context = nullptr;
    int32_t desktop_width = 1920, desktop_height = 1080;
};

constexpr size_t HEADLESS_LOG_LIMIT = 4096;

// What the backend saw; valid until the next headless_reset.
struct HeadlessReport {
    int calls[(int)HeadlessOp::count];
    // Every call but the message loop's, in order, up to HEADLESS_LOG_LIMIT;
    // the calls after that are only counted, so that a run of any length
    // keeps its memory flat.
    std::vector<std::string> log;
    int64_t log_dropped;
    int cursor_count; // ShowCursor's display count; 0 = shown, as at start
    bool window_alive;
    bool timer_running;
    bool exclusive;      // cooperative level taken and not given back
    bool windowed;       // the cooperative level taken was the normal one
    bool mode_changed;   // display mode set and not given back
    int surfaces_alive;  // created and not released
    int ticks_delivered; // timer messages handed to the message loop
    int ticks_dropped;   // scripted ticks that found no running timer
    int presented;       // successful flips and blits to a windowed primary
    int clippers_alive;  // created and not released
    // Calls that broke the rules of the interface: a lock of a locked surface,
    // an unlock of an unlocked one, a blit from a locked surface, a call on a
    // released record, a wrong descriptor size, releasing the back buffer.
    int misuse;
    int writes_to_rejected_locks; // pixels written while a lock reported != 32 bits
    // Every message box, "title: text"; none is shown, so none waits for a click.
    std::vector<std::string> message_boxes;
};

void headless_reset(const HeadlessConfig& config);
const HeadlessReport& headless_report();
int headless_calls(HeadlessOp op);

// N timer ticks, then Escape.
std::vector<HeadlessEvent> headless_ticks_then_escape(int ticks);
