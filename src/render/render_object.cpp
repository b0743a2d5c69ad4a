// The per-object pipeline: cull against the eye in object space, transform,
// clip, shade, project and rasterize every face.
#include <cmath>

#include "render/render_internal.h"

namespace {

// Headlight brightness 0..255 of a face from its camera-space normal; a
// zero-length normal (NaN) gets 0.
int32_t face_brightness(const Plane& plane, const Matrix& mv) {
    const float* m = mv.m;
    const float nx = plane.a * m[0] + plane.b * m[4] + plane.c * m[8];
    const float ny = plane.a * m[1] + plane.b * m[5] + plane.c * m[9];
    const float nz = plane.a * m[2] + plane.b * m[6] + plane.c * m[10];
    const float e = 255.0f * nz / std::sqrt(nx * nx + ny * ny + nz * nz);
    if (e != e) return 0;
    if (!(std::fabs(e) < 256.0f)) return 255;
    const int32_t brightness = std::abs((int32_t)e);
    return brightness > 255 ? 255 : brightness;
}

uint32_t shade(uint32_t colour, int32_t brightness) {
    const uint32_t e = (uint32_t)brightness;
    const uint32_t r = (((colour >> 16) & 0xFF) * e) >> 8;
    const uint32_t g = (((colour >> 8) & 0xFF) * e) >> 8;
    const uint32_t b = ((colour & 0xFF) * e) >> 8;
    return (r << 16) | (g << 8) | b;
}

inline void transform_point(const SceneVertex& p, const float* m, SceneVertex& out) {
    out.x = p.x * m[0] + p.y * m[4] + p.z * m[8] + m[12];
    out.y = p.x * m[1] + p.y * m[5] + p.z * m[9] + m[13];
    out.z = p.x * m[2] + p.y * m[6] + p.z * m[10] + m[14];
}

// Screen x and y in place; false when a vertex is nearer than 0.1 (or NaN),
// which drops the whole polygon.
bool project(ClipPolygon& polygon) {
    const RenderState& s = render_state;
    const float f = s.focal_length;
    const float half_width = (float)(s.width / 2), half_height = (float)(s.height / 2);
    for (int i = 0; i < polygon.count; ++i) {
        SceneVertex& v = polygon.vertices[i];
        if (!((double)v.z >= 0.1)) return false;
        v.x = f * v.x / v.z + half_width;
        v.y = f * v.y / v.z + half_height;
    }
    return true;
}

} // namespace

void render_object(const Matrix& object_matrix, const Matrix& camera_matrix,
                   const SceneObject& object, uint32_t* colour_buffer, uint32_t colour) {
    if (render_state.depth_buffer == nullptr) return;
    Matrix inverse_camera, model_view, eye;
    matrix_affine_inverse(camera_matrix, inverse_camera);
    matrix_multiply(inverse_camera, object_matrix, model_view);
    matrix_affine_inverse(model_view, eye);
    const float ex = eye.m[12], ey = eye.m[13], ez = eye.m[14];
    const float* m = model_view.m;
    for (int32_t i = 0; i < object.face_count; ++i) {
        const SceneFace& face = object.faces[i];
        const Plane& p = face.plane;
        const float side = p.a * ex + p.b * ey + p.c * ez + p.d;
        if ((double)side > 0.1) continue;
        SceneVertex corners[3] = {};
        for (int k = 0; k < 3; ++k)
            transform_point(*face.corners[k], m, corners[k]);
        ClipPolygon polygon =
            clip_triangle(corners[0], corners[1], corners[2], render_state.view_planes);
        const int32_t brightness = face_brightness(p, model_view);
        if (polygon.count == 0) continue;
        if (!project(polygon)) continue;
        raster_polygon(polygon, colour_buffer, shade(colour, brightness));
    }
}
