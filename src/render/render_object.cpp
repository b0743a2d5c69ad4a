// The per-object pipeline: cull against the eye in object space, transform,
// clip, shade, project and rasterize every face.
#include <cmath>
#include <cstddef>
#include <cstdlib>
#include <cstring>

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

inline void transform_point(const SceneVertex& p, const float* m, SceneVertex& out) {
    out.x = p.x * m[0] + p.y * m[4] + p.z * m[8] + m[12];
    out.y = p.x * m[1] + p.y * m[5] + p.z * m[9] + m[13];
    out.z = p.x * m[2] + p.y * m[6] + p.z * m[10] + m[14];
}

// A face the slow way: transform, clip and project.
FaceKind face_prepare_generic(const SceneFace& face, const Matrix& mv, FaceOutcome& out) {
    SceneVertex corners[3] = {};
    for (int k = 0; k < 3; ++k)
        transform_point(*face.corners[k], mv.m, corners[k]);
    out.polygon = clip_triangle(corners[0], corners[1], corners[2], render_state.view_planes);
    if (out.polygon.count == 0 || !project(out.polygon)) return FACE_NONE;
    return FACE_POLYGON;
}

#if VELMOR_SSE2

bool view_planes_symmetric(const Plane* p) {
    return p[0].b == 0.0f && p[1].b == 0.0f && p[1].a == -p[0].a && p[1].c == p[0].c &&
           p[2].a == 0.0f && p[3].a == 0.0f && p[3].b == -p[2].b && p[3].c == p[2].c &&
           p[0].d == 0.0f && p[1].d == 0.0f && p[2].d == 0.0f && p[3].d == 0.0f;
}

void lanes_setup(ObjectSetup& f) {
    const RenderState& s = render_state;
    const float* m = f.model_view.m;
    f.m0 = _mm_set1_ps(m[0]), f.m1 = _mm_set1_ps(m[1]), f.m2 = _mm_set1_ps(m[2]);
    f.m4 = _mm_set1_ps(m[4]), f.m5 = _mm_set1_ps(m[5]), f.m6 = _mm_set1_ps(m[6]);
    f.m8 = _mm_set1_ps(m[8]), f.m9 = _mm_set1_ps(m[9]), f.m10 = _mm_set1_ps(m[10]);
    f.m12 = _mm_set1_ps(m[12]), f.m13 = _mm_set1_ps(m[13]), f.m14 = _mm_set1_ps(m[14]);
    const Plane* p = s.view_planes;
    f.side_a = _mm_set1_ps(p[0].a);
    f.side_c = _mm_set1_ps(p[0].c);
    f.updown_b = _mm_set1_ps(p[2].b);
    f.updown_c = _mm_set1_ps(p[2].c);
    f.focal = _mm_set1_ps(s.focal_length);
    f.half_width = _mm_set1_ps((float)(s.width / 2));
    f.half_height = _mm_set1_ps((float)(s.height / 2));
    // z >= 0.1 as doubles is z >= 0.1f for a float (see face_turned_away).
    f.near_limit = _mm_set1_ps(0.1f);
    f.max_x = _mm_set1_ps((float)(s.width - 1));
    f.max_y = _mm_set1_ps((float)(s.height - 1));
    f.planes_symmetric = view_planes_symmetric(p);
}

// The common case the fast way: a face whose corners lie inside or on every
// view plane needs no clipping. The corners are transformed side by side with
// the same single-precision operations in the same order. Their distances to
// the view planes are a x + c z and the like: the planes' zero terms only
// turn an infinite or NaN coordinate into NaN, and such a corner fails a side
// plane here as well, so the verdict is the same.
FaceKind face_prepare_lanes(const SceneFace& face, const ObjectSetup& f, FaceOutcome& out) {
    static_assert(offsetof(SceneVertex, y) == 4 && offsetof(SceneVertex, z) == 8,
                  "a corner's x, y, z are loaded as one vector");
    const __m128 p0 = _mm_loadu_ps(&face.corners[0]->x);
    const __m128 p1 = _mm_loadu_ps(&face.corners[1]->x);
    const __m128 p2 = _mm_loadu_ps(&face.corners[2]->x);
    // Corners to lanes 0 to 2; lane 3 repeats corner 0.
    const __m128 t0 = _mm_unpacklo_ps(p0, p1), t1 = _mm_unpackhi_ps(p0, p1);
    const __m128 t2 = _mm_unpacklo_ps(p2, p0), t3 = _mm_unpackhi_ps(p2, p0);
    const __m128 x = _mm_movelh_ps(t0, t2), y = _mm_movehl_ps(t2, t0);
    const __m128 z = _mm_movelh_ps(t1, t3);
    const __m128 cx = _mm_add_ps(
        _mm_add_ps(_mm_add_ps(_mm_mul_ps(x, f.m0), _mm_mul_ps(y, f.m4)), _mm_mul_ps(z, f.m8)),
        f.m12);
    const __m128 cy = _mm_add_ps(
        _mm_add_ps(_mm_add_ps(_mm_mul_ps(x, f.m1), _mm_mul_ps(y, f.m5)), _mm_mul_ps(z, f.m9)),
        f.m13);
    const __m128 cz = _mm_add_ps(
        _mm_add_ps(_mm_add_ps(_mm_mul_ps(x, f.m2), _mm_mul_ps(y, f.m6)), _mm_mul_ps(z, f.m10)),
        f.m14);

    const __m128 side_x = _mm_mul_ps(f.side_a, cx), side_z = _mm_mul_ps(f.side_c, cz);
    const __m128 updown_y = _mm_mul_ps(f.updown_b, cy), updown_z = _mm_mul_ps(f.updown_c, cz);
    const __m128 zero = _mm_setzero_ps();
    const __m128 inside =
        _mm_and_ps(_mm_and_ps(_mm_cmpge_ps(_mm_add_ps(side_x, side_z), zero),
                              _mm_cmpge_ps(_mm_sub_ps(side_z, side_x), zero)),
                   _mm_and_ps(_mm_cmpge_ps(_mm_add_ps(updown_y, updown_z), zero),
                              _mm_cmpge_ps(_mm_sub_ps(updown_z, updown_y), zero)));
    if (_mm_movemask_ps(inside) != 0xF || !f.planes_symmetric)
        return face_prepare_generic(face, f.model_view, out);
    if (_mm_movemask_ps(_mm_cmpge_ps(cz, f.near_limit)) != 0xF) return FACE_NONE;
    const __m128 sx = _mm_add_ps(_mm_div_ps(_mm_mul_ps(f.focal, cx), cz), f.half_width);
    const __m128 sy = _mm_add_ps(_mm_div_ps(_mm_mul_ps(f.focal, cy), cz), f.half_height);
    // Off the screen the rasterizer draws nothing.
    const __m128 on_screen =
        _mm_and_ps(_mm_and_ps(_mm_cmpge_ps(sx, zero), _mm_cmple_ps(sx, f.max_x)),
                   _mm_and_ps(_mm_cmpge_ps(sy, zero), _mm_cmple_ps(sy, f.max_y)));
    if (_mm_movemask_ps(on_screen) != 0xF) return FACE_NONE;
    // A pixel row lies within the face when ceil(top) < bottom.
    const __m128 low = _mm_min_ps(sy, _mm_shuffle_ps(sy, sy, _MM_SHUFFLE(1, 0, 3, 2)));
    const __m128 high = _mm_max_ps(sy, _mm_shuffle_ps(sy, sy, _MM_SHUFFLE(1, 0, 3, 2)));
    const float top = _mm_cvtss_f32(_mm_min_ss(low, _mm_shuffle_ps(low, low, 1)));
    const float bottom = _mm_cvtss_f32(_mm_max_ss(high, _mm_shuffle_ps(high, high, 1)));
    const int32_t top_floor = (int32_t)top;
    const float top_ceil = (float)(top_floor + ((float)top_floor < top));
    if (!(top_ceil < bottom)) return FACE_NONE;
    _mm_storeu_ps(out.x, sx);
    _mm_storeu_ps(out.y, sy);
    _mm_storeu_ps(out.z, cz);
    return FACE_TRIANGLE;
}

#endif

} // namespace

uint32_t face_colour(const FaceShade& face) {
    int32_t brightness = face_brightness(*face.plane, *face.model_view);
    if (face.ambient > 0) brightness = face.ambient + (255 - face.ambient) * brightness / 255;
    return shade(face.base_colour, brightness);
}

void object_setup(const Matrix& object_matrix, const Matrix& camera_matrix, ObjectSetup& setup) {
    Matrix inverse_camera, eye;
    matrix_affine_inverse(camera_matrix, inverse_camera);
    matrix_multiply(object_matrix, inverse_camera, setup.model_view);
    matrix_affine_inverse(setup.model_view, eye);
    setup.eye_x = eye.m[12], setup.eye_y = eye.m[13], setup.eye_z = eye.m[14];
#if VELMOR_SSE2
    lanes_setup(setup);
#endif
}

namespace {

inline FaceKind prepare(const SceneFace& face, const ObjectSetup& setup, FaceOutcome& out) {
#if VELMOR_SSE2
    return face_prepare_lanes(face, setup, out);
#else
    return face_prepare_generic(face, setup.model_view, out);
#endif
}

} // namespace

FaceKind face_prepare(const SceneFace& face, const ObjectSetup& setup, FaceOutcome& out) {
    return prepare(face, setup, out);
}

void render_object(const Matrix& object_matrix, const Matrix& camera_matrix,
                   const SceneObject& object, uint32_t* colour_buffer, uint32_t colour,
                   const uint32_t* face_colours, const FaceLook* look) {
    if (render_state.depth_buffer == nullptr) return;
    ObjectSetup setup;
    object_setup(object_matrix, camera_matrix, setup);
    FaceShade shade = {nullptr, &setup.model_view, colour, look ? look->ambient : 0};
    FaceOutcome out;
    SceneFace turned;
    for (int32_t i = 0; i < object.face_count; ++i) {
        const SceneFace& face = object.faces[i];
        const SceneFace* drawn = face_to_draw(face, setup, object, look, turned);
        if (drawn == nullptr) continue;
        shade.plane = &face.plane;
        if (face_colours) shade.base_colour = face_colours[i];
        switch (prepare(*drawn, setup, out)) {
        case FACE_TRIANGLE:
            triangle_fill(out.x, out.y, out.z, colour_buffer, shade);
            break;
        case FACE_POLYGON:
            raster_polygon(out.polygon, colour_buffer, face_colour(shade));
            break;
        case FACE_NONE:
            break;
        }
    }
}

namespace {

void draw_objects(const Matrix& camera_matrix, const RenderItem items[], int32_t count,
                  uint32_t* colour_buffer, bool clear_first) {
    const RenderState& s = render_state;
    if (s.batch != nullptr && s.depth_buffer != nullptr) {
        batch_draw(s.batch, s.pool, camera_matrix, items, count, colour_buffer, clear_first);
        return;
    }
    // Without a depth buffer nothing draws, but the picture is still cleared.
    if (clear_first && s.width > 0 && s.height > 0) {
        std::memset(colour_buffer, 0, (size_t)s.width * (size_t)s.height * sizeof(uint32_t));
        depth_buffer_clear();
    }
    for (int32_t i = 0; i < count; ++i)
        render_object(*items[i].object_matrix, camera_matrix, *items[i].object, colour_buffer,
                      items[i].colour, items[i].face_colours, items[i].look);
}

} // namespace

void render_objects(const Matrix& camera_matrix, const RenderItem items[], int32_t count,
                    uint32_t* colour_buffer) {
    draw_objects(camera_matrix, items, count, colour_buffer, false);
}

void render_clear_objects(const Matrix& camera_matrix, const RenderItem items[], int32_t count,
                          uint32_t* colour_buffer) {
    draw_objects(camera_matrix, items, count, colour_buffer, true);
}

void render_clear(uint32_t* colour_buffer) {
    Matrix unused;
    matrix_identity(unused);
    draw_objects(unused, nullptr, 0, colour_buffer, true);
}
