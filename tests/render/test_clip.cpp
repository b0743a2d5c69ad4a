// The view planes of a 512 x 384 screen and the verdicts of the triangle
// clipper. The golden scenes and the property test clip
// triangles across every plane.
#include <gtest/gtest.h>

#include <cstring>
#include <limits>

#include "render/render.h"
#include "support/test_mesh.h"

namespace {

SceneVertex vertex(float x, float y, float z) {
    return SceneVertex{x, y, z, 0, 0, 0, 0, 0};
}

bool same_bits(const SceneVertex& a, const SceneVertex& b) {
    return std::memcmp(&a, &b, sizeof a) == 0;
}

struct ViewVolume {
    Plane p[4];
    ViewVolume() { view_planes_init(508.0f, 380.0f, 256.0f, p); }
};

} // namespace

TEST(ViewPlanes, BoundTheGuardedScreen) {
    const ViewVolume v;
    const Plane &right = v.p[0], &top = v.p[2];
    EXPECT_NEAR(right.a, -0.70987f, 1e-5f);
    EXPECT_EQ(right.b, 0.0f);
    EXPECT_NEAR(right.c, 0.70433f, 1e-5f);
    EXPECT_EQ(v.p[1].a, -right.a);
    EXPECT_EQ(v.p[1].c, right.c);
    EXPECT_NEAR(top.b, 0.80300f, 1e-5f);
    EXPECT_NEAR(top.c, 0.59598f, 1e-5f);
    EXPECT_EQ(v.p[3].b, -top.b);
    for (const Plane& plane : v.p)
        EXPECT_EQ(plane.d, 0.0f);
}

TEST(ClipTriangle, InsideComesBackUnchangedAndOutsideIsRejected) {
    const ViewVolume v;
    const SceneVertex a = vertex(-3.3f, 1.7f, 10), b = vertex(1.1f, -2.9f, 12), c = vertex(2, 3, 9);
    const ClipPolygon in = clip_triangle(a, b, c, v.p);
    ASSERT_EQ(in.count, 3);
    EXPECT_TRUE(same_bits(in.vertices[0], a));
    EXPECT_TRUE(same_bits(in.vertices[1], b));
    EXPECT_TRUE(same_bits(in.vertices[2], c));

    const float nan = std::numeric_limits<float>::quiet_NaN();
    const SceneVertex outside[][3] = {
        // Beyond the right plane, though it crosses top and bottom.
        {vertex(20, -50, 10), vertex(25, 50, 10), vertex(30, 0, 10)},
        // Behind the eye: no single plane rejects it, clipping leaves nothing.
        {vertex(-1, -1, -10), vertex(1, 0, -10), vertex(0, 1, -10)},
        // A vertex that is not a number is outside every plane.
        {vertex(nan, 0, 10), vertex(30, 0, 10), vertex(30, 1, 10)},
    };
    for (const auto& t : outside)
        EXPECT_EQ(clip_triangle(t[0], t[1], t[2], v.p).count, 0);
}

TEST(ClipTriangle, VerticesOnAPlane) {
    // x = 0 bounds the right; the other three keep everything in front.
    const Plane planes[4] = {{-1, 0, 0, 0}, {0, 0, 1, 0}, {0, 0, 1, 0}, {0, 0, 1, 0}};
    const SceneVertex on = vertex(0, 0, 10);
    // Others inside, or lying in the plane: untouched. Others outside: rejected.
    EXPECT_EQ(clip_triangle(on, vertex(-1, 1, 10), vertex(-1, -1, 10), planes).count, 3);
    EXPECT_EQ(clip_triangle(on, vertex(0, 1, 10), vertex(0, 0, 11), planes).count, 3);
    EXPECT_EQ(clip_triangle(on, vertex(1, 1, 10), vertex(1, -1, 10), planes).count, 0);
    // One inside, one outside: clipped, the on-plane vertex kept once.
    const ClipPolygon r = clip_triangle(on, vertex(-1, 2, 10), vertex(1, 2, 10), planes);
    ASSERT_EQ(r.count, 3);
    int on_count = 0;
    for (int i = 0; i < r.count; ++i) {
        on_count += r.vertices[i].x == 0.0f && r.vertices[i].y == 0.0f;
        EXPECT_LE(r.vertices[i].x, 0.0f);
    }
    EXPECT_EQ(on_count, 1);
}
