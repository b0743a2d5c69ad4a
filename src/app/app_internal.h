// The shell's insides: its state, its window procedure and the opening of
// scenes. The shell's own files include this; so do velmor-capture, the
// shell's tests and fuzz_startup, which watch a run from outside.
#pragma once

#include <cstddef>
#include <cstdint>

#include "app/app.h"
#include "app/options.h"
#include "frame/frame.h"
#include "platform/platform.h"

// Where the frame tick prints its text: the counter's top-left corner.
constexpr int32_t TEXT_LEFT = 10;
constexpr int32_t TEXT_TOP = 10;

// Everything the shell keeps from one message to the next. app_run starts it
// from zero.
struct AppState {
    // Its scene and face colours are freed only when a dropped file replaces them.
    ViewState view;
    float animation_angle; // radians, advanced by frame_draw
    int32_t frame_counter; // frames presented so far
    Turning turning;
    bool file_colours; // view mode's choice, kept for the files dropped later
    ViewLook look;     // view mode's light and background, likewise
    // Why a dropped file did not open, shown under the counter for a while.
    char notice[512];
    int32_t notice_frames; // presented frames left that show it
    // View mode's steered camera: off in demo mode, which hears no mouse and
    // none of its keys, until a dropped file opens.
    bool steered;
    ViewCamera camera;
    ViewInput input;
    int32_t picture_width, picture_height; // what frame_draw_view draws
    int32_t client_width, client_height;   // the window's, which the mouse speaks in
    bool windowed;                         // a resizable window, presented by a blit
    bool fixed_size;                       // --size: the picture keeps its size
    bool fullscreen;
    bool help; // the overlay of keys
};

extern AppState app_state;

// The main window's procedure: a timer message draws and presents one frame,
// Escape closes the window, its destruction ends the message loop.
intptr_t main_window_proc(PlatformWindow window, uint32_t message, uintptr_t wparam,
                          intptr_t lparam);

// --- View mode's window ---------------------------------------------------------

// View mode's window: the client size asked for (--size, else 70% of the
// desktop with its aspect).
void app_view_window_size(const AppOptions& options, int32_t& width, int32_t& height);
// Starts the steered camera for a picture of width x height: the start view
// (or velmor-capture's --view), the turntable as asked.
void app_view_start(const AppOptions& options, int32_t width, int32_t height);
// A steered frame: drawn at the picture's size with the text scaled to it,
// presented, then the turntable's step.
void app_view_frame_tick();
// The mouse, keys and sizes of a steered view; false for a message it leaves
// to the window procedure.
bool app_view_message(PlatformWindow window, uint32_t message, uintptr_t wparam, intptr_t lparam);
// The text's whole scale for a picture: max(1, min(width / 512, height / 384)).
int32_t app_text_scale(int32_t width, int32_t height);

// --- Opening scenes -----------------------------------------------------------

// Loads a scene; in view mode frames it. Says on stderr when the file holds
// no mesh object. Null on failure: scene_error() tells why.
Scene* app_scene_load(const char* path, bool view_mode);
// The face colours of a scene in view mode: the file's own when
// app_state.file_colours says so, else null (the index colours). Null too,
// said on stderr, when there is no memory for them.
uint32_t* app_face_colours_create(const Scene& scene);
// A file dropped on the running program opens in view mode: the new scene and
// its face colours replace the old ones, which are freed after; the objects
// start from the identity, the angle and the counter from 0. On failure the reason goes to
// stderr and into the picture, and the old scene goes on.
void app_scene_open(const char* path);
// Frees the scene and its face colours. The program keeps them until it ends;
// a failed start-up, and tests and fuzzers that run the program many times,
// give them back.
void app_scene_release();
// The path of a file installed with the program (share/velmor/NAME beside
// bin/, or beside velmor.exe); false when it cannot be known.
bool app_installed_file(const char* name, char* path, size_t size);
