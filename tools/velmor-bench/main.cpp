// velmor-bench [--frames N] [--threads N] [--stage full|clear|geometry]
//              [--size WxH] [--view AZ,EL[,ZOOM]] SCENE.3ds...
//
// For each scene: loads it, runs a few untimed frames, then N timed frames of
// the program's per-frame work without text and presentation, drawn with the
// given number of threads (default one per core), and prints
//   scene=NAME faces=F threads=T size=WxH median_ms=X min_ms=Y
// The other stages time the floors under a frame, with stage=S in the line:
// clear is the fixed work alone (both clears), geometry adds
// every face culled, transformed, clipped and projected on one thread as the
// warm-up frames left the objects, with neither set-up nor pixels.
// --size draws the demo's camera at another size (focal length half the
// width); --view draws view mode's framing, file colours and camera from
// that start view, turning as the live view's turntable turns it.
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

struct Options {
    int frames = 200;
    int threads = 0; // one per core
    Stage stage = STAGE_FULL;
    int32_t width = screen_width, height = screen_height;
    bool view_mode = false;
    ViewCamera camera = frame_view_start(UpAxis::file_z);
    std::vector<std::string> paths;
};

// What a frame draws with: the demo's turning objects, or view mode's camera.
struct Drawing {
    ViewState view;
    float animation_angle;
    ViewCamera camera;
    ViewInput input;
    int32_t width, height;
    bool view_mode;
};

// One frame as the program's timer tick does it, up to the presentation:
// frame_draw or frame_draw_view into a buffer that stands in for the locked
// display surface. view.camera follows view mode's for the geometry stage.
void bench_frame(Drawing& d, uint32_t* presented) {
    if (!d.view_mode) {
        frame_draw(d.view, d.animation_angle, Turning::by_index, presented);
        return;
    }
    frame_view_tick(d.camera, d.input);
    frame_view_matrix(d.camera, d.view.camera);
    frame_draw_view(d.view, d.camera, d.width, d.height, presented);
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

void stage_frame(Stage stage, Drawing& d, uint32_t* presented) {
    if (stage == STAGE_FULL) {
        bench_frame(d, presented);
    } else if (stage == STAGE_CLEAR) {
        render_clear(presented);
    } else {
        geometry_frame(d.view, presented);
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

// The scene made ready to draw as options say, with view mode's framing and
// colours for --view (face_colours then owned by the caller, null when out of memory).
Drawing drawing_start(Scene& scene, const Options& options) {
    frame_objects_reset(scene);
    Drawing d{};
    d.view.scene = &scene;
    d.width = options.width, d.height = options.height;
    d.view_mode = options.view_mode;
    d.camera = options.camera;
    d.input = frame_view_input_start();
    if (!d.view_mode) {
        frame_camera_build(d.view.camera);
        return d;
    }
    frame_fit_scene(scene);
    d.view.face_colours = frame_face_colours_create(scene);
    return d;
}

void print_times(const std::string& path, int64_t faces, const Options& options,
                 std::vector<double>& times) {
    std::sort(times.begin(), times.end());
    const size_t n = times.size();
    const double median = n % 2 ? times[n / 2] : (times[n / 2 - 1] + times[n / 2]) / 2.0;
    std::printf("scene=%s faces=%lld threads=%d size=%dx%d", scene_name(path).c_str(),
                (long long)faces, (int)render_threads(), (int)options.width, (int)options.height);
    if (options.view_mode)
        std::printf(" view=%g,%g,%g", options.camera.azimuth, options.camera.elevation,
                    options.camera.zoom);
    if (options.stage != STAGE_FULL) std::printf(" stage=%s", stage_names[options.stage]);
    std::printf(" median_ms=%.3f min_ms=%.3f\n", median, times.front());
    std::fflush(stdout);
}

// Returns false when the scene cannot be loaded.
bool bench_scene(const std::string& path, const Options& options,
                 std::vector<uint32_t>& presented) {
    Scene* scene = scene_load(path.c_str());
    if (scene == nullptr) {
        std::fprintf(stderr, "velmor-bench: %s\n", scene_error()); // names the file
        return false;
    }
    int64_t faces = 0;
    for (int32_t i = 0; i < scene->object_count; ++i)
        faces += scene->objects[i].face_count;
    Drawing d = drawing_start(*scene, options);
    for (int f = 0; f < WARM_UP_FRAMES; ++f)
        bench_frame(d, presented.data());
    std::vector<double> times;
    times.reserve(options.frames);
    for (int f = 0; f < options.frames; ++f) {
        const auto start = std::chrono::steady_clock::now();
        stage_frame(options.stage, d, presented.data());
        times.push_back(milliseconds_since(start));
    }
    print_times(path, faces, options, times);
    std::free(d.view.face_colours);
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

// The view planes need a picture of some size; the largest is view mode's.
constexpr SizeRange BENCH_SIZES = {64, 7680, 4320, false};

int usage() {
    std::fprintf(stderr, "usage: velmor-bench [--frames N] [--threads N] "
                         "[--stage full|clear|geometry] [--size WxH] [--view AZ,EL[,ZOOM]] "
                         "SCENE.3ds...\n");
    return 2;
}

int bad_number(const char* option, int max, const char* text) {
    std::fprintf(stderr, "velmor-bench: %s needs a whole number from 1 to %d, not \"%s\"\n", option,
                 max, text);
    return usage();
}

int bad_value(const char* option, const char* wanted, const char* text) {
    std::fprintf(stderr, "velmor-bench: %s needs %s, not \"%s\"\n", option, wanted, text);
    return usage();
}

// The option at argv[i] with its value at argv[i + 1]: -1 when taken, else
// the exit code.
int take_option(const char* name, const char* value, Options& o) {
    if (std::strcmp(name, "--frames") == 0)
        return parse_count(value, MAX_FRAMES, o.frames) ? -1 : bad_number(name, MAX_FRAMES, value);
    if (std::strcmp(name, "--threads") == 0)
        return parse_count(value, MAX_THREADS, o.threads) ? -1
                                                          : bad_number(name, MAX_THREADS, value);
    if (std::strcmp(name, "--size") == 0)
        return frame_size_parse(value, BENCH_SIZES, o.width, o.height)
                   ? -1
                   : bad_value(name, "WxH from 64x64 to 7680x4320", value);
    if (std::strcmp(name, "--view") == 0) {
        o.view_mode = true;
        return frame_view_parse(value, o.camera)
                   ? -1
                   : bad_value(name, "AZ,EL[,ZOOM] (degrees, and a zoom from 0.05 to 50)", value);
    }
    int k = 0;
    while (k < 3 && std::strcmp(value, stage_names[k]) != 0)
        ++k;
    if (k == 3) return usage();
    o.stage = (Stage)k;
    return -1;
}

bool takes_value(const char* arg) {
    for (const char* name : {"--frames", "--threads", "--stage", "--size", "--view"})
        if (std::strcmp(arg, name) == 0) return true;
    return false;
}

// -1 to go on, else the exit code.
int parse_args(int argc, char** argv, Options& options) {
    for (int i = 1; i < argc; ++i) {
        if (takes_value(argv[i]) && i + 1 < argc) {
            const int exit_code = take_option(argv[i], argv[i + 1], options);
            if (exit_code >= 0) return exit_code;
            ++i;
        } else if (argv[i][0] == '-') {
            return usage();
        } else {
            options.paths.push_back(argv[i]);
        }
    }
    return options.paths.empty() ? usage() : -1;
}

} // namespace

int main(int argc, char** argv) {
    Options options;
    const int answered = parse_args(argc, argv, options);
    if (answered >= 0) return answered;
    if (!render_init(options.width, options.height)) {
        std::fprintf(stderr, "velmor-bench: out of memory\n");
        return 1;
    }
    render_threads_set(options.stage == STAGE_GEOMETRY ? 1 : options.threads);
    std::vector<uint32_t> presented((size_t)options.width * (size_t)options.height);
    int status = 0;
    for (const std::string& path : options.paths)
        if (!bench_scene(path, options, presented)) status = 1;
    render_shutdown();
    return status;
}
