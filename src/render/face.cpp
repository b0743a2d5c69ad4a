// Faces on their way to the rasterizer: culled against the eye in object
// space, transformed, clipped, projected and shaded by the headlight.
#include <cmath>
#include <cstddef>
#include <cstdlib>

#include "render/face.h"
#include "render/fixed_point.h"

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

int32_t with_ambient(int32_t brightness, int32_t ambient) {
    return ambient > 0 ? ambient + (255 - ambient) * brightness / 255 : brightness;
}

#if VELMOR_SSE2
// corner_brightness for the three corners side by side (lane 3 unused), with
// the same single-precision operations in the same order.
void corners_brightness(const SceneCornerNormals& normals, const Matrix& mv, float side_z,
                        int32_t b[3]) {
    const float(*n)[3] = normals.n;
    const float* m = mv.m;
    const __m128 x = _mm_setr_ps(n[0][0], n[1][0], n[2][0], 0.0f);
    const __m128 y = _mm_setr_ps(n[0][1], n[1][1], n[2][1], 0.0f);
    const __m128 z = _mm_setr_ps(n[0][2], n[1][2], n[2][2], 0.0f);
    auto row = [&](int k) {
        return _mm_add_ps(
            _mm_add_ps(_mm_mul_ps(x, _mm_set1_ps(m[k])), _mm_mul_ps(y, _mm_set1_ps(m[k + 4]))),
            _mm_mul_ps(z, _mm_set1_ps(m[k + 8])));
    };
    const __m128 nx = row(0), ny = row(1), nz = row(2);
    const __m128 length = _mm_sqrt_ps(
        _mm_add_ps(_mm_add_ps(_mm_mul_ps(nx, nx), _mm_mul_ps(ny, ny)), _mm_mul_ps(nz, nz)));
    __m128 e = _mm_div_ps(_mm_mul_ps(_mm_set1_ps(255.0f), nz), length);
    if (side_z < 0.0f) e = _mm_xor_ps(e, _mm_set1_ps(-0.0f));
    // NaN and e <= 0 to 0, e >= 255 to 255, else truncated.
    e = _mm_and_ps(e, _mm_cmpgt_ps(e, _mm_setzero_ps()));
    e = _mm_min_ps(e, _mm_set1_ps(255.0f));
    alignas(16) int32_t lanes[4];
    _mm_store_si128((__m128i*)lanes, _mm_cvttps_epi32(e));
    b[0] = lanes[0], b[1] = lanes[1], b[2] = lanes[2];
}
#else
// A corner's brightness as face_brightness makes a face's, from its normal
// turned towards the side drawn (side_z: the camera z of the face's normal on
// that side); a normal that turns away from the eye gets 0.
int32_t corner_brightness(const float* n, const Matrix& mv, float side_z) {
    const float* m = mv.m;
    const float nx = n[0] * m[0] + n[1] * m[4] + n[2] * m[8];
    const float ny = n[0] * m[1] + n[1] * m[5] + n[2] * m[9];
    const float nz = n[0] * m[2] + n[1] * m[6] + n[2] * m[10];
    float e = 255.0f * nz / std::sqrt(nx * nx + ny * ny + nz * nz);
    if (side_z < 0.0f) e = -e;
    if (!(e > 0.0f)) return 0; // NaN too
    return e < 255.0f ? (int32_t)e : 255;
}

void corners_brightness(const SceneCornerNormals& normals, const Matrix& mv, float side_z,
                        int32_t b[3]) {
    for (int k = 0; k < 3; ++k)
        b[k] = corner_brightness(normals.n[k], mv, side_z);
}
#endif

// Gouraud: the corners' brightness in drawn order, unless the face is drawn
// flat: with no smoothing group, or with the same brightness at every corner.
bool corners_shade(const SceneFace& face, const ObjectSetup& setup, bool reversed,
                   float brightness[3]) {
    const SceneObject& object = *setup.object;
    const size_t i = (size_t)(&face - object.faces);
    if (object.smoothing_groups[i] == 0) return false;
    const Plane& p = face.plane;
    const float* m = setup.model_view.m;
    const float side_z = p.a * m[2] + p.b * m[6] + p.c * m[10];
    int32_t corners[3], b[3];
    corners_brightness(object.corner_normals[i], setup.model_view, side_z, corners);
    for (int k = 0; k < 3; ++k) {
        b[k] = with_ambient(corners[reversed && k != 0 ? 3 - k : k], setup.look->ambient);
        brightness[k] = (float)b[k];
    }
    return b[0] != b[1] || b[0] != b[2];
}

uint32_t shade(uint32_t colour, int32_t brightness) {
    const uint32_t e = (uint32_t)brightness;
    const uint32_t r = (((colour >> 16) & 0xFF) * e) >> 8;
    const uint32_t g = (((colour >> 8) & 0xFF) * e) >> 8;
    const uint32_t b = ((colour & 0xFF) * e) >> 8;
    return (r << 16) | (g << 8) | b;
}

// Screen x and y in place; false when a vertex is nearer than 0.1 (or NaN),
// which drops the whole polygon. Behind a near plane, whose cuts land on it
// give or take a rounding, only a vertex nearer than half its distance is.
// face_prepare_lanes projects an unclipped face with the same operations,
// lane by lane.
bool project(ClipPolygon& polygon) {
    const RenderState& s = render_state;
    const float f = s.focal_length, centre_x = s.centre_x, centre_y = s.centre_y;
    const double nearest = s.near_z > 0.0f ? 0.5 * s.near_z : 0.1;
    for (int i = 0; i < polygon.count; ++i) {
        SceneVertex& v = polygon.vertices[i];
        if (!((double)v.z >= nearest)) return false;
        v.x = f * v.x / v.z + centre_x;
        v.y = f * v.y / v.z + centre_y;
    }
    return true;
}

inline void transform_point(const SceneVertex& p, const float* m, SceneVertex& out) {
    out.x = p.x * m[0] + p.y * m[4] + p.z * m[8] + m[12];
    out.y = p.x * m[1] + p.y * m[5] + p.z * m[9] + m[13];
    out.z = p.x * m[2] + p.y * m[6] + p.z * m[10] + m[14];
}

// The corners in the order that keeps the side drawn counter-clockwise on the
// screen: reversed when the model view mirrors or the back is drawn, and kept
// when both turn it over.
inline const SceneVertex* corner(const SceneFace& face, int k, bool reversed) {
    return face.corners[reversed && k != 0 ? 3 - k : k];
}

// A face the slow way: transform, clip and project.
FaceKind face_prepare_generic(const SceneFace& face, const ObjectSetup& setup, bool reversed,
                              FaceOutcome& out) {
    const RenderState& s = render_state;
    const Matrix& mv = setup.model_view;
    out.smooth = setup.smooth && corners_shade(face, setup, reversed, out.brightness);
    SceneVertex corners[3] = {};
    for (int k = 0; k < 3; ++k) {
        transform_point(*corner(face, k, reversed), mv.m, corners[k]);
        if (out.smooth) corners[k].u = out.brightness[k]; // clipping carries it as it carries u
    }
    out.polygon =
        clip_triangle(corners[0], corners[1], corners[2], s.view_planes, s.view_plane_count);
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
    f.centre_x = _mm_set1_ps(s.centre_x);
    f.centre_y = _mm_set1_ps(s.centre_y);
    // z >= 0.1 as doubles is z >= 0.1f for a float (see face_turned_away).
    f.near_limit = _mm_set1_ps(s.near_z > 0.0f ? s.near_z : 0.1f);
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
FaceKind face_prepare_lanes(const SceneFace& face, const ObjectSetup& f, bool reversed,
                            FaceOutcome& out) {
    static_assert(offsetof(SceneVertex, y) == 4 && offsetof(SceneVertex, z) == 8,
                  "a corner's x, y, z are loaded as one vector");
    const __m128 p0 = _mm_loadu_ps(&face.corners[0]->x);
    const __m128 p1 = _mm_loadu_ps(&corner(face, 1, reversed)->x);
    const __m128 p2 = _mm_loadu_ps(&corner(face, 2, reversed)->x);
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
        return face_prepare_generic(face, f, reversed, out);
    // Too near: dropped, or clipped where there is a near plane.
    if (_mm_movemask_ps(_mm_cmpge_ps(cz, f.near_limit)) != 0xF)
        return render_state.near_z > 0.0f ? face_prepare_generic(face, f, reversed, out)
                                          : FACE_NONE;
    const __m128 sx = _mm_add_ps(_mm_div_ps(_mm_mul_ps(f.focal, cx), cz), f.centre_x);
    const __m128 sy = _mm_add_ps(_mm_div_ps(_mm_mul_ps(f.focal, cy), cz), f.centre_y);
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
    if (!((float)fixed_row_ceil(top) < bottom)) return FACE_NONE;
    _mm_storeu_ps(out.x, sx);
    _mm_storeu_ps(out.y, sy);
    _mm_storeu_ps(out.z, cz);
    // Only now, for the faces that reach the rasterizer.
    out.smooth = f.smooth && corners_shade(face, f, reversed, out.brightness);
    return FACE_TRIANGLE;
}

#endif

} // namespace

uint32_t face_colour(const FaceShade& face) {
    return shade(face.base_colour,
                 with_ambient(face_brightness(*face.plane, *face.model_view), face.ambient));
}

void object_setup(const Matrix& object_matrix, const Matrix& camera_matrix, ObjectSetup& setup,
                  const SceneObject* object, const FaceLook* look) {
    Matrix inverse_camera, eye;
    matrix_affine_inverse(camera_matrix, inverse_camera);
    matrix_multiply(object_matrix, inverse_camera, setup.model_view);
    matrix_affine_inverse(setup.model_view, eye);
    setup.eye_x = eye.m[12], setup.eye_y = eye.m[13], setup.eye_z = eye.m[14];
    setup.mirrored = matrix_determinant3(setup.model_view) < 0.0f;
    setup.look = object ? look : nullptr;
    // A closed object hides the backs of its faces anyway; with --cull a
    // mirrored one draws the other side, as its faces wind the other way.
    setup.one_sided = look && (look->cull || object->closed);
    setup.back_is_front = look && (look->cull ? object->mirrored : object->planes_outward);
    setup.object = object;
    setup.smooth = look && look->smooth && object->smoothing_groups && object->corner_normals;
#if VELMOR_SSE2
    lanes_setup(setup);
#endif
}

FaceKind face_prepare(const SceneFace& face, const ObjectSetup& setup, FaceSide side,
                      FaceOutcome& out) {
    out.side = side;
    const bool reversed = setup.mirrored != (side == SIDE_BACK);
#if VELMOR_SSE2
    return face_prepare_lanes(face, setup, reversed, out);
#else
    return face_prepare_generic(face, setup, reversed, out);
#endif
}
