// Random triangles through the whole render path, and random polygons straight
// into the rasterizer: nothing may be written outside either buffer, and what
// the render driver draws stays inside the guard band of the view planes.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <random>
#include <vector>

#include "render/render_internal.h"
#include "test_mesh.h"

namespace {

constexpr int W = 512, H = 384;
constexpr size_t guard = 4096;
constexpr uint32_t canary = 0xDEADBEEFu;
constexpr uint32_t cleared = 0xFFFFFFFFu;

// A buffer of W x H pixels between two guard zones holding a canary.
struct GuardedBuffer {
    std::vector<uint32_t> storage = std::vector<uint32_t>(guard + W * H + guard, canary);
    uint32_t* pixels() { return storage.data() + guard; }
    bool guards_intact() const {
        for (size_t i = 0; i < guard; ++i)
            if (storage[i] != canary || storage[guard + W * H + i] != canary) return false;
        return true;
    }
};

class Property : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_EQ(render_init(W, H), 1);
        owned_depth = render_state.depth_buffer;
        render_state.depth_buffer = depth.pixels();
        matrix_identity(identity);
    }
    void TearDown() override {
        render_state.depth_buffer = owned_depth;
        render_shutdown();
    }
    void clear() {
        depth_buffer_clear();
        std::fill(colour.pixels(), colour.pixels() + W * H, 0u);
    }
    // Every pixel written since the last clear lies inside the guard band.
    void expect_inside_band() {
        const uint32_t* d = depth.pixels();
        for (int y = 0; y < H; ++y)
            for (int x = 0; x < W; ++x)
                if (d[y * W + x] != cleared) {
                    ASSERT_TRUE(x >= 2 && x <= W - 2 && y >= 2 && y <= H - 2)
                        << "pixel " << x << "," << y;
                }
    }

    std::mt19937 rng{20240611u};
    GuardedBuffer depth, colour;
    uint32_t* owned_depth = nullptr;
    Matrix identity;

    float uniform(float lo, float hi) { return std::uniform_real_distribution<float>(lo, hi)(rng); }
    int pick(int n) { return std::uniform_int_distribution<int>(0, n - 1)(rng); }

    // A camera-space point of one of several kinds that stress the clipper.
    void random_point(float p[3]) {
        const float ex = 0.9921875f, ey = 0.7421875f;
        const float nan = std::numeric_limits<float>::quiet_NaN();
        const float inf = std::numeric_limits<float>::infinity();
        switch (pick(9)) {
        case 0: // around the view volume
            p[0] = uniform(-60, 60), p[1] = uniform(-60, 60), p[2] = uniform(-10, 60);
            break;
        case 1: // huge
            p[0] = uniform(-1e30f, 1e30f), p[1] = uniform(-1e30f, 1e30f);
            p[2] = uniform(-1e30f, 1e30f);
            break;
        case 2: // tiny, around the eye
            p[0] = uniform(-1e-3f, 1e-3f), p[1] = uniform(-1e-3f, 1e-3f);
            p[2] = uniform(-1e-3f, 1e-3f);
            break;
        case 3: // on a side plane
            p[2] = uniform(0, 50);
            p[0] = (pick(2) ? ex : -ex) * p[2];
            p[1] = uniform(-ey, ey) * p[2];
            break;
        case 4:
            p[2] = uniform(0, 50);
            p[1] = (pick(2) ? ey : -ey) * p[2];
            p[0] = uniform(-ex, ex) * p[2];
            break;
        case 5: // the eye itself lies on every plane
            p[0] = p[1] = p[2] = 0.0f;
            break;
        case 6: // behind the eye
            p[0] = uniform(-60, 60), p[1] = uniform(-60, 60), p[2] = uniform(-60, 0);
            break;
        case 7: // near the 0.1 limit of the projection
            p[2] = uniform(0.05f, 0.15f);
            p[0] = uniform(-0.1f, 0.1f), p[1] = uniform(-0.1f, 0.1f);
            break;
        default: // not finite
            p[0] = uniform(-5, 5), p[1] = uniform(-5, 5), p[2] = uniform(1, 20);
            p[pick(3)] = pick(2) ? nan : (pick(2) ? inf : -inf);
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
        const TestMesh mesh = random_mesh(250);
        render_object(identity, identity, mesh.object, colour.pixels(), 0xFFFFFF);
        ASSERT_TRUE(depth.guards_intact());
        ASSERT_TRUE(colour.guards_intact());
        expect_inside_band();
        const uint32_t* d = depth.pixels();
        drawn_batches += std::count_if(d, d + W * H, [](uint32_t v) { return v != cleared; }) > 0;
    }
    EXPECT_GT(drawn_batches, 30); // the generator does reach the screen
}

TEST_F(Property, RandomPolygonsNeverWriteOutsideTheBuffers) {
    const float nan = std::numeric_limits<float>::quiet_NaN();
    for (int i = 0; i < 20000; ++i) {
        ClipPolygon p = {};
        p.count = 3 + pick(5);
        for (int k = 0; k < p.count; ++k) {
            SceneVertex& v = p.vertices[k];
            const bool wild = pick(10) == 0;
            v.x = wild ? uniform(-1000, 1000) : uniform(0, W - 1);
            v.y = wild ? uniform(-1000, 1000) : uniform(0, H - 1);
            v.z = pick(20) == 0 ? nan : uniform(0.1f, 100000);
            if (pick(4) == 0 && k > 0) v.y = p.vertices[k - 1].y + uniform(-1e-3f, 1e-3f);
        }
        raster_polygon(p, colour.pixels(), 0x123456);
        if (i % 1000 == 0) clear();
    }
    EXPECT_TRUE(depth.guards_intact());
    EXPECT_TRUE(colour.guards_intact());
}
