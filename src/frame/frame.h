// The frame core: the screen size, the view, the camera of start-up, the
// objects' starting placement, view mode's framing, its camera and the
// steering of it, and the drawing of one frame. It knows nothing
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
    bool smooth;                // FaceLook::smooth
    uint32_t background_top;    // the background shades from this on the top row...
    uint32_t background_bottom; // ...to this on the bottom row (0x00RRGGBB)
};
// The default look: a quarter of full brightness where the headlight does not
// reach, on a slate gradient that a dark model still stands out against.
constexpr int32_t view_ambient = 64;
constexpr uint32_t view_background_top = 0x00485260;
constexpr uint32_t view_background_bottom = 0x00181B20;
// The look that --cull, --flat and --background choose: cull culls one-sided
// faces turned away, flat lights by the headlight alone and draws flat, and
// background (null: the default gradient) is one colour 0x00RRGGBB.
ViewLook frame_view_look(bool cull, bool flat, const uint32_t* background);

struct ViewState {
    Matrix camera; // frame_draw's; frame_draw_view has its own
    Scene* scene;
    // The base colour of every face of the scene, object after object (see
    // frame_face_colours_create); null draws each object in its index colour.
    uint32_t* face_colours;
    // View mode's; null, as in demo mode, culls the faces turned away and
    // lights the rest by the headlight alone, on black.
    const ViewLook* look = nullptr;
};

// How far the camera of start-up stands back from the origin, which it looks at.
constexpr float frame_camera_distance = 150.0f;

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

// The renderer for a screen_width x screen_height picture: its depth buffer
// and one drawing thread per core. False when out of memory.
bool frame_init();
// The same for a width x height picture (view mode's, drawn with
// frame_draw_view); called again, it gives the old depth buffer back first.
bool frame_init_size(int32_t width, int32_t height);
void frame_shutdown();
// Clears picture (screen_width x screen_height pixels 0x00RRGGBB, such as the
// display's locked surface) and the depth buffer, advances the animation angle
// (a cycle of 63 frames), turns every object about its own X and Y axes and
// draws it in its colour, or its faces in view.face_colours, on every drawing
// thread. Needs frame_init, and draws with its projection (after
// frame_draw_view, call it again).
void frame_draw(ViewState& view, float& animation_angle, Turning turning, uint32_t* picture);
// What frame_draw does to the angle and the objects, without drawing: a frame
// that cannot be shown still moves the animation on, bit for bit.
void frame_advance(ViewState& view, float& animation_angle, Turning turning);
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
// The radius of the ball about the origin that frame_fit_scene fits a scene to.
double frame_fit_radius();

// --- View mode's camera -----------------------------------------------------------
// Directions are in the file's own axes (the loaded scene holds a file's
// (x, y, z) as (x, z, y)), with the up axis as chosen: the file's +Z (3D
// Studio's way, the default) or its +Y.
enum class UpAxis { file_z, file_y };

// The eye looks at target from target + D * (cos el sin az, -cos el cos az,
// sin el), written for Z up; with Y up the same turned so that the front is
// at +Z. az 0, el 0 is the front view, az 90 the right one, el 90 looks down
// with +Y (Y up: -Z) at the top. The smaller side of the picture sees 30
// degrees; at zoom 1 the framing ball fills 90% of it:
// D = frame_fit_radius() / sin(15 degrees) / 0.9 / zoom.
struct ViewCamera {
    double target[3]; // the loaded scene's axes
    double azimuth;   // degrees
    double elevation; // degrees, within [-90, 90]
    double zoom;      // within [view_zoom_min, view_zoom_max]
    UpAxis up;
};
constexpr double view_zoom_min = 0.05, view_zoom_max = 50.0;

// Screen x = focal_length * x / z + centre_x in camera space, where the
// centre makes pixel (i, j) the sample at the picture's (i + 0.5, j + 0.5);
// faces are clipped at z = near_z.
struct ViewProjection {
    float focal_length, centre_x, centre_y, near_z;
};

// The start view: az 45, el 20, zoom 1, the target at the origin.
ViewCamera frame_view_start(UpAxis up);
// The eye's placement in the scene, which the renderer inverts: rows right,
// down, forward and the eye's position. It mirrors, as the scene's axes do.
void frame_view_matrix(const ViewCamera& camera, Matrix& placement);
ViewProjection frame_view_projection(int32_t width, int32_t height);
// View mode's frame: clears picture (width x height pixels) and the depth
// buffer and draws every
// object where it lies, whatever its matrix, as camera sees it. Needs
// render_init(width, height).
void frame_draw_view(ViewState& view, const ViewCamera& camera, int32_t width, int32_t height,
                     uint32_t* picture);

// --- Steering it ------------------------------------------------------------------
// Window messages as Win32 has them: ids, virtual-key codes in wparam, the
// buttons and Shift held in wparam's MK_ bits, client x and y in lparam's
// low and high words, the wheel's turn (120 a notch) in wparam's high word.
constexpr uint32_t VIEW_MESSAGE_KEYDOWN = 0x0100;
constexpr uint32_t VIEW_MESSAGE_KEYUP = 0x0101;
constexpr uint32_t VIEW_MESSAGE_MOUSEMOVE = 0x0200;
constexpr uint32_t VIEW_MESSAGE_LBUTTONDOWN = 0x0201;
constexpr uint32_t VIEW_MESSAGE_LBUTTONUP = 0x0202;
constexpr uint32_t VIEW_MESSAGE_RBUTTONDOWN = 0x0204;
constexpr uint32_t VIEW_MESSAGE_RBUTTONUP = 0x0205;
constexpr uint32_t VIEW_MESSAGE_MBUTTONDOWN = 0x0207;
constexpr uint32_t VIEW_MESSAGE_MBUTTONUP = 0x0208;
constexpr uint32_t VIEW_MESSAGE_MOUSEWHEEL = 0x020A;
constexpr uintptr_t VIEW_BUTTON_LEFT = 0x0001, VIEW_BUTTON_RIGHT = 0x0002;
constexpr uintptr_t VIEW_BUTTON_SHIFT = 0x0004, VIEW_BUTTON_MIDDLE = 0x0010;
constexpr int32_t VIEW_WHEEL_NOTCH = 120;
constexpr uintptr_t VIEW_KEY_SHIFT = 0x10, VIEW_KEY_SPACE = 0x20, VIEW_KEY_HOME = 0x24;
constexpr uintptr_t VIEW_KEY_LEFT = 0x25, VIEW_KEY_UP = 0x26, VIEW_KEY_RIGHT = 0x27;
constexpr uintptr_t VIEW_KEY_DOWN = 0x28, VIEW_KEY_ADD = 0x6B, VIEW_KEY_SUBTRACT = 0x6D;
constexpr uintptr_t VIEW_KEY_PLUS = 0xBB, VIEW_KEY_MINUS = 0xBD; // the main keyboard's
constexpr uintptr_t VIEW_KEY_NUMPAD0 = 0x60;                     // up to 0x69 for 9

enum class ViewDrag { none, orbit, pan };

// What the messages so far leave behind.
struct ViewInput {
    bool turntable;        // the azimuth grows by a turn every 600 ticks
    bool shift;            // as the Shift key's own messages last said
    ViewDrag drag;         // what moving the pointer does
    uintptr_t drag_button; // the VIEW_BUTTON_ that holds the drag
    int32_t x, y;          // the pointer at the last button or move
    int32_t wheel;         // turned since the last whole notch
};

// Turning, nothing held.
ViewInput frame_view_input_start();
// One message: left drag orbits 0.4 degrees a pixel, right, middle or Shift +
// left drag pans (the point under the pointer at the target's depth stays
// under it), the wheel zooms 10% a notch; arrows orbit 5 degrees (with Shift
// they pan), + and - zoom, Home and R give the start view, 1, 3 and 7 the
// front, right and top views, U switches the up axis, Space starts and stops
// the turntable, which drags, the wheel, arrows, + and -, 1, 3 and 7 stop.
// The picture is width x height pixels. True when the camera changed.
bool frame_view_message(ViewCamera& camera, ViewInput& input, uint32_t message, uintptr_t wparam,
                        intptr_t lparam, int32_t width, int32_t height);
// One frame tick: the turntable's step.
void frame_view_tick(ViewCamera& camera, const ViewInput& input);

// --- View mode's numbers as text ---------------------------------------------------

// Reads "AZ,EL" or "AZ,EL,ZOOM" (azimuth within [-360, 360] and elevation
// within [-90, 90] degrees, zoom within the camera's range) into camera, whose
// target and up axis it keeps. False, with camera as it was, for anything else.
bool frame_view_parse(const char* text, ViewCamera& camera);
// The picture sizes a program takes: "WxH", and with square also "N" for N x N.
struct SizeRange {
    long min_side, max_width, max_height;
    bool square;
};
// False, with width and height as they were, for a size outside range.
bool frame_size_parse(const char* text, const SizeRange& range, int32_t& width, int32_t& height);
// Six hexadecimal digits RRGGBB, as 0x00RRGGBB.
bool frame_colour_parse(const char* text, uint32_t& colour);
