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

#include "math/math.h"
#include "render/render.h"
#include "scene/scene.h"

namespace {

constexpr int screen_width = 512;
constexpr int screen_height = 384;
constexpr int warm_up_frames = 5;

struct BenchView {
    Matrix camera;
    Scene* scene;
    uint32_t* colour_buffer;
    uint32_t* presented; // stands in for the locked display surface
    float animation_angle;
};

// One frame as the program's timer tick does it, up to the copy into the
// display surface. Kept in one place so that it can become a call into the
// application shell.
void bench_frame(BenchView& view) {
    static const float turn_speeds[4] = {2.0f, 1.0f, 0.5f, 0.25f};
    static const uint32_t object_colours[4] = {0x00FF6496, 0x009664FF, 0x0050FF0A, 0x00FFFFFF};
    const size_t bytes = (size_t)screen_width * screen_height * sizeof(uint32_t);
    std::memset(view.colour_buffer, 0, bytes);
    view.animation_angle = view.animation_angle + 0.1f;
    if ((double)view.animation_angle > 6.28) view.animation_angle = 0.0f;
    depth_buffer_clear();
    for (int32_t i = 0; i < view.scene->object_count; ++i) {
        SceneObject& object = view.scene->objects[i];
        const float s = turn_speeds[i & 3];
        matrix_rotate_x(object.matrix, s * 0.031415924f);
        matrix_rotate_y(object.matrix, (float)(math_sinl(view.animation_angle) * 0.031415926 * s));
        render_object(object.matrix, view.camera, object, view.colour_buffer,
                      object_colours[i & 3]);
    }
    std::memcpy(view.presented, view.colour_buffer, bytes);
}

Matrix startup_camera() {
    Matrix camera;
    matrix_identity(camera);
    matrix_rotate_z(camera, -3.1415925f);
    matrix_rotate_x(camera, -0.5235988f);
    matrix_translate(camera, 0.0f, 0.0f, -150.0f);
    return camera;
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
        std::fprintf(stderr, "velmor-bench: %s: %s\n", path.c_str(), scene_load_error());
        return false;
    }
    int64_t faces = 0;
    for (int32_t i = 0; i < scene->object_count; ++i) {
        matrix_identity(scene->objects[i].matrix);
        faces += scene->objects[i].face_count;
    }
    BenchView view = {startup_camera(), scene, colours.data(), presented.data(), 0.0f};
    for (int f = 0; f < warm_up_frames; ++f)
        bench_frame(view);
    std::vector<double> times;
    times.reserve(frames);
    for (int f = 0; f < frames; ++f) {
        const auto start = std::chrono::steady_clock::now();
        bench_frame(view);
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
    if (render_init(screen_width, screen_height) == 0) {
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
