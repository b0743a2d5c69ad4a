// The application shell: start-up, the message loop and shutdown, the window
// procedure with its frame tick, and the per-frame drawing work.
#pragma once

#include <cstddef>
#include <cstdint>

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
    Scene* scene;            // never freed by the program
    // The base colour of every face of the scene, object after object (see
    // app_face_colours_create); null draws each object in its index colour.
    uint32_t* face_colours;
};

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
int app_run(int show_command);

// The main window's procedure: a timer message draws and presents one frame,
// Escape closes the window, its destruction ends the message loop.
intptr_t main_window_proc(PlatformWindow window, uint32_t message, uintptr_t wparam,
                          intptr_t lparam);

// --- The per-frame work, shared with velmor-bench --------------------------------

// Identity, turned about Z by -3.1415925 and about X by -0.5235988, moved by
// (0, 0, -150): a point is moved first, then turned about X, then about Z.
void app_camera_build(Matrix& camera);
// Every object begins the first frame with the identity as its Matrix.
void app_objects_reset(Scene& scene);
// Clears the ColourBuffer, advances the angle, clears the depth buffer, turns
// every object about its own X and Y axes and draws it in its colour, or its
// faces in view.face_colours. Needs render_init.
void app_frame_draw(ViewState& view, float& animation_angle);
// The scene in the file's own colours: for every face, object after object,
// the diffuse colour of the material that its face material list names, or its
// object's index colour when no list names it or the material has no colour.
// Made once per loaded scene, freed with std::free; null when out of memory.
uint32_t* app_face_colours_create(const Scene& scene);
