#include "frame/frame.h"
#include "render/render.h"

// Objects 3, 7, 11, ... turn at a quarter of the base speed.
const float turn_speeds[4] = {2.0f, 1.0f, 0.5f, 0.25f};
const uint32_t object_colours[4] = {0x00FF6496, 0x009664FF, 0x0050FF0A, 0x00FFFFFF};

namespace {

// Every number below is part of the picture: a change in its last bit moves
// pixels of every frame, so each is written with exactly the bits it needs.

// The camera's turn about Z: 0xC0490FDA, one float step short of -pi, so the
// camera is turned not quite half a turn and its matrix keeps tiny sine terms.
constexpr float CAMERA_TURN_Z = -3.1415925f;
// The camera's tilt about X: -pi/6 rounded to float (0xBF060A92), 30 degrees down.
constexpr float CAMERA_TILT_X = -0.5235988f;
// How far the camera stands back from the origin along Z.
constexpr float CAMERA_DISTANCE = -150.0f;

// The angle grows by this float a frame...
constexpr float ANGLE_STEP = 0.1f;
// ...and starts again from 0 once it passes this double: the float sum is
// compared in double precision, which makes a cycle of 63 frames.
constexpr double ANGLE_WRAP = 6.28;

// The turn about X a frame, per unit of speed: a float, multiplied in single
// precision. 0x3D00ADFC, one float step below pi/100 rounded to float.
constexpr float TURN_X_STEP = 0.031415924f;
// The rocking turn about Y, per unit of speed and of the angle's sine: a
// double, multiplied in extended precision. It is pi/100 cut after nine
// digits, not the double nearest pi/100, and differs from TURN_X_STEP in its
// last digit: each turn keeps the constant it has always been drawn with.
constexpr double TURN_Y_STEP = 0.031415926;

float angle_advance(float angle) {
    angle = angle + ANGLE_STEP;
    if ((double)angle > ANGLE_WRAP) angle = 0.0f;
    return angle;
}

uint32_t channel_between(uint32_t top, uint32_t bottom, int32_t shift, int32_t row) {
    const int32_t a = (int32_t)(top >> shift & 0xFF), b = (int32_t)(bottom >> shift & 0xFF);
    return (uint32_t)(a + (b - a) * row / (screen_height - 1)) << shift;
}

// Both buffers cleared, the picture to the look's background.
void background_clear(const ViewLook& look, uint32_t* picture) {
    render_clear(picture);
    for (int32_t row = 0; row < screen_height; ++row) {
        const uint32_t top = look.background_top, bottom = look.background_bottom;
        const uint32_t colour = channel_between(top, bottom, 16, row) |
                                channel_between(top, bottom, 8, row) |
                                channel_between(top, bottom, 0, row);
        uint32_t* pixel = picture + (size_t)row * screen_width;
        for (int32_t x = 0; x < screen_width; ++x)
            pixel[x] = colour;
    }
}

} // namespace

void frame_camera_build(Matrix& camera) {
    matrix_identity(camera);
    matrix_rotate_z(camera, CAMERA_TURN_Z);
    matrix_rotate_x(camera, CAMERA_TILT_X);
    matrix_translate(camera, 0.0f, 0.0f, CAMERA_DISTANCE);
}

void frame_objects_reset(Scene& scene) {
    for (int32_t i = 0; i < scene.object_count; ++i)
        matrix_identity(scene.objects[i].matrix);
}

void frame_draw(ViewState& view, float& animation_angle, Turning turning, uint32_t* picture) {
    uint32_t* const target = picture != nullptr ? picture : view.colour_buffer;
    animation_angle = angle_advance(animation_angle);
    // The rocking turn: the sine of the float angle in extended precision, times
    // the double step and the speed, rounded to float once at the end (the same
    // float whatever the width of long double: see math/trig.cpp).
    long double sine = math_sinl(animation_angle);
    // Objects are turned and handed to the renderer a batch at a time, which
    // draws them in order; no object's turn depends on another's drawing. The
    // first batch clears both buffers (the colour buffer black, the depth
    // buffer as far as can be) as it draws, even when there is no object.
    constexpr int32_t batch = 64;
    RenderItem items[batch];
    const uint32_t* face_colours = view.face_colours;
    const ViewLook* look = view.look;
    FaceLook faces{};
    if (look) {
        faces = {look->cull, look->ambient, view.scene->materials, view.scene->material_count};
        background_clear(*look, target);
    }
    int32_t first = 0;
    do {
        int32_t count = 0;
        for (int32_t i = first; i < view.scene->object_count && count < batch; ++i) {
            SceneObject& object = view.scene->objects[i];
            float s = turn_speeds[turning == Turning::as_one_body ? 0 : i & 3];
            matrix_rotate_x(object.matrix, s * TURN_X_STEP);
            matrix_rotate_y(object.matrix, (float)(sine * TURN_Y_STEP * s));
            items[count++] = {&object.matrix, &object, object_colours[i & 3], face_colours,
                              look ? &faces : nullptr};
            if (face_colours) face_colours += object.face_count;
        }
        if (first == 0 && !look)
            render_clear_objects(view.camera, items, count, target);
        else
            render_objects(view.camera, items, count, target);
        first += batch;
    } while (first < view.scene->object_count);
}
