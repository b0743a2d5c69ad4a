#include <vector>

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

uint32_t channel_between(uint32_t top, uint32_t bottom, int32_t shift, int32_t row,
                         int32_t height) {
    const int32_t a = (int32_t)(top >> shift & 0xFF), b = (int32_t)(bottom >> shift & 0xFF);
    return (uint32_t)(a + (b - a) * row / (height > 1 ? height - 1 : 1)) << shift;
}

// The look's background, a colour per row of a picture height rows high:
// kept from frame to frame, made again when either changes.
const uint32_t* background_rows(const ViewLook& look, int32_t height) {
    static std::vector<uint32_t> rows;
    static uint32_t top, bottom;
    if ((int32_t)rows.size() == height && top == look.background_top &&
        bottom == look.background_bottom)
        return rows.data();
    top = look.background_top, bottom = look.background_bottom;
    rows.resize((size_t)height);
    for (int32_t row = 0; row < height; ++row)
        rows[(size_t)row] = channel_between(top, bottom, 16, row, height) |
                            channel_between(top, bottom, 8, row, height) |
                            channel_between(top, bottom, 0, row, height);
    return rows.data();
}

// Advances the angle and returns its sine for the rocking turn: the sine of the
// float angle in extended precision (the same whatever the width of long
// double: see math/trig.cpp).
long double rocking_sine(float& animation_angle) {
    animation_angle = angle_advance(animation_angle);
    return math_sinl(animation_angle);
}

// Object i's turn for one frame: times the double step and the speed, rounded
// to float once at the end.
void object_turn(SceneObject& object, int32_t i, long double sine, Turning turning) {
    float s = turn_speeds[turning == Turning::as_one_body ? 0 : i & 3];
    matrix_rotate_x(object.matrix, s * TURN_X_STEP);
    matrix_rotate_y(object.matrix, (float)(sine * TURN_Y_STEP * s));
}

// Hands the objects to the renderer a batch at a time, which draws them in
// order, each at the matrix that place(index, object) gives just before its
// batch; no object's placing depends on another's drawing. The first batch
// clears both buffers (the picture black or to the look's background, the
// depth buffer as far as can be)
// as it draws, even when there is no object.
template <typename Place>
void draw_objects(ViewState& view, const Matrix& camera, uint32_t* picture, int32_t height,
                  Place place) {
    constexpr int32_t batch = 64;
    RenderItem items[batch];
    const uint32_t* face_colours = view.face_colours;
    const ViewLook* look = view.look;
    FaceLook faces{};
    if (look) {
        faces = {look->cull, look->ambient, view.scene->materials, view.scene->material_count,
                 look->smooth};
        render_background_set(background_rows(*look, height));
    }
    int32_t first = 0;
    do {
        int32_t count = 0;
        for (int32_t i = first; i < view.scene->object_count && count < batch; ++i) {
            SceneObject& object = view.scene->objects[i];
            items[count++] = {place(i, object), &object, object_colours[i & 3], face_colours,
                              look ? &faces : nullptr};
            if (face_colours) face_colours += object.face_count;
        }
        if (first == 0)
            render_clear_objects(camera, items, count, picture);
        else
            render_objects(camera, items, count, picture);
        first += batch;
    } while (first < view.scene->object_count);
    render_background_set(nullptr);
}

} // namespace

ViewLook frame_view_look(bool cull, bool flat, const uint32_t* background) {
    ViewLook look{cull, flat ? 0 : view_ambient, !flat, view_background_top,
                  view_background_bottom};
    if (background) look.background_top = look.background_bottom = *background;
    return look;
}

void frame_camera_build(Matrix& camera) {
    matrix_identity(camera);
    matrix_rotate_z(camera, CAMERA_TURN_Z);
    matrix_rotate_x(camera, CAMERA_TILT_X);
    matrix_translate(camera, 0.0f, 0.0f, -frame_camera_distance);
}

void frame_objects_reset(Scene& scene) {
    for (int32_t i = 0; i < scene.object_count; ++i)
        matrix_identity(scene.objects[i].matrix);
}

bool frame_init() {
    return render_init(screen_width, screen_height);
}

bool frame_init_size(int32_t width, int32_t height) {
    return render_init(width, height);
}

void frame_shutdown() {
    render_shutdown();
}

void frame_advance(ViewState& view, float& animation_angle, Turning turning) {
    long double sine = rocking_sine(animation_angle);
    for (int32_t i = 0; i < view.scene->object_count; ++i)
        object_turn(view.scene->objects[i], i, sine, turning);
}

void frame_draw(ViewState& view, float& animation_angle, Turning turning, uint32_t* picture) {
    long double sine = rocking_sine(animation_angle);
    draw_objects(view, view.camera, picture, screen_height, [&](int32_t i, SceneObject& object) {
        object_turn(object, i, sine, turning);
        return &object.matrix;
    });
}

void frame_draw_view(ViewState& view, const ViewCamera& camera, int32_t width, int32_t height,
                     uint32_t* picture) {
    const ViewProjection p = frame_view_projection(width, height);
    render_projection_set(p.focal_length, p.centre_x, p.centre_y, p.near_z);
    Matrix placement, identity;
    frame_view_matrix(camera, placement);
    matrix_identity(identity);
    draw_objects(view, placement, picture, height,
                 [&](int32_t, SceneObject&) { return &identity; });
}
