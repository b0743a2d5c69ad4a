// velmor-bench [--frames N] SCENE.3ds...
//
// For each scene: loads it, runs a few untimed frames, then N timed frames of
// the program's per-frame work without text and presentation, and prints
//   scene=NAME faces=F median_ms=X min_ms=Y
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "frame/frame.h"
#include "render/render.h"
#include "scene/scene.h"

namespace {

constexpr int WARM_UP_FRAMES = 5;

// One frame as the program's timer tick does it, up to the copy into the
// display surface: frame_draw, then the copy into a second buffer that stands
// in for the locked surface.
void bench_frame(ViewState& view, float& animation_angle, uint32_t* presented) {
    frame_draw(view, animation_angle);
    std::memcpy(presented, view.colour_buffer, screen_bytes);
}

std::string scene_name(const std::string& path) {
    const size_t slash = path.find_last_of("/\\");
    std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    const size_t dot = name.rfind('.');
    return dot == std::string::npos ? name : name.substr(0, dot);
}

double milliseconds_since(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
        .count();
}

// Returns false when the scene cannot be loaded.
bool bench_scene(const std::string& path, int frames, std::vector<uint32_t>& colours,
                 std::vector<uint32_t>& presented) {
    Scene* scene = scene_load(path.c_str());
    if (scene == nullptr) {
        std::fprintf(stderr, "velmor-bench: %s\n", scene_load_error()); // names the file
        return false;
    }
    int64_t faces = 0;
    for (int32_t i = 0; i < scene->object_count; ++i)
        faces += scene->objects[i].face_count;
    frame_objects_reset(*scene);
    ViewState view{};
    frame_camera_build(view.camera);
    view.colour_buffer = colours.data();
    view.scene = scene;
    float animation_angle = 0.0f;
    for (int f = 0; f < WARM_UP_FRAMES; ++f)
        bench_frame(view, animation_angle, presented.data());
    std::vector<double> times;
    times.reserve(frames);
    for (int f = 0; f < frames; ++f) {
        const auto start = std::chrono::steady_clock::now();
        bench_frame(view, animation_angle, presented.data());
        times.push_back(milliseconds_since(start));
    }
    std::sort(times.begin(), times.end());
    const double median =
        frames % 2 ? times[frames / 2] : (times[frames / 2 - 1] + times[frames / 2]) / 2.0;
    std::printf("scene=%s faces=%lld median_ms=%.3f min_ms=%.3f\n", scene_name(path).c_str(),
                (long long)faces, median, times.front());
    std::fflush(stdout);
    scene_free(scene);
    return true;
}

int usage() {
    std::fprintf(stderr, "usage: velmor-bench [--frames N] SCENE.3ds...\n");
    return 2;
}

} // namespace

int main(int argc, char** argv) {
    int frames = 200;
    std::vector<std::string> paths;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--frames") == 0 && i + 1 < argc) {
            frames = std::atoi(argv[++i]);
            if (frames <= 0) return usage();
        } else if (argv[i][0] == '-') {
            return usage();
        } else {
            paths.push_back(argv[i]);
        }
    }
    if (paths.empty()) return usage();
    if (!render_init(screen_width, screen_height)) {
        std::fprintf(stderr, "velmor-bench: out of memory\n");
        return 1;
    }
    std::vector<uint32_t> colours(screen_width * screen_height);
    std::vector<uint32_t> presented(screen_width * screen_height);
    int status = 0;
    for (const std::string& path : paths)
        if (!bench_scene(path, frames, colours, presented)) status = 1;
    render_shutdown();
    return status;
}
