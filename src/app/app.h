// The application shell: start-up, the message loop and shutdown, the window
// procedure with its frame tick, and the per-frame drawing work.
#pragma once

#include <cstddef>
#include <cstdint>

#include "app/options.h"
#include "math/math.h"
#include "platform/platform.h"
#include "scene/scene.h"

// Every buffer and surface of the program has this size.
constexpr int32_t screen_width = 512;
constexpr int32_t screen_height = 384;
// Bytes of one such picture of 32-bit pixels.
constexpr size_t screen_bytes = (size_t)screen_width * (size_t)screen_height * 4;

struct ViewState {
    Matrix camera;
    uint32_t* colour_buffer; // screen_width x screen_height pixels 0x00RRGGBB
    Scene* scene;            // freed only when a dropped file replaces it
};

// How the objects turn: each at the speed of its index (demo mode), or all at
// object 0's speed, so that a model of several objects turns as one body
// (view mode).
enum class Turning { by_index, as_one_body };

struct FrameValues {
    float animation_angle;    // radians; +0.1 a tick, back to 0 after 6.28
    int32_t frame_counter;    // frames presented so far
    uint32_t* surface_pixels; // the locked surface of the current frame
};

extern ViewState view_state;
extern FrameValues frame_values;

// Indexed by the object's index AND 3.
extern const float turn_speeds[4];
extern const uint32_t object_colours[4];

// Runs the program on the linked platform backend and returns its exit code:
// 0 after a normal end, 1 when start-up failed (the reason went to stderr).
// Every program-wide record starts from zero, so it may run many times.
int app_run(const AppOptions& options, int show_command);

// The main window's procedure: a timer message draws and presents one frame,
// Escape closes the window, its destruction ends the message loop.
intptr_t main_window_proc(PlatformWindow window, uint32_t message, uintptr_t wparam,
                          intptr_t lparam);

// --- Opening scenes -----------------------------------------------------------

// What view mode changes in the frame tick: how the objects turn, and a notice
// (why a dropped file did not open) shown under the counter for a while.
struct ShellState {
    Turning turning;
    char notice[512];
    int32_t notice_frames; // presented frames left that show it
};

extern ShellState shell_state;

// Loads a scene; in view mode frames it. Says on stderr when the file holds
// no mesh object. Null on failure: scene_load_error() tells why.
Scene* app_scene_load(const char* path, bool view_mode);
// A file dropped on the running program opens in view mode: the new scene
// replaces the old one, which is freed after; the objects start from the
// identity, the angle and the counter from 0. On failure the reason goes to
// stderr and into the picture, and the old scene goes on.
void app_scene_open(const char* path);
// The path of a file installed with the program (share/velmor/NAME beside
// bin/, or beside velmor.exe); false when it cannot be known.
bool app_installed_file(const char* name, char* path, size_t size);

// --- The per-frame work, shared with velmor-bench --------------------------------

// Identity, turned about Z by -3.1415925 and about X by -0.5235988, moved by
// (0, 0, -150): a point is moved first, then turned about X, then about Z.
void app_camera_build(Matrix& camera);
// Every object begins the first frame with the identity as its Matrix.
void app_objects_reset(Scene& scene);
// Clears the ColourBuffer, advances the angle, clears the depth buffer, turns
// every object about its own X and Y axes and draws it in its colour. Needs
// render_init.
void app_frame_draw(ViewState& view, float& animation_angle, Turning turning = Turning::by_index);
