// velmor-bench [--frames N] [--threads N] [--stage full|clear|geometry] SCENE.3ds...
//
// For each scene: loads it, runs a few untimed frames, then N timed frames of
// the program's per-frame work without text and presentation, drawn with the
// given number of threads (default one per core), and prints
//   scene=NAME faces=F threads=T median_ms=X min_ms=Y
// The other stages time the floors under a frame, with stage=S in the line:
// clear is the fixed work alone (both clears), geometry adds
// every face culled, transformed, clipped and projected on one thread as the
// warm-up frames left the objects, with neither set-up nor pixels.
#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "frame/frame.h"
#include "render/face.h"
#include "scene/scene.h"

namespace {

constexpr int WARM_UP_FRAMES = 5;

enum Stage { STAGE_FULL, STAGE_CLEAR, STAGE_GEOMETRY };
const char* const stage_names[] = {"full", "clear", "geometry"};

// One frame as the program's timer tick does it, up to the presentation:
// frame_draw into a buffer that stands in for the locked display surface.
void bench_frame(ViewState& view, float& animation_angle, uint32_t* presented) {
    frame_draw(view, animation_angle, Turning::by_index, presented);
}

// The geometry floor of a frame: the faces that would go on to be drawn.
int64_t geometry_frame(ViewState& view, uint32_t* presented) {
    render_clear(presented);
    int64_t kept = 0;
    for (int32_t i = 0; i < view.scene->object_count; ++i) {
        const SceneObject& object = view.scene->objects[i];
        ObjectSetup setup;
        object_setup(object.matrix, view.camera, setup);
        faces_walk(object.faces, object.face_count, setup,
                   [&kept](int32_t, FaceKind, FaceOutcome&) { ++kept; });
    }
    return kept;
}

void stage_frame(Stage stage, ViewState& view, float& animation_angle, uint32_t* presented) {
    if (stage == STAGE_FULL) {
        bench_frame(view, animation_angle, presented);
    } else if (stage == STAGE_CLEAR) {
        render_clear(presented);
    } else {
        geometry_frame(view, presented);
    }
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
bool bench_scene(const std::string& path, int frames, Stage stage,
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
    ViewState view{}; // every frame is drawn into presented
    frame_camera_build(view.camera);
    view.scene = scene;
    float animation_angle = 0.0f;
    for (int f = 0; f < WARM_UP_FRAMES; ++f)
        bench_frame(view, animation_angle, presented.data());
    std::vector<double> times;
    times.reserve(frames);
    for (int f = 0; f < frames; ++f) {
        const auto start = std::chrono::steady_clock::now();
        stage_frame(stage, view, animation_angle, presented.data());
        times.push_back(milliseconds_since(start));
    }
    std::sort(times.begin(), times.end());
    const double median =
        frames % 2 ? times[frames / 2] : (times[frames / 2 - 1] + times[frames / 2]) / 2.0;
    std::printf("scene=%s faces=%lld threads=%d", scene_name(path).c_str(), (long long)faces,
                (int)render_threads());
    if (stage != STAGE_FULL) std::printf(" stage=%s", stage_names[stage]);
    std::printf(" median_ms=%.3f min_ms=%.3f\n", median, times.front());
    std::fflush(stdout);
    scene_free(scene);
    return true;
}

constexpr int MAX_FRAMES = 1000000, MAX_THREADS = 256;

// A whole number from 1 to max and nothing else.
bool parse_count(const char* text, int max, int& value) {
    char* end = nullptr;
    errno = 0;
    const long n = std::strtol(text, &end, 10);
    if (errno != 0 || end == text || *end != '\0' || n < 1 || n > max) return false;
    value = (int)n;
    return true;
}

int usage() {
    std::fprintf(stderr, "usage: velmor-bench [--frames N] [--threads N] "
                         "[--stage full|clear|geometry] SCENE.3ds...\n");
    return 2;
}

int bad_number(const char* option, int max, const char* text) {
    std::fprintf(stderr, "velmor-bench: %s needs a whole number from 1 to %d, not \"%s\"\n", option,
                 max, text);
    return usage();
}

} // namespace

int main(int argc, char** argv) {
    int frames = 200;
    int threads = 0; // one per core
    Stage stage = STAGE_FULL;
    std::vector<std::string> paths;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--frames") == 0 && i + 1 < argc) {
            if (!parse_count(argv[++i], MAX_FRAMES, frames))
                return bad_number("--frames", MAX_FRAMES, argv[i]);
        } else if (std::strcmp(argv[i], "--threads") == 0 && i + 1 < argc) {
            if (!parse_count(argv[++i], MAX_THREADS, threads))
                return bad_number("--threads", MAX_THREADS, argv[i]);
        } else if (std::strcmp(argv[i], "--stage") == 0 && i + 1 < argc) {
            ++i;
            int k = 0;
            while (k < 3 && std::strcmp(argv[i], stage_names[k]) != 0)
                ++k;
            if (k == 3) return usage();
            stage = (Stage)k;
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
    render_threads_set(stage == STAGE_GEOMETRY ? 1 : threads);
    std::vector<uint32_t> presented(screen_width * screen_height);
    int status = 0;
    for (const std::string& path : paths)
        if (!bench_scene(path, frames, stage, presented)) status = 1;
    render_shutdown();
    return status;
}
