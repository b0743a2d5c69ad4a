#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <initializer_list>
#include <limits>
#include <random>
#include <vector>

#include "render/render_internal.h"

namespace {

constexpr int W = 512, H = 384;
constexpr uint32_t cleared = 0xFFFFFFFFu;

class Raster : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_EQ(render_init(W, H), 1);
        depth_buffer_clear();
        colours.assign(W * H, 0);
    }
    void TearDown() override { render_shutdown(); }

    // Screen x, y and camera z per vertex.
    int draw(std::initializer_list<std::array<float, 3>> points, uint32_t colour = 0x123456) {
        ClipPolygon p = {};
        for (const auto& q : points) {
            p.vertices[p.count].x = q[0];
            p.vertices[p.count].y = q[1];
            p.vertices[p.count].z = q[2];
            ++p.count;
        }
        return raster_polygon(p, colours.data(), colour);
    }
    uint32_t depth(int x, int y) const { return render_state.depth_buffer[y * W + x]; }
    bool drawn(int x, int y) const { return depth(x, y) != cleared; }
    std::vector<int> row(int y) const {
        std::vector<int> xs;
        for (int x = 0; x < W; ++x)
            if (drawn(x, y)) xs.push_back(x);
        return xs;
    }
    int drawn_count() const {
        int n = 0;
        for (int i = 0; i < W * H; ++i)
            n += render_state.depth_buffer[i] != cleared;
        return n;
    }
    void reset() {
        depth_buffer_clear();
        colours.assign(W * H, 0);
    }
    std::vector<uint32_t> colours;
};

std::vector<int> range(int first, int last) {
    std::vector<int> v;
    for (int x = first; x <= last; ++x)
        v.push_back(x);
    return v;
}

} // namespace

TEST_F(Raster, ClearedBufferAndEqualDepths) {
    for (int i = 0; i < W * H; ++i)
        ASSERT_EQ(render_state.depth_buffer[i], cleared);
    EXPECT_EQ(draw({{100, 10, 5}, {50, 100, 7}, {150, 100, 9}}, 0x111111), 1);
    const std::vector<uint32_t> first_colours = colours;
    const std::vector<uint32_t> first_depths(render_state.depth_buffer,
                                             render_state.depth_buffer + W * H);
    draw({{100, 10, 5}, {50, 100, 7}, {150, 100, 9}}, 0x222222);
    EXPECT_EQ(colours, first_colours);
    EXPECT_EQ(std::vector<uint32_t>(render_state.depth_buffer, render_state.depth_buffer + W * H),
              first_depths);
}

TEST_F(Raster, FarAndNonFiniteDepthsSaturateAndStillDraw) {
    draw({{10, 10, 65535.0f}, {10, 20, 65535.0f}, {20, 20, 65535.0f}});
    EXPECT_GT(depth(11, 15), 65534u * 65536u);
    EXPECT_LT(depth(11, 15), 0xFFFFFFFEu);
    reset();
    draw({{10, 10, 1e6f}, {10, 20, 1e6f}, {20, 20, 1e6f}});
    EXPECT_EQ(depth(11, 15), 0xFFFFFFFEu);
    reset();
    const float nan = std::numeric_limits<float>::quiet_NaN();
    draw({{10, 10, nan}, {10, 20, 5}, {20, 20, 5}});
    EXPECT_EQ(depth(11, 15), 0xFFFFFFFEu);
    EXPECT_EQ(depth_from_w(-1.0f), 0xFFFFFFFEu);
    EXPECT_EQ(depth_from_w(1.0f), 65536u);
}

TEST_F(Raster, ExampleTriangleRowsAndWinding) {
    EXPECT_EQ(draw({{100, 10, 5}, {50, 100, 5}, {150, 100, 5}}), 1);
    EXPECT_TRUE(row(10).empty());
    EXPECT_EQ(row(11), std::vector<int>{100});
    EXPECT_FALSE(row(99).empty());
    EXPECT_TRUE(row(100).empty());
    EXPECT_EQ(depth(100, 50), 5u * 65536u);
    reset();
    draw({{100, 10, 5}, {150, 100, 5}, {50, 100, 5}});
    EXPECT_EQ(drawn_count(), 0);
}

TEST_F(Raster, RowsStartAtTheCeilingOfTheTop) {
    draw({{20, 10, 5}, {20, 12, 5}, {30, 12, 5}, {30, 10, 5}});
    EXPECT_FALSE(row(10).empty());
    EXPECT_FALSE(row(11).empty());
    EXPECT_TRUE(row(12).empty());
    reset();
    draw({{20, 10.4f, 5}, {20, 12, 5}, {30, 12, 5}, {30, 10.4f, 5}});
    EXPECT_TRUE(row(10).empty());
    EXPECT_FALSE(row(11).empty());
    reset();
    EXPECT_EQ(draw({{20, 10.2f, 5}, {20, 11, 5}, {30, 11, 5}, {30, 10.2f, 5}}), 0);
    EXPECT_EQ(drawn_count(), 0);
}

TEST_F(Raster, SpansCoverPixelsRightOfTheLeftEdgeUpToTheRightEdge) {
    draw({{20.5f, 10, 5}, {20.5f, 20, 5}, {25.0f, 20, 5}, {25.0f, 10, 5}});
    for (int y = 10; y < 20; ++y)
        EXPECT_EQ(row(y), range(21, 25));
    reset();
    draw({{20.0f, 10, 5}, {20.0f, 20, 5}, {20.9f, 20, 5}, {20.9f, 10, 5}});
    EXPECT_EQ(drawn_count(), 0);
}

TEST_F(Raster, LongSpanIsExactEverySixteenPixels) {
    uint32_t depths[40], pixels[40];
    for (uint32_t& d : depths)
        d = cleared;
    render_state.w_dx = 0.0005f;
    const float w = 0.01f;
    span_fill(40, w, depths, pixels, 0xABCDEF);
    const float w16 = w + 16.0f * render_state.w_dx, w32 = w16 + 16.0f * render_state.w_dx;
    const uint32_t d0 = depth_from_w(w), d16 = depth_from_w(w16), d32 = depth_from_w(w32);
    EXPECT_EQ(depths[0], d0);
    EXPECT_EQ(depths[16], d16);
    EXPECT_EQ(depths[32], d32);
    const int32_t step = (int32_t)(d16 - d0) / 16;
    EXPECT_LT(step, 0);
    EXPECT_EQ(depths[15], d0 + 15u * (uint32_t)step);
    const int32_t last = (int32_t)(depth_from_w(w32 + 8.0f * render_state.w_dx) - d32) / 8;
    EXPECT_EQ(depths[39], d32 + 7u * (uint32_t)last);
    for (uint32_t p : pixels)
        EXPECT_EQ(p, 0xABCDEFu);
}

TEST_F(Raster, SharedEdgesNeitherOverlapNorLeaveGaps) {
    // A fan around an off-grid centre; its outline is convex.
    const float cx = 200.37f, cy = 150.61f;
    const float ring[6][2] = {{230.2f, 101.7f}, {160.9f, 110.3f}, {141.1f, 170.8f},
                              {190.4f, 211.5f}, {251.3f, 190.2f}, {262.8f, 140.05f}};
    std::vector<int> owner(W * H, -1);
    for (int t = 0; t < 6; ++t) {
        reset();
        const float* a = ring[t];
        const float* b = ring[(t + 1) % 6];
        draw({{cx, cy, 5}, {a[0], a[1], 6}, {b[0], b[1], 7}});
        for (int i = 0; i < W * H; ++i) {
            if (render_state.depth_buffer[i] == cleared) continue;
            EXPECT_EQ(owner[i], -1) << "pixel " << i % W << "," << i / W;
            owner[i] = t;
        }
    }
    for (int y = 0; y < H; ++y) {
        int first = -1, last = -1, count = 0;
        for (int x = 0; x < W; ++x) {
            if (owner[y * W + x] < 0) continue;
            if (first < 0) first = x;
            last = x;
            ++count;
        }
        EXPECT_EQ(count, count > 0 ? last - first + 1 : 0) << "row " << y;
    }
}

TEST_F(Raster, CollinearFirstVerticesDrawNothing) {
    EXPECT_EQ(draw({{10, 10, 5}, {10, 20, 5}, {10, 30, 5}, {40, 30, 5}}), 0);
    EXPECT_EQ(drawn_count(), 0);
}

TEST_F(Raster, NearlyHorizontalEdgeLandsWhereItCrossesItsRow) {
    // The top edge's rows differ by 0.001 pixel; it crosses row 20 at x = 155.
    draw({{10, 19.9995f, 5}, {10, 40, 5}, {300, 20.0005f, 5}});
    EXPECT_EQ(row(20), range(11, 155));
    ScanEdge edge;
    SceneVertex a = {}, b = {};
    a.x = 10, a.y = 19.9995f, b.x = 300, b.y = 20.0005f;
    ASSERT_EQ(scan_edge_setup(a, b, edge), 1);
    EXPECT_EQ(edge.rows, 1);
    EXPECT_EQ(edge.dx, 0);
    EXPECT_EQ(edge.x, 155 * 65536);
}

TEST_F(Raster, DrawingEndsWhenEitherChainRunsOut) {
    // The right chain rises by a hair between (150, 49.9999) and (149, 50.0001):
    // that edge is skipped, the right chain counts 91 rows, the left one 90.
    EXPECT_EQ(draw({{100, 10, 5}, {50, 100, 5}, {150, 49.9999f, 5}, {149, 50.0001f, 5}}), 1);
    for (int y = 11; y < 100; ++y)
        EXPECT_FALSE(row(y).empty()) << "row " << y;
    EXPECT_TRUE(row(100).empty());
    EXPECT_TRUE(row(101).empty());
}

TEST_F(Raster, BrokenPolygonsNeverWriteOutsideTheScreen) {
    const float nan = std::numeric_limits<float>::quiet_NaN();
    EXPECT_EQ(draw({{-5, 10, 5}, {10, 20, 5}, {20, 10, 5}}), 0);
    EXPECT_EQ(draw({{600, 10, 5}, {10, 20, 5}, {20, 10, 5}}), 0);
    EXPECT_EQ(draw({{10, nan, 5}, {10, 20, 5}, {20, 10, 5}}), 0);
    EXPECT_EQ(draw({{10, 1e9f, 5}, {10, 20, 5}, {20, 10, 5}}), 0);
    EXPECT_EQ(draw({{10, 10, 5}, {10, 20, 5}}), 0);
    EXPECT_EQ(drawn_count(), 0);
    // Chains that rise (a hair, and far) and zigzag down to the last row.
    draw({{100, 10, 5}, {50, 50.0001f, 5}, {52, 49.9999f, 5}, {150, 100, 5}, {140, 20, 5}});
    draw({{5, 0, 5},
          {6, 383, 5},
          {7, 1, 5},
          {8, 383, 5},
          {300, 383, 5},
          {301, 2, 5},
          {302, 383, 5}});
    for (int y = 0; y < H; ++y)
        for (int x : row(y)) {
            EXPECT_GE(x, 0);
            EXPECT_LT(x, W);
        }
}

// The triangle path must draw exactly what the polygon path draws: random
// triangles of every size, with snapped and tied coordinates and nearly
// horizontal edges, drawn in the same order into two pairs of buffers.
TEST(TrianglePath, DrawsWhatThePolygonPathDraws) {
    ASSERT_EQ(render_init(W, H), 1);
    std::mt19937 rng(7u);
    auto uniform = [&rng](float lo, float hi) {
        return std::uniform_real_distribution<float>(lo, hi)(rng);
    };
    auto pick = [&rng](int n) { return std::uniform_int_distribution<int>(0, n - 1)(rng); };
    const size_t size = (size_t)W * H;
    std::vector<uint32_t> polygon_colours(size, 0), triangle_colours(size, 0);
    std::vector<uint32_t> polygon_depths(size, cleared), triangle_depths(size, cleared);
    uint32_t* const own_depths = render_state.depth_buffer;
    Matrix identity;
    matrix_identity(identity);
    for (int i = 0; i < 200000; ++i) {
        float x[3], y[3], z[3];
        const float scale = pick(3) == 0 ? 200.0f : (pick(2) ? 8.0f : 1.5f);
        const float cx = uniform(scale, W - 1 - scale), cy = uniform(scale, H - 1 - scale);
        const float width = pick(4) == 0 ? 0.6f : scale; // slivers: few rows with pixels
        for (int k = 0; k < 3; ++k) {
            x[k] = cx + uniform(-width, width);
            y[k] = cy + uniform(-scale, scale);
            z[k] = uniform(1.0f, 500.0f);
            if (pick(6) == 0) x[k] = (float)(int)x[k];
            if (pick(6) == 0) y[k] = (float)(int)y[k];
        }
        if (pick(8) == 0) y[1] = y[0];                          // a tie for top or bottom
        if (pick(8) == 0) y[2] = y[1] + uniform(-1e-3f, 1e-3f); // nearly horizontal
        const Plane plane = {uniform(-1, 1), uniform(-1, 1), uniform(-1, 1), 0};
        const FaceShade shade = {&plane, &identity, (uint32_t)rng() & 0xFFFFFF};
        ClipPolygon p = {};
        p.count = 3;
        for (int k = 0; k < 3; ++k) {
            p.vertices[k].x = x[k];
            p.vertices[k].y = y[k];
            p.vertices[k].z = z[k];
        }
        render_state.depth_buffer = polygon_depths.data();
        raster_polygon(p, polygon_colours.data(), face_colour(shade));
        render_state.depth_buffer = triangle_depths.data();
        raster_triangle(x, y, z, triangle_colours.data(), shade);
        if (i % 20000 == 19999) {
            ASSERT_EQ(polygon_depths, triangle_depths) << "after triangle " << i;
            ASSERT_EQ(polygon_colours, triangle_colours) << "after triangle " << i;
            std::fill(polygon_depths.begin(), polygon_depths.end(), cleared);
            std::fill(triangle_depths.begin(), triangle_depths.end(), cleared);
        }
    }
    render_state.depth_buffer = own_depths;
    render_shutdown();
}
