// The frame core: the screen size, the view, the camera of start-up, the
// objects' starting placement, view mode's framing and the drawing of one
// frame. It knows nothing
// of windows, displays or text: the shell (app/) shows what it draws, and the
// tools and tests that draw without a screen use it directly.
#pragma once

#include <cstddef>
#include <cstdint>

#include "math/maths.h"
#include "scene/scene.h"

// Every buffer and surface of the program has this size.
constexpr int32_t screen_width = 512;
constexpr int32_t screen_height = 384;
// Bytes of one such picture of 32-bit pixels.
constexpr size_t screen_bytes = (size_t)screen_width * (size_t)screen_height * 4;

// View mode's light and background.
struct ViewLook {
    bool cull;                  // FaceLook::cull
    int32_t ambient;            // FaceLook::ambient
    uint32_t background_top;    // the background shades from this on the top row...
    uint32_t background_bottom; // ...to this on the bottom row (0x00RRGGBB)
};
// The default look: a quarter of full brightness where the headlight does not
// reach, on a slate gradient that a dark model still stands out against.
constexpr int32_t view_ambient = 64;
constexpr uint32_t view_background_top = 0x00485260;
constexpr uint32_t view_background_bottom = 0x00181B20;

struct ViewState {
    Matrix camera;
    uint32_t* colour_buffer; // screen_width x screen_height pixels 0x00RRGGBB
    Scene* scene;
    // The base colour of every face of the scene, object after object (see
    // frame_face_colours_create); null draws each object in its index colour.
    uint32_t* face_colours;
    // View mode's; null, as in demo mode, culls the faces turned away and
    // lights the rest by the headlight alone, on black.
    const ViewLook* look = nullptr;
};

// Indexed by the object's index AND 3.
extern const float turn_speeds[4];
extern const uint32_t object_colours[4];

// The camera of start-up: moved back along Z, tilted down about X and turned
// about Z; a point is moved first, then turned about X, then about Z.
void frame_camera_build(Matrix& camera);
// Every object begins the first frame with the identity as its matrix.
void frame_objects_reset(Scene& scene);
// How the objects turn: each at the speed of its index (demo mode), or all at
// object 0's speed, so that a model of several objects turns as one body
// (view mode).
enum class Turning { by_index, as_one_body };

// Clears view.colour_buffer (to view.look's background) and the depth buffer,
// advances the animation angle (a cycle of 63 frames), turns every object
// about its own X and Y axes and draws it in its colour, or its faces in
// view.face_colours, on every drawing thread. Given a picture (screen_width x screen_height pixels,
// such as the display's locked surface), clears and draws that instead of view.colour_buffer, which
// saves copying the frame there. Needs render_init.
void frame_draw(ViewState& view, float& animation_angle, Turning turning = Turning::by_index,
                uint32_t* picture = nullptr);
// The scene in the file's own colours: for every face, object after object,
// the diffuse colour of the material that its face material list names, or its
// object's index colour when no list names it or the material has no colour.
// Made once per loaded scene, freed with std::free; null when out of memory.
uint32_t* frame_face_colours_create(const Scene& scene);

// View mode's framing, for a named scene of any size anywhere in space: moves
// and scales every vertex of every object together, with one uniform scale.
// The centre of the bounding box of the faces' corners goes to the origin (the
// turning centre, which the camera looks at), and the corner farthest from it
// to the edge of the largest ball that, turned any way, stays inside the
// picture with a margin. Then computes the face planes again.
//
// Works in double precision, so a scene far from the origin keeps the
// precision of its own size. Corners that are not finite take no part in the
// fit; every vertex comes out finite (not-a-number becomes the centre, the
// rest is clamped), even when one stray corner shrinks the model to a dot.
void frame_fit_scene(Scene& scene);
