// bench_view [BENCHMARK OPTIONS] SCENE.3ds...: view mode's frame on each
// scene, framed and turning on the turntable, at 512 x 384 and 1920 x 1080,
// on one thread and two, in its default look (both sides, smooth, on its
// background) and in the demo's (flat, turned-away faces culled).
#include <benchmark/benchmark.h>

#include <cstdio>
#include <string>
#include <vector>

#include "frame/frame.h"
#include "render/render.h"

namespace {

const ViewLook smooth_look{false, view_ambient, true, view_background_top, view_background_bottom};

void view_frames(benchmark::State& state, Scene* scene, int32_t width, int32_t height,
                 int32_t threads, const ViewLook* look) {
    if (!render_init(width, height)) {
        state.SkipWithError("out of memory");
        return;
    }
    render_threads_set(threads);
    std::vector<uint32_t> picture((size_t)width * (size_t)height);
    ViewState view{{}, scene, nullptr, look};
    ViewCamera camera = frame_view_start(UpAxis::file_z);
    for (auto _ : state) {
        frame_draw_view(view, camera, width, height, picture.data());
        camera.azimuth += 0.6; // the turntable's step
        benchmark::ClobberMemory();
    }
    state.counters["threads"] = render_threads();
    render_shutdown();
}

std::string base_name(const std::string& path) {
    const size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

} // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    std::vector<Scene*> scenes;
    for (int i = 1; i < argc; ++i) {
        Scene* scene = scene_load(argv[i]);
        if (scene == nullptr) {
            std::fprintf(stderr, "bench_view: %s\n", scene_error());
            return 1;
        }
        frame_fit_scene(*scene);
        scenes.push_back(scene);
        const std::string name = base_name(argv[i]);
        const int32_t sizes[2][2] = {{512, 384}, {1920, 1080}};
        for (const auto& size : sizes)
            for (int32_t threads : {1, 2})
                for (const ViewLook* look : {(const ViewLook*)nullptr, &smooth_look}) {
                    const std::string label =
                        name + "/" + std::to_string(size[0]) + "x" + std::to_string(size[1]) +
                        "/threads:" + std::to_string(threads) + (look ? "/smooth" : "/flat_culled");
                    benchmark::RegisterBenchmark(label.c_str(), view_frames, scene, size[0],
                                                 size[1], threads, look)
                        ->Unit(benchmark::kMillisecond);
                }
    }
    benchmark::RunSpecifiedBenchmarks();
    for (Scene* scene : scenes)
        scene_free(scene);
    return 0;
}
