// Random triangles through the whole render path, and random polygons straight
// into the rasterizer: nothing may be written outside either buffer (the
// Screen checks its guard zones), and what the render driver draws stays
// inside the guard band of the view planes.
#include <cmath>
#include <limits>

#include "support/screen.h"

namespace {

class Property : public Screen {
  protected:
    // Every pixel written since the last clear lies inside the guard band.
    void expect_inside_band() {
        for (int y = 0; y < H; ++y)
            for (int x = 0; x < W; ++x)
                if (depth(x, y) != CLEARED) {
                    ASSERT_TRUE(x >= 2 && x <= W - 2 && y >= 2 && y <= H - 2)
                        << "pixel " << x << "," << y;
                }
    }

    // A camera-space point of one of several kinds that stress the clipper.
    void random_point(float p[3]) {
        const float e[2] = {0.9921875f, 0.7421875f}, inf = std::numeric_limits<float>::infinity();
        const int kind = pick(8);
        const float reach = kind == 1 ? 1e30f : (kind == 2 ? 1e-3f : 60.0f);
        for (int k = 0; k < 3; ++k)
            p[k] = uniform(-reach, reach); // 1 huge, 2 tiny: around the eye
        switch (kind) {
        case 0: // around the view volume
            p[2] = uniform(-10, 60);
            break;
        case 3: { // on a side plane, or on the top or bottom one
            const int on = pick(2);
            p[2] = uniform(0, 50);
            p[on] = (pick(2) ? e[on] : -e[on]) * p[2];
            p[1 - on] = uniform(-e[1 - on], e[1 - on]) * p[2];
            break;
        }
        case 4: // the eye itself lies on every plane
            p[0] = p[1] = p[2] = 0.0f;
            break;
        case 5: // behind the eye
            p[2] = uniform(-60, 0);
            break;
        case 6: // near the 0.1 limit of the projection
            p[0] = uniform(-0.1f, 0.1f), p[1] = uniform(-0.1f, 0.1f), p[2] = uniform(0.05f, 0.15f);
            break;
        case 7: // not finite
            p[0] = uniform(-5, 5), p[1] = uniform(-5, 5), p[2] = uniform(1, 20);
            p[pick(3)] = pick(2) ? std::nanf("") : (pick(2) ? inf : -inf);
            break;
        }
    }

    // Faces of random points, each also with the opposite winding, so that
    // culling lets one of the pair through.
    TestMesh random_mesh(int faces) {
        TestMesh mesh;
        mesh.vertices.reserve(faces * 3);
        for (int f = 0; f < faces; ++f) {
            int c[3];
            for (int k = 0; k < 3; ++k) {
                float p[3];
                random_point(p);
                if (k > 0 && pick(8) == 0) { // degenerate: a repeated corner
                    c[k] = c[k - 1];
                    continue;
                }
                c[k] = mesh_vertex(mesh, p[0], p[1], p[2]);
            }
            mesh_face(mesh, c[0], c[1], c[2]);
            mesh_face(mesh, c[0], c[2], c[1]);
        }
        mesh_finish(mesh);
        return mesh;
    }
};

} // namespace

TEST_F(Property, RandomTrianglesStayInsideTheGuardBand) {
    int drawn_batches = 0;
    for (int batch = 0; batch < 40; ++batch) {
        clear();
        render(random_mesh(250));
        expect_inside_band();
        drawn_batches += drawn_count() > 0;
    }
    EXPECT_GT(drawn_batches, 30); // the generator does reach the screen
}

// What this checks is the guard zones around both buffers: the Screen
// fixture's TearDown checks them after every test, and this test once more at
// its end.
TEST_F(Property, RandomPolygonsNeverWriteOutsideTheBuffers) {
    for (int i = 0; i < 20000; ++i) {
        ClipPolygon p = {};
        p.count = 3 + pick(5);
        for (int k = 0; k < p.count; ++k) {
            SceneVertex& v = p.vertices[k];
            const bool wild = pick(10) == 0;
            v.x = wild ? uniform(-1000, 1000) : uniform(0, W - 1);
            v.y = wild ? uniform(-1000, 1000) : uniform(0, H - 1);
            v.z = pick(20) == 0 ? std::nanf("") : uniform(0.1f, 100000);
            if (pick(4) == 0 && k > 0) v.y = p.vertices[k - 1].y + uniform(-1e-3f, 1e-3f);
        }
        raster_polygon(p, colours, 0x123456);
        if (i % 1000 == 0) clear();
    }
    EXPECT_TRUE(guards_intact());
}
