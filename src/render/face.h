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
    // Which sides of faces are drawn (see face_side); null: the fronts alone.
    const FaceLook* look;
    bool one_sided;     // with a look: only one side of each face, but for two-sided materials
    bool back_is_front; // with one_sided: the side drawn is the one turned away
    const SceneObject* object; // with a look
    bool smooth;               // the look shades by smoothing group and the object has normals
#if VELMOR_SSE2
    __m128 m0, m1, m2, m4, m5, m6, m8, m9, m10, m12, m13, m14;
    // The view planes are right (a, 0, c, 0), left (-a, 0, c, 0), top
    // (0, b, e, 0) and bottom (0, -b, e, 0); these hold a, c, b and e.
    __m128 side_a, side_c, updown_b, updown_c;
    __m128 focal, centre_x, centre_y, near_limit, max_x, max_y;
    bool planes_symmetric;
#endif
};

// Without an object and a look, faces are drawn as the demo draws them: those
// turned away are culled.
void object_setup(const Matrix& object_matrix, const Matrix& camera_matrix, ObjectSetup& setup,
                  const SceneObject* object = nullptr, const FaceLook* look = nullptr);

// Culling: s > 0.1 compared as doubles, the eye lies in front of the face. For
// a float s that is s >= 0.1f, as 0.1f is the first float above the double
// 0.1; NaN does not skip.
inline bool face_turned_away(const Plane& p, const ObjectSetup& setup) {
    const float side = p.a * setup.eye_x + p.b * setup.eye_y + p.c * setup.eye_z + p.d;
    return side >= 0.1f;
}

// Which side of a face is drawn: none, its front (the side the demo draws) or
// its back, turned over so that its corners run counter-clockwise on the
// screen. A look draws both sides, except where one_sided says: then the back
// of every face (or, in a closed object whose planes point out, its front) is
// culled, but for faces of two-sided materials when the look culls.
enum FaceSide { SIDE_NONE, SIDE_FRONT, SIDE_BACK };
inline FaceSide face_side(const SceneFace& face, const ObjectSetup& setup) {
    const bool away = face_turned_away(face.plane, setup);
    const FaceLook* look = setup.look;
    if (look == nullptr) return away ? SIDE_NONE : SIDE_FRONT;
    bool one_sided = setup.one_sided;
    if (one_sided && look->cull) {
        const int32_t m = face.colour_material;
        one_sided = m < 0 || m >= look->material_count || !look->materials[m].two_sided;
    }
    if (one_sided && away != setup.back_is_front) return SIDE_NONE;
    return away ? SIDE_BACK : SIDE_FRONT;
}

// What one face comes to once culled, transformed, clipped and projected.
enum FaceKind { FACE_NONE, FACE_TRIANGLE, FACE_POLYGON };
struct FaceOutcome {
    float x[4], y[4], z[4]; // FACE_TRIANGLE: screen x, y and camera z of the corners
    ClipPolygon polygon;    // FACE_POLYGON: projected; smooth: each vertex's brightness in u
    FaceSide side;
    // Gouraud: the brightness (0..255, ambient included) of the corners in the
    // order of x, y and z; false for a face drawn flat.
    bool smooth;
    float brightness[3];
};
// For a face drawn from side (SIDE_FRONT or SIDE_BACK).
FaceKind face_prepare(const SceneFace& face, const ObjectSetup& setup, FaceSide side,
                      FaceOutcome& out);

// Faces are walked in blocks of this many from the first one given: in each
// block the sides turned to the eye come first, so that the backs they hide
// fail the depth test instead of being shaded and then painted over. Both
// drawing paths must start their walks at multiples of it.
constexpr int32_t FACES_WALK_BLOCK = 512;

// Calls visit(i, kind, out) for each face i below count that has a side to
// draw (face_side) and comes to a triangle or polygon: block by block, in
// order the fronts, then in order the backs.
template <typename Visit>
VELMOR_ALWAYS_INLINE void faces_walk(const SceneFace* faces, int32_t count,
                                     const ObjectSetup& setup, Visit&& visit) {
    FaceOutcome out;
    int32_t backs[FACES_WALK_BLOCK];
    for (int32_t first = 0; first < count; first += FACES_WALK_BLOCK) {
        const int32_t end = count - first < FACES_WALK_BLOCK ? count : first + FACES_WALK_BLOCK;
        int32_t back_count = 0;
        for (int32_t i = first; i < end; ++i) {
            const FaceSide side = face_side(faces[i], setup);
            if (side == SIDE_BACK) backs[back_count++] = i;
            if (side != SIDE_FRONT) continue;
            const FaceKind kind = face_prepare(faces[i], setup, side, out);
            if (kind != FACE_NONE) visit(i, kind, out);
        }
        for (int32_t k = 0; k < back_count; ++k) {
            const FaceKind kind = face_prepare(faces[backs[k]], setup, SIDE_BACK, out);
            if (kind != FACE_NONE) visit(backs[k], kind, out);
        }
    }
}

// What a face's pixels are painted with: its base colour shaded by the
// headlight. Worked out only once the face turns out to cover a pixel.
struct FaceShade {
    const Plane* plane;
    const Matrix* model_view;
    uint32_t base_colour;
    int32_t ambient = 0; // FaceLook::ambient; 0 without a look
    // FaceOutcome::brightness of a smooth face, else null.
    const float* brightness = nullptr;
};
uint32_t face_colour(const FaceShade& shade);
