// The renderer's hot functions: span fill, raster_polygon, clip_triangle,
// render_object and render_objects on one thread and on two.
#include <benchmark/benchmark.h>

#include <cstring>
#include <vector>

#include "frame/frame.h"
#include "render/span.h"
#include "support/test_mesh.h"

namespace {

constexpr int W = 512, H = 384;

struct Screen {
    std::vector<uint32_t> colours = std::vector<uint32_t>(W * H);
    Screen() {
        render_init(W, H);
        depth_buffer_clear();
    }
    ~Screen() { render_shutdown(); }
};

SceneVertex vertex(float x, float y, float z) {
    SceneVertex v = {};
    v.x = x;
    v.y = y;
    v.z = z;
    return v;
}

// Every pixel passes the depth test: the span is cleared between fills.
void BM_SpanFillPass(benchmark::State& state) {
    Screen screen;
    const int n = (int)state.range(0);
    for (auto _ : state) {
        std::memset(render_state.depth_buffer, 0xFF, n * sizeof(uint32_t));
        span_fill(n, 0.01f, 1e-5f, render_state.depth_buffer, screen.colours.data(), 0x123456);
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * n);
}
BENCHMARK(BM_SpanFillPass)->Arg(3)->Arg(16)->Arg(40)->Arg(256);

// Every pixel fails the depth test against an equal depth.
void BM_SpanFillReject(benchmark::State& state) {
    Screen screen;
    const int n = (int)state.range(0);
    span_fill(n, 0.01f, 1e-5f, render_state.depth_buffer, screen.colours.data(), 0x123456);
    for (auto _ : state) {
        span_fill(n, 0.01f, 1e-5f, render_state.depth_buffer, screen.colours.data(), 0x654321);
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * n);
}
BENCHMARK(BM_SpanFillReject)->Arg(3)->Arg(16)->Arg(40)->Arg(256);

// A triangle of the given height in pixels, drawn nearer on every call so
// that it always passes the depth test.
void BM_RasterPolygon(benchmark::State& state) {
    Screen screen;
    const float size = (float)state.range(0);
    float z = 1000.0f;
    for (auto _ : state) {
        ClipPolygon p;
        p.count = 3;
        p.vertices[0] = vertex(200.3f, 30.6f, z);
        p.vertices[1] = vertex(200.3f - size * 0.4f, 30.6f + size, z * 1.1f);
        p.vertices[2] = vertex(200.3f + size * 0.7f, 30.6f + size * 0.9f, z * 0.9f);
        benchmark::DoNotOptimize(raster_polygon(p, screen.colours.data(), 0x123456));
        z *= 0.999f;
        if (z < 1.0f) {
            z = 1000.0f;
            depth_buffer_clear();
        }
    }
}
BENCHMARK(BM_RasterPolygon)->Arg(2)->Arg(8)->Arg(40)->Arg(300);

void BM_ClipTriangle(benchmark::State& state) {
    Plane planes[4];
    view_planes_init(508.0f, 380.0f, 256.0f, planes);
    static const SceneVertex cases[3][3] = {
        {vertex(-3, 1, 10), vertex(1, -2, 12), vertex(2, 3, 9)},       // inside
        {vertex(-3, 1, 10), vertex(15, -2, 12), vertex(2, 3, 9)},      // across the right
        {vertex(-30, -5, 10), vertex(5, 40, 10), vertex(25, -30, 10)}, // across all four
    };
    const SceneVertex* v = cases[state.range(0)];
    for (auto _ : state)
        benchmark::DoNotOptimize(clip_triangle(v[0], v[1], v[2], planes));
}
BENCHMARK(BM_ClipTriangle)->Arg(0)->Arg(1)->Arg(2);

// One torus as in the stress scenes, turned a little on every call.
void BM_RenderObject(benchmark::State& state) {
    Screen screen;
    TestMesh torus;
    const int ring = (int)state.range(0), tube = (int)state.range(1);
    mesh_add_torus(torus, 14, 6, ring, tube, 10, 5, -8);
    mesh_finish(torus);
    Matrix camera;
    frame_camera_build(camera);
    for (auto _ : state) {
        depth_buffer_clear();
        matrix_rotate_x(torus.object.matrix, 0.0314f);
        render_object(torus.object.matrix, camera, torus.object, screen.colours.data(), 0xFFFFFF);
    }
    state.SetItemsProcessed(state.iterations() * torus.object.face_count);
}
BENCHMARK(BM_RenderObject)->Args({8, 4})->Args({80, 40})->Args({320, 100});

// Sixteen tori as in the stress scenes through render_objects, with the
// given number of threads (1: render_object one after another).
void BM_RenderObjects(benchmark::State& state) {
    Screen screen;
    std::vector<TestMesh> tori(16);
    std::vector<RenderItem> items;
    for (int i = 0; i < 16; ++i) {
        mesh_add_torus(tori[i], 10, 4, (int)state.range(0), (int)state.range(0) / 2,
                       (float)(i % 4) * 30 - 45, (float)(i / 4) * 25 - 37, 0);
        mesh_finish(tori[i]);
    }
    for (TestMesh& t : tori)
        items.push_back({&t.object.matrix, &t.object, 0xFF6496});
    Matrix camera;
    frame_camera_build(camera);
    render_threads_set((int32_t)state.range(1));
    int64_t faces = 0;
    for (auto _ : state) {
        render_clear(screen.colours.data());
        for (TestMesh& t : tori)
            matrix_rotate_x(t.object.matrix, 0.0314f);
        render_objects(camera, items.data(), (int32_t)items.size(), screen.colours.data());
        faces += 16 * tori[0].object.face_count;
    }
    state.SetItemsProcessed(faces);
    state.counters["threads"] = render_threads();
}
BENCHMARK(BM_RenderObjects)->Args({12, 1})->Args({12, 2})->Args({40, 1})->Args({40, 2});

} // namespace
