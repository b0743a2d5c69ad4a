#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "render/render.h"
#include "test_mesh.h"

namespace {

SceneVertex vertex(float x, float y, float z) {
    SceneVertex v = {};
    v.x = x;
    v.y = y;
    v.z = z;
    return v;
}

void transform(const Matrix& m, const float p[3], float out[3]) {
    for (int c = 0; c < 3; ++c)
        out[c] = p[0] * m.m[c] + p[1] * m.m[4 + c] + p[2] * m.m[8 + c] + m.m[12 + c];
}

bool same_bits(const SceneVertex& a, const SceneVertex& b) {
    return a.x == b.x && a.y == b.y && a.z == b.z && std::signbit(a.x) == std::signbit(b.x);
}

float distance(const SceneVertex& v, const Plane& p) {
    return p.a * v.x + p.b * v.y + p.c * v.z + p.d;
}

struct ViewPlanes {
    Plane p[4];
    ViewPlanes() { view_planes_init(508.0f, 380.0f, 256.0f, p); }
};

} // namespace

TEST(AffineInverse, IdentityRotationAndTheStartupCamera) {
    Matrix id, inv;
    matrix_identity(id);
    id.m[3] = 7.0f; // column 3 is never read
    matrix_affine_inverse(id, inv);
    Matrix expected;
    matrix_identity(expected);
    for (int i = 0; i < 16; ++i)
        EXPECT_EQ(inv.m[i], expected.m[i]) << i;

    Matrix rot;
    matrix_identity(rot);
    matrix_rotate_z(rot, 0.7f);
    matrix_rotate_x(rot, -1.1f);
    matrix_affine_inverse(rot, inv);
    for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 3; ++c)
            EXPECT_NEAR(inv.m[4 * r + c], rot.m[4 * c + r], 1e-6f);

    const Matrix camera = startup_camera();
    matrix_affine_inverse(camera, inv);
    const float position[3] = {camera.m[12], camera.m[13], camera.m[14]};
    float back[3];
    transform(inv, position, back);
    for (float c : back)
        EXPECT_NEAR(c, 0.0f, 1e-4f);
    EXPECT_EQ(inv.m[3], 0.0f);
    EXPECT_EQ(inv.m[7], 0.0f);
    EXPECT_EQ(inv.m[11], 0.0f);
    EXPECT_EQ(inv.m[15], 1.0f);
}

TEST(Planes, FromPointsAndTheViewVolumeOfTheScreen) {
    const float o[3] = {0, 0, 0}, x[3] = {1, 0, 0}, y[3] = {0, 1, 0};
    const Plane p = plane_from_points(o, x, y);
    EXPECT_EQ(p.a, 0.0f);
    EXPECT_EQ(p.b, 0.0f);
    EXPECT_EQ(p.c, 1.0f);
    EXPECT_EQ(p.d, 0.0f);
    const float o5[3] = {0, 0, 5}, x5[3] = {1, 0, 5}, y5[3] = {0, 1, 5};
    EXPECT_EQ(plane_from_points(o5, x5, y5).d, -5.0f);

    const ViewPlanes v;
    const Plane& right = v.p[0];
    EXPECT_NEAR(right.a, -0.70987f, 1e-5f);
    EXPECT_EQ(right.b, 0.0f);
    EXPECT_NEAR(right.c, 0.70433f, 1e-5f);
    EXPECT_EQ(v.p[1].a, -right.a);
    EXPECT_EQ(v.p[1].c, right.c);
    const Plane& top = v.p[2];
    EXPECT_NEAR(top.b, 0.80300f, 1e-5f);
    EXPECT_NEAR(top.c, 0.59598f, 1e-5f);
    EXPECT_EQ(v.p[3].b, -top.b);
    for (const Plane& plane : v.p)
        EXPECT_EQ(plane.d, 0.0f);
    // ex = 0.9921875: x = ex z lies on the right plane.
    EXPECT_NEAR(distance(vertex(0.9921875f * 100, 0, 100), right), 0.0f, 1e-4f);
    EXPECT_NEAR(distance(vertex(0, -0.7421875f * 100, 100), top), 0.0f, 1e-4f);
}

TEST(ClipTriangle, InsideComesBackUnchangedAndOutsideIsRejected) {
    const ViewPlanes v;
    const SceneVertex a = vertex(-3.3f, 1.7f, 10), b = vertex(1.1f, -2.9f, 12), c = vertex(2, 3, 9);
    const ClipPolygon in = clip_triangle(a, b, c, v.p);
    ASSERT_EQ(in.count, 3);
    EXPECT_TRUE(same_bits(in.vertices[0], a));
    EXPECT_TRUE(same_bits(in.vertices[1], b));
    EXPECT_TRUE(same_bits(in.vertices[2], c));

    // Beyond the right plane, though it crosses top and bottom.
    EXPECT_EQ(clip_triangle(vertex(20, -50, 10), vertex(25, 50, 10), vertex(30, 0, 10), v.p).count,
              0);
    // Behind the eye: no single plane rejects it, clipping leaves nothing.
    EXPECT_EQ(clip_triangle(vertex(-1, -1, -10), vertex(1, 0, -10), vertex(0, 1, -10), v.p).count,
              0);
    const float nan = std::numeric_limits<float>::quiet_NaN();
    // A vertex that is not a number is outside every plane.
    EXPECT_EQ(clip_triangle(vertex(nan, 0, 10), vertex(30, 0, 10), vertex(30, 1, 10), v.p).count,
              0);
}

TEST(ClipTriangle, VerticesOnAPlane) {
    // x = 0 bounds the right; the other three keep everything in front.
    const Plane planes[4] = {{-1, 0, 0, 0}, {0, 0, 1, 0}, {0, 0, 1, 0}, {0, 0, 1, 0}};
    const SceneVertex on = vertex(0, 0, 10);
    // Others inside: untouched.
    ClipPolygon r = clip_triangle(on, vertex(-1, 1, 10), vertex(-1, -1, 10), planes);
    EXPECT_EQ(r.count, 3);
    // Others outside: rejected whole.
    EXPECT_EQ(clip_triangle(on, vertex(1, 1, 10), vertex(1, -1, 10), planes).count, 0);
    // One inside, one outside: clipped, the on-plane vertex kept once.
    r = clip_triangle(on, vertex(-1, 2, 10), vertex(1, 2, 10), planes);
    ASSERT_EQ(r.count, 3);
    int on_count = 0;
    for (int i = 0; i < r.count; ++i) {
        on_count += r.vertices[i].x == 0.0f && r.vertices[i].y == 0.0f;
        EXPECT_LE(r.vertices[i].x, 0.0f);
    }
    EXPECT_EQ(on_count, 1);
    // Lying in the plane counts as inside.
    r = clip_triangle(vertex(0, 0, 10), vertex(0, 1, 10), vertex(0, 0, 11), planes);
    EXPECT_EQ(r.count, 3);
}

TEST(ClipTriangle, CrossingAllFourPlanesStaysWithinSevenVertices) {
    const ViewPlanes v;
    // A large triangle around the view axis whose corners lie beyond all sides.
    const ClipPolygon r =
        clip_triangle(vertex(-30, -5, 10), vertex(5, 40, 10), vertex(25, -30, 10), v.p);
    ASSERT_GE(r.count, 3);
    ASSERT_LE(r.count, 7);
    for (int i = 0; i < r.count; ++i)
        for (const Plane& p : v.p)
            EXPECT_GE(distance(r.vertices[i], p), -1e-4f);

    const SceneVertex a = vertex(-3, 0, 10), b = vertex(30, 1, 10);
    const SceneVertex hit = clip_edge_intersect(a, b, v.p[0]);
    EXPECT_NEAR(distance(hit, v.p[0]), 0.0f, 1e-4f);
    const SceneVertex same = clip_edge_intersect(a, a, v.p[0]);
    EXPECT_TRUE(same_bits(same, a));
}
