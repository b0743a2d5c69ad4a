// The rasterizer and the render driver on a 512 x 384 screen: the pixels and
// depths a polygon gets, and what the driver culls, projects and shades.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "support/screen.h"

namespace {

const float not_a_number = std::numeric_limits<float>::quiet_NaN();

// One face with corners given in camera space.
TestMesh face(std::array<float, 9> c) {
    TestMesh mesh;
    mesh_face(mesh, mesh_vertex(mesh, c[0], c[1], c[2]), mesh_vertex(mesh, c[3], c[4], c[5]),
              mesh_vertex(mesh, c[6], c[7], c[8]));
    mesh_finish(mesh);
    return mesh;
}

// A face in front of the eye; corners (256, 192), (256, 217.6) and
// (281.6, 192) on the screen, counter-clockwise.
TestMesh example() {
    return face({0, 0, 10, 0, 1, 10, 1, 0, 10});
}

std::vector<int> range(int first, int last) {
    std::vector<int> v;
    for (int x = first; x <= last; ++x)
        v.push_back(x);
    return v;
}

} // namespace

TEST_F(Screen, ExampleTriangleRowsAndWinding) {
    EXPECT_TRUE(draw({{100, 10, 5}, {50, 100, 5}, {150, 100, 5}}));
    EXPECT_TRUE(row(10).empty());
    EXPECT_EQ(row(11), std::vector<int>{100});
    EXPECT_FALSE(row(99).empty());
    EXPECT_TRUE(row(100).empty());
    EXPECT_EQ(depth(100, 50), 5u * 65536u);
    clear();
    draw({{100, 10, 5}, {150, 100, 5}, {50, 100, 5}});
    EXPECT_EQ(drawn_count(), 0);
}

// Rows from the ceiling of the top to below the bottom; pixels right of the
// left edge up to and including the right edge.
TEST_F(Screen, RectanglesCoverTheirRowsAndColumns) {
    const struct {
        float x0, y0, x1, y1;
        int first_row, last_row, first_x, last_x;
    } cases[] = {
        {20, 10, 30, 12, 10, 11, 21, 30},
        {20, 10.4f, 30, 12, 11, 11, 21, 30},
        {20.5f, 10, 25, 20, 10, 19, 21, 25},
        {20, 10, 20.9f, 20, 0, -1, 0, -1},
    };
    for (const auto& c : cases) {
        clear();
        draw({{c.x0, c.y0, 5}, {c.x0, c.y1, 5}, {c.x1, c.y1, 5}, {c.x1, c.y0, 5}});
        for (int y = 0; y < H; ++y) {
            const bool inside = y >= c.first_row && y <= c.last_row;
            ASSERT_EQ(row(y), inside ? range(c.first_x, c.last_x) : std::vector<int>{})
                << c.x0 << "," << c.y0 << " " << c.x1 << "," << c.y1 << " row " << y;
        }
    }
}

TEST_F(Screen, PolygonsThatDrawNothing) {
    const Points cases[] = {
        {{10, 10, 5}, {10, 20, 5}, {10, 30, 5}, {40, 30, 5}},       // first three collinear
        {{20, 10.2f, 5}, {20, 11, 5}, {30, 11, 5}, {30, 10.2f, 5}}, // between two rows
        {{-5, 10, 5}, {10, 20, 5}, {20, 10, 5}},                    // off the screen
        {{600, 10, 5}, {10, 20, 5}, {20, 10, 5}},
        {{10, 1e9f, 5}, {10, 20, 5}, {20, 10, 5}},
        {{10, not_a_number, 5}, {10, 20, 5}, {20, 10, 5}},
        {{10, 10, 5}, {10, 20, 5}},
    };
    for (const Points& p : cases)
        EXPECT_FALSE(draw(p)) << p[0][0] << "," << p[0][1];
    EXPECT_EQ(drawn_count(), 0);
}

TEST_F(Screen, FarAndNonFiniteDepthsSaturateAndStillDraw) {
    draw({{10, 10, 65535.0f}, {10, 20, 65535.0f}, {20, 20, 65535.0f}});
    EXPECT_GT(depth(11, 15), 65534u * 65536u);
    EXPECT_LT(depth(11, 15), 0xFFFFFFFEu);
    clear();
    draw({{10, 10, 1e6f}, {10, 20, 1e6f}, {20, 20, 1e6f}});
    EXPECT_EQ(depth(11, 15), 0xFFFFFFFEu);
    clear();
    draw({{10, 10, not_a_number}, {10, 20, 5}, {20, 20, 5}});
    EXPECT_EQ(depth(11, 15), 0xFFFFFFFEu);
    EXPECT_EQ(depth_from_w(-1.0f), 0xFFFFFFFEu);
    EXPECT_EQ(depth_from_w(1.0f), 65536u);
}

// 1/z from 0.01 by 0.0005 a pixel: exact at pixels 0, 16 and 32 and stepped
// in between; the last 8 pixels step towards their own exact end.
TEST_F(Screen, LongSpanIsExactEverySixteenPixels) {
    uint32_t depths[40], pixels[40];
    std::fill(depths, depths + 40, CLEARED);
    span_fill(40, 0.01f, 0.0005f, depths, pixels, 0xABCDEF);
    const uint32_t expected[][2] = {{0, 6553600},  {1, 6371556},  {15, 3822940},
                                    {16, 3640889}, {32, 2520615}, {39, 2226545}};
    for (const auto& e : expected)
        EXPECT_EQ(depths[e[0]], e[1]) << "pixel " << e[0];
    for (uint32_t p : pixels)
        EXPECT_EQ(p, 0xABCDEFu);
}

// Every code for the 16-pixel runs, and span_fill as it picks one or draws a
// short span itself, draws what the plain loop draws: random spans over
// random depths, far and near, rising and falling, not a number.
TEST_F(Screen, SpanRunsOfEveryKindDrawTheSame) {
    const float w_steps[] = {0.0f, 1e-6f, -1e-6f, 3e-4f, -3e-4f, 0.02f, std::nanf("")};
    const int picked = -1; // span_fill
    for (int runs : {(int)SPAN_RUNS_SSE2, (int)SPAN_RUNS_AVX2, picked}) {
        if (runs != picked && !span_runs_available((SpanRuns)runs)) continue;
        for (int i = 0; i < 3000; ++i) {
            const int n = 1 + (pick(2) ? pick(24) : pick(200));
            const float w = pick(10) == 0 ? uniform(-1e-5f, 1e-5f) : uniform(1e-5f, 10.0f);
            const float w_dx = w_steps[pick(7)] * (pick(2) ? 1.0f : uniform(0.0f, 1.0f));
            std::vector<uint32_t> depths(n), pixels(n);
            for (uint32_t& d : depths)
                d = pick(3) == 0 ? CLEARED : (uint32_t)rng();
            std::vector<uint32_t> plain_depths = depths, plain_pixels = pixels;
            // The span in the plain loop and in the code under test.
            auto draw_both = [&](uint32_t colour) {
                span_fill_with(SPAN_RUNS_PLAIN, n, w, w_dx, plain_depths.data(),
                               plain_pixels.data(), colour);
                if (runs == picked)
                    span_fill(n, w, w_dx, depths.data(), pixels.data(), colour);
                else
                    span_fill_with((SpanRuns)runs, n, w, w_dx, depths.data(), pixels.data(),
                                   colour);
            };
            draw_both(0xABCDEF);
            ASSERT_EQ(depths, plain_depths) << "runs " << runs << " n " << n << " w " << w;
            ASSERT_EQ(pixels, plain_pixels) << "runs " << runs << " n " << n << " w " << w;
            // Drawn again, in another colour, the span ties with itself where
            // it was drawn, but for one pixel moved a step farther, which it
            // wins; and loses or wins again where it was not drawn.
            const int k = pick(n);
            if (plain_depths[k] != 0xFFFFFFFFu) depths[k] = ++plain_depths[k];
            draw_both(0x123456);
            ASSERT_EQ(pixels, plain_pixels) << "again: runs " << runs << " n " << n << " k " << k;
        }
    }
}

TEST_F(Screen, SharedEdgesNeitherOverlapNorLeaveGaps) {
    // A fan around an off-grid centre; its outline is convex.
    const float cx = 200.37f, cy = 150.61f;
    const float ring[6][2] = {{230.2f, 101.7f}, {160.9f, 110.3f}, {141.1f, 170.8f},
                              {190.4f, 211.5f}, {251.3f, 190.2f}, {262.8f, 140.05f}};
    std::vector<int> owner(W * H, -1);
    for (int t = 0; t < 6; ++t) {
        clear();
        const float *a = ring[t], *b = ring[(t + 1) % 6];
        draw({{cx, cy, 5}, {a[0], a[1], 6}, {b[0], b[1], 7}});
        for (int i = 0; i < W * H; ++i) {
            if (render_state.depth_buffer[i] == CLEARED) continue;
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

TEST_F(Screen, NearlyHorizontalEdgeLandsWhereItCrossesItsRow) {
    // The top edge's rows differ by 0.001 pixel; it crosses row 20 at x = 155.
    draw({{10, 19.9995f, 5}, {10, 40, 5}, {300, 20.0005f, 5}});
    EXPECT_EQ(row(20), range(11, 155));
    ScanEdge edge;
    SceneVertex a = {}, b = {};
    a.x = 10, a.y = 19.9995f, b.x = 300, b.y = 20.0005f;
    ASSERT_TRUE(scan_edge_setup(a, b, edge));
    EXPECT_EQ(edge.rows, 1);
    EXPECT_EQ(edge.dx, 0);
    EXPECT_EQ(edge.x, 155 * 65536);
}

TEST_F(Screen, DrawingEndsWhenEitherChainRunsOut) {
    // The right chain rises by a hair between (150, 49.9999) and (149, 50.0001):
    // that edge is skipped, the right chain counts 91 rows, the left one 90.
    EXPECT_TRUE(draw({{100, 10, 5}, {50, 100, 5}, {150, 49.9999f, 5}, {149, 50.0001f, 5}}));
    for (int y = 11; y < 100; ++y)
        EXPECT_FALSE(row(y).empty()) << "row " << y;
    EXPECT_TRUE(row(100).empty());
    EXPECT_TRUE(row(101).empty());
    // Chains that rise (a hair, and far) and zigzag down to the last row: their
    // skipped edges make them longer than the polygon, which still draws and
    // stays within the buffers.
    const Points rising[] = {
        {{100, 10, 5}, {50, 50.0001f, 5}, {52, 49.9999f, 5}, {150, 100, 5}, {140, 20, 5}},
        {{5, 0, 5}, {6, 383, 5}, {7, 1, 5}, {8, 383, 5}, {300, 383, 5}, {301, 2, 5}, {302, 383, 5}},
        {{150, 0, 5}, {5, 380, 5}, {6, 1, 5}, {7, 383, 5}, {300, 200, 5}},
    };
    for (const Points& p : rising)
        EXPECT_TRUE(draw(p)) << p[0][0] << "," << p[0][1];
}

// The triangle path must draw exactly what the polygon path draws: random
// triangles of every size, with snapped and tied coordinates and nearly
// horizontal edges, drawn in the same order into two pairs of buffers.
TEST_F(Screen, TrianglePathDrawsWhatThePolygonPathDraws) {
    rng.seed(7u);
    const size_t size = (size_t)W * H;
    std::vector<uint32_t> polygon_colours(size, 0), triangle_colours(size, 0);
    std::vector<uint32_t> polygon_depths(size, CLEARED), triangle_depths(size, CLEARED);
    uint32_t* const own_depths = render_state.depth_buffer;
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
        FaceShade shade = {&plane, &identity, (uint32_t)rng() & 0xFFFFFF};
        const float b[3] = {(float)pick(256), (float)pick(256), (float)pick(256)};
        if (pick(2)) shade.brightness = b; // Gouraud, which vertices carry in u
        ClipPolygon p = polygon({{x[0], y[0], z[0]}, {x[1], y[1], z[1]}, {x[2], y[2], z[2]}});
        for (int k = 0; k < 3; ++k)
            p.vertices[k].u = b[k];
        render_state.depth_buffer = polygon_depths.data();
        polygon_fill(p, polygon_colours.data(), shade);
        render_state.depth_buffer = triangle_depths.data();
        raster_triangle(x, y, z, triangle_colours.data(), shade);
        if (i % 20000 == 19999) {
            ASSERT_EQ(polygon_depths, triangle_depths) << "after triangle " << i;
            ASSERT_EQ(polygon_colours, triangle_colours) << "after triangle " << i;
            std::fill(polygon_depths.begin(), polygon_depths.end(), CLEARED);
            std::fill(triangle_depths.begin(), triangle_depths.end(), CLEARED);
        }
    }
    render_state.depth_buffer = own_depths;
}

// --- The render driver -------------------------------------------------------

// Both 0.1 limits compare as doubles; the float 0.1 lies above the double 0.1.
TEST_F(Screen, TenthLimitsOfCullingAndProjection) {
    TestMesh mesh = example();
    mesh.faces[0].plane.d = 0.1f; // the eye's distance to the face: culled
    render(mesh);
    EXPECT_EQ(drawn_count(), 0);
    mesh.faces[0].plane.d = std::nextafter(0.1f, 0.0f);
    render(mesh);
    EXPECT_GT(drawn_count(), 0);

    // A corner nearer than 0.1 drops the whole face, inside the view volume
    // and across it (clipped first).
    for (float reach : {5.0f, 50.0f}) {
        clear();
        render(face({0, 0, 0.09f, 0, reach, 20, reach, 0, 20}));
        EXPECT_EQ(drawn_count(), 0);
        render(face({0, 0, 0.1f, 0, reach, 20, reach, 0, 20}));
        EXPECT_GT(drawn_count(), 0) << reach;
    }
}

TEST_F(Screen, HeadlightBrightness) {
    const float c128 = 128.5f / 255.0f;
    const struct {
        float a, b, c;
        uint32_t base, colour;
    } cases[] = {
        {0, 0, 1, 0xFFFFFF, 0xFEFEFE},                             // head-on: E = 255
        {0, 0, -1, 0xFFFFFF, 0xFEFEFE},                            // the negated normal too
        {0, 0, 1, 0x80FF40, 0x7FFE3F},                             // each channel
        {0, std::sqrt(1 - c128 * c128), c128, 0xFFFFFF, 0x7F7F7F}, // E = 128
        {1, 0, 0, 0xFFFFFF, 0x000000},                             // edge-on: E = 0
        {0, 0, 0, 0xFFFFFF, 0x000000},                             // zero normal: NaN, then 0
        {0, 0, 1e-30f, 0xFFFFFF, 0xFEFEFE},                        // tiny normal, no overflow
    };
    for (const auto& k : cases) {
        TestMesh mesh = example();
        mesh.faces[0].plane = Plane{k.a, k.b, k.c, -10.0f};
        clear(0x55555555);
        render(mesh, k.base);
        EXPECT_EQ(pixel(260, 195), k.colour) << k.a << " " << k.b << " " << k.c;
    }
}

TEST_F(Screen, NearerSurfaceWinsWhateverTheOrderAndEqualDepthKeepsTheFirst) {
    const TestMesh near = face({-1, -1, 10, -1, 1, 10, 1, -1, 10});
    const TestMesh far = face({-2, -2, 20, -2, 2, 20, 2, -2, 20});
    render(far, 0x00FF00);
    render(near, 0x0000FF);
    render(far, 0x00FF00);
    render(near, 0x00FF00);
    EXPECT_EQ(pixel(240, 180), 0x0000FEu); // in a 16-pixel run
    EXPECT_EQ(pixel(265, 180), 0x0000FEu); // in the span's last pixels
    // Spans shorter than 16 pixels, which only the plain compare decides.
    const TestMesh small = face({-0.1f, -0.1f, 5, -0.1f, 0.1f, 5, 0.1f, -0.1f, 5});
    render(small, 0xFF0000);
    render(small, 0x00FF00);
    EXPECT_EQ(pixel(252, 188), 0xFE0000u);
}
