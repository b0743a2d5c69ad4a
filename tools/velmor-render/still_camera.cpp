// The camera of a still: view mode's framing and an eye on a sphere about the
// origin. The only file that knows how a still is framed.
#include <algorithm>
#include <cmath>

#include "frame/frame.h"
#include "velmor-render/still.h"

namespace {

constexpr double DEGREE = 3.14159265358979323846 / 180.0;
// frame_fit_scene puts the model inside a ball about the origin that view
// mode sees from 150 units away, with a focal length of 256 pixels, as a disc
// of 180 pixels' radius in the 384-pixel height.
constexpr double VIEW_DISTANCE = 150.0, VIEW_FOCAL = 256.0, VIEW_DISC = 180.0;
constexpr double VIEW_HALF_HEIGHT = 192.0;

struct Vector {
    double x, y, z;
};

Vector cross(const Vector& a, const Vector& b) {
    return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}

// The view is worked out with z up. The loader keeps a file's z as the
// scene's y, so a file with z up wants the axes renamed in the cycle
// (x, y, z) -> (y, z, x), a turn: the camera stays a rotation.
Vector to_world(const Vector& v, StillUp up) {
    return up == StillUp::y ? v : Vector{v.y, v.z, v.x};
}

void set_row(Matrix& m, int row, const Vector& v, float w) {
    m.m[4 * row] = (float)v.x;
    m.m[4 * row + 1] = (float)v.y;
    m.m[4 * row + 2] = (float)v.z;
    m.m[4 * row + 3] = w;
}

// How far the eye stands from the origin so that the fitted ball's outline has
// the same share of the picture as in view mode (of its height, or of its
// width when it is narrower than 4:3), times zoom.
double eye_distance(double zoom, int32_t width, int32_t height) {
    const double ball =
        VIEW_DISTANCE * VIEW_DISC / std::sqrt(VIEW_FOCAL * VIEW_FOCAL + VIEW_DISC * VIEW_DISC);
    const double half = std::min(height / 2.0, width * 3.0 / 8.0);
    const double disc = zoom * VIEW_DISC / VIEW_HALF_HEIGHT * half;
    const double focal = width / 2.0; // render_init's 90-degree width
    return ball * std::sqrt(1.0 + (focal / disc) * (focal / disc));
}

} // namespace

void still_fit(Scene& scene) {
    frame_fit_scene(scene);
}

// Camera space has +x to the right, +y down and +z forward; the matrix's rows
// are those axes and the eye's position in the world.
Matrix still_camera(double azimuth, double elevation, double zoom, StillUp up, int32_t width,
                    int32_t height) {
    const double ca = math_cos(azimuth * DEGREE), sa = math_sin(azimuth * DEGREE);
    const double ce = math_cos(elevation * DEGREE), se = math_sin(elevation * DEGREE);
    const Vector toward_eye{ce * ca, ce * sa, se};
    const Vector forward{-toward_eye.x, -toward_eye.y, -toward_eye.z};
    const Vector right{-sa, ca, 0.0}; // level, whatever the elevation
    const Vector down = cross(forward, right);
    const double distance = eye_distance(zoom, width, height);
    const Vector eye{toward_eye.x * distance, toward_eye.y * distance, toward_eye.z * distance};
    Matrix camera;
    set_row(camera, 0, to_world(right, up), 0.0f);
    set_row(camera, 1, to_world(down, up), 0.0f);
    set_row(camera, 2, to_world(forward, up), 0.0f);
    set_row(camera, 3, to_world(eye, up), 1.0f);
    return camera;
}
