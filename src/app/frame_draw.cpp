#include <cstring>

#include "app/app.h"
#include "render/render.h"

// Objects 3, 7, 11, ... turn at a quarter of the base speed.
const float turn_speeds[4] = {2.0f, 1.0f, 0.5f, 0.25f};
const uint32_t object_colours[4] = {0x00FF6496, 0x009664FF, 0x0050FF0A, 0x00FFFFFF};

namespace {

// The next animation angle: +0.1f, and 0 once the sum passes 6.28.
float angle_advance(float angle) {
    angle = angle + 0.1f;
    if ((double)angle > 6.28) angle = 0.0f;
    return angle;
}

} // namespace

void app_camera_build(Matrix& camera) {
    matrix_identity(camera);
    matrix_rotate_z(camera, -3.1415925f);
    matrix_rotate_x(camera, -0.5235988f);
    matrix_translate(camera, 0.0f, 0.0f, -150.0f);
}

void app_objects_reset(Scene& scene) {
    for (int32_t i = 0; i < scene.object_count; ++i)
        matrix_identity(scene.objects[i].matrix);
}

void app_frame_draw(ViewState& view, float& animation_angle) {
    std::memset(view.colour_buffer, 0, screen_bytes);
    animation_angle = angle_advance(animation_angle);
    depth_buffer_clear();
    // The rocking turn: the sine of the float angle in extended precision, times
    // a double constant and the speed, rounded to float once at the end.
    long double sine = math_sinl(animation_angle);
    const uint32_t* face_colours = view.face_colours;
    for (int32_t i = 0; i < view.scene->object_count; ++i) {
        SceneObject& object = view.scene->objects[i];
        float s = turn_speeds[i & 3];
        matrix_rotate_x(object.matrix, s * 0.031415924f);
        matrix_rotate_y(object.matrix, (float)(sine * 0.031415926 * s));
        render_object(object.matrix, view.camera, object, view.colour_buffer, object_colours[i & 3],
                      face_colours);
        if (face_colours) face_colours += object.face_count;
    }
}
