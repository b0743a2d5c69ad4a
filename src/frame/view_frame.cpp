#include "frame/frame.h"

#include <cmath>

#include "render/render.h"

namespace {

// The turning scene stays within this many pixels of the picture's centre, a
// little inside its half height.
constexpr double FIT_PIXELS = 180.0;

struct Point {
    double x, y, z;
};

bool finite_position(const SceneVertex& v) {
    return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z);
}

// Calls visit(vertex) for every finite corner of every face: a vertex that no
// face uses is never drawn, so it does not count.
template <typename Visit> void for_each_corner(const Scene& scene, Visit visit) {
    for (int32_t i = 0; i < scene.object_count; ++i) {
        const SceneObject& object = scene.objects[i];
        for (int32_t f = 0; f < object.face_count; ++f)
            for (const SceneVertex* corner : object.faces[f].corners)
                if (finite_position(*corner)) visit(*corner);
    }
}

struct Fit {
    Point centre;
    double scale;
    double radius; // frame_fit_radius(), which placed corners stay within
};

// Centre of the corners' bounding box, and the scale that takes the corner
// farthest from it to frame_fit_radius(). Without corners (or with all of them at
// one point) nothing is scaled.
Fit find_fit(const Scene& scene) {
    bool any = false;
    Point low{}, high{};
    for_each_corner(scene, [&](const SceneVertex& v) {
        if (!any) low = high = {v.x, v.y, v.z};
        any = true;
        low = {std::fmin(low.x, v.x), std::fmin(low.y, v.y), std::fmin(low.z, v.z)};
        high = {std::fmax(high.x, v.x), std::fmax(high.y, v.y), std::fmax(high.z, v.z)};
    });
    // Halves first: the sum of two floats near the largest float overflows.
    Fit fit{{low.x / 2 + high.x / 2, low.y / 2 + high.y / 2, low.z / 2 + high.z / 2},
            1.0,
            frame_fit_radius()};
    double farthest = 0.0;
    for_each_corner(scene, [&](const SceneVertex& v) {
        double dx = v.x - fit.centre.x, dy = v.y - fit.centre.y, dz = v.z - fit.centre.z;
        farthest = std::fmax(farthest, std::sqrt(dx * dx + dy * dy + dz * dz));
    });
    if (farthest > 0.0) fit.scale = fit.radius / farthest;
    return fit;
}

// Finite whatever comes in: not-a-number becomes 0, the rest is clamped to the
// fitted ball's bounding cube (where only corners of no face can lie).
float place(double coordinate, double centre, const Fit& fit) {
    double placed = (coordinate - centre) * fit.scale;
    if (placed != placed) return 0.0f;
    return (float)std::fmin(std::fmax(placed, -fit.radius), fit.radius);
}

} // namespace

// The radius of the ball about the origin whose outline on the screen has a
// radius of FIT_PIXELS: the eye's tangent cone to a ball of radius r at
// distance D has tan(half angle) = r / sqrt(D^2 - r^2) = FIT_PIXELS / focal.
double frame_fit_radius() {
    const double distance = frame_camera_distance;
    const double focal = render_focal_length(screen_width);
    return distance * FIT_PIXELS / std::sqrt(focal * focal + FIT_PIXELS * FIT_PIXELS);
}

void frame_fit_scene(Scene& scene) {
    const Fit fit = find_fit(scene);
    for (int32_t i = 0; i < scene.object_count; ++i) {
        SceneObject& object = scene.objects[i];
        for (int32_t k = 0; k < object.vertex_count; ++k) {
            SceneVertex& v = object.vertices[k];
            v.x = place(v.x, fit.centre.x, fit);
            v.y = place(v.y, fit.centre.y, fit);
            v.z = place(v.z, fit.centre.z, fit);
        }
        // Vertex normals keep their directions under a move and a uniform scale.
        scene_compute_face_planes(object);
    }
}
