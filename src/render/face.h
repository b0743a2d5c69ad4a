// Faces on their way to the rasterizer: an object's set-up, culling against
// the eye, transform, clipping, projection and the headlight's shade. Both
// drawing paths walk an object's faces with faces_walk.
#pragma once

#include <cstdint>

#include "render/render_state.h"

// An object's fixed values for its faces: the model view and the eye in the
// object's own coordinates, and for the SSE2 path each value in all lanes.
struct ObjectSetup {
    Matrix model_view;
    float eye_x, eye_y, eye_z;
    // A model view that mirrors turns every face's winding on the screen over.
    bool mirrored;
#if VELMOR_SSE2
    __m128 m0, m1, m2, m4, m5, m6, m8, m9, m10, m12, m13, m14;
    // The view planes are right (a, 0, c, 0), left (-a, 0, c, 0), top
    // (0, b, e, 0) and bottom (0, -b, e, 0); these hold a, c, b and e.
    __m128 side_a, side_c, updown_b, updown_c;
    __m128 focal, centre_x, centre_y, near_limit, max_x, max_y;
    bool planes_symmetric;
#endif
};

void object_setup(const Matrix& object_matrix, const Matrix& camera_matrix, ObjectSetup& setup);

// Culling: s > 0.1 compared as doubles, the eye lies in front of the face. For
// a float s that is s >= 0.1f, as 0.1f is the first float above the double
// 0.1; NaN does not skip.
inline bool face_turned_away(const Plane& p, const ObjectSetup& setup) {
    const float side = p.a * setup.eye_x + p.b * setup.eye_y + p.c * setup.eye_z + p.d;
    return side >= 0.1f;
}

// What one face comes to once culled, transformed, clipped and projected.
enum FaceKind { FACE_NONE, FACE_TRIANGLE, FACE_POLYGON };
struct FaceOutcome {
    float x[4], y[4], z[4]; // FACE_TRIANGLE: screen x, y and camera z of the corners
    ClipPolygon polygon;    // FACE_POLYGON: projected
};
// For a face that is not turned away.
FaceKind face_prepare(const SceneFace& face, const ObjectSetup& setup, FaceOutcome& out);

// Calls visit(i, kind, out) for each face i below count, in order, that turns
// towards the eye and comes to a triangle or polygon.
template <typename Visit>
VELMOR_ALWAYS_INLINE void faces_walk(const SceneFace* faces, int32_t count,
                                     const ObjectSetup& setup, Visit&& visit) {
    FaceOutcome out;
    for (int32_t i = 0; i < count; ++i) {
        if (face_turned_away(faces[i].plane, setup)) continue;
        const FaceKind kind = face_prepare(faces[i], setup, out);
        if (kind != FACE_NONE) visit(i, kind, out);
    }
}

// What a face's pixels are painted with: its base colour shaded by the
// headlight. Worked out only once the face turns out to cover a pixel.
struct FaceShade {
    const Plane* plane;
    const Matrix* model_view;
    uint32_t base_colour;
};
uint32_t face_colour(const FaceShade& shade);
