// View mode's camera: where the eye stands for an azimuth, elevation, zoom
// and target, and the projection of a picture of any size. Sines and cosines
// are the portable ones, so every build places the eye on the same bits.
#include "frame/view_camera.h"
#include "frame/frame.h"

namespace {

constexpr double DEGREE = 3.14159265358979323846 / 180.0;
// Half the 30 degrees that the smaller side of the picture sees.
constexpr double HALF_FIELD = 15.0 * DEGREE;
// The part of that side that the framing ball fills at zoom 1.
constexpr double FILL = 0.9;
// Nearer than this, faces are clipped.
constexpr float NEAR_Z = 0.1f;

// From the frame of the up axis (Z up, the front at -Y) to the loaded scene's
// axes. Z up is the file's own frame, which the scene holds as (x, z, y); Y up
// is that frame turned a quarter about X, file (a, c, -b), so scene (a, -b, c).
ViewVector to_scene(ViewVector v, UpAxis up) {
    if (up == UpAxis::file_z) return {v.x, v.z, v.y};
    return {v.x, -v.y, v.z};
}

} // namespace

ViewAxes view_axes(const ViewCamera& camera) {
    const double az = camera.azimuth * DEGREE, el = camera.elevation * DEGREE;
    const double sa = math_sin(az), ca = math_cos(az);
    const double se = math_sin(el), ce = math_cos(el);
    // back x right is up; at el 90 right and up stay defined.
    return {to_scene({ca, sa, 0.0}, camera.up), to_scene({-se * sa, se * ca, ce}, camera.up),
            to_scene({ce * sa, -ce * ca, se}, camera.up)};
}

double view_distance(const ViewCamera& camera) {
    return frame_fit_radius() / math_sin(HALF_FIELD) / FILL / camera.zoom;
}

double view_focal_length(int32_t width, int32_t height) {
    const int32_t side = width < height ? width : height;
    return side / 2.0 * math_cos(HALF_FIELD) / math_sin(HALF_FIELD);
}

ViewCamera frame_view_start(UpAxis up) {
    return {{0.0, 0.0, 0.0}, 45.0, 20.0, 1.0, up};
}

void frame_view_matrix(const ViewCamera& camera, Matrix& placement) {
    const ViewAxes axes = view_axes(camera);
    const double d = view_distance(camera);
    const ViewVector rows[4] = {axes.right,
                                {-axes.up.x, -axes.up.y, -axes.up.z},
                                {-axes.back.x, -axes.back.y, -axes.back.z},
                                {camera.target[0] + d * axes.back.x,
                                 camera.target[1] + d * axes.back.y,
                                 camera.target[2] + d * axes.back.z}};
    for (int r = 0; r < 4; ++r) {
        float* row = placement.m + 4 * r;
        row[0] = (float)rows[r].x, row[1] = (float)rows[r].y, row[2] = (float)rows[r].z;
        row[3] = r == 3 ? 1.0f : 0.0f;
    }
}

ViewProjection frame_view_projection(int32_t width, int32_t height) {
    return {(float)view_focal_length(width, height), (float)(width / 2.0 - 0.5),
            (float)(height / 2.0 - 0.5), NEAR_Z};
}
