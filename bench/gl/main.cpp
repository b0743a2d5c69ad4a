// velmor-gl-bench [--frames N] [--size WxH] [--view AZ,EL[,ZOOM]] [--png OUT.png] SCENE.3ds...
//
// The reference that velmor-bench is measured against: the same scenes, cameras
// and turning drawn by OpenGL into an off-screen framebuffer through EGL without
// a display (Mesa's llvmpipe when run with LIBGL_ALWAYS_SOFTWARE=1
// GALLIUM_DRIVER=llvmpipe; LP_NUM_THREADS chooses its threads). Flat faces
// shaded by the headlight as Velmor shades them, depth test, back faces culled,
// both buffers cleared and glFinish every frame; the geometry sits in buffer
// objects uploaded once, as a viewer keeps it. Prints for each scene
//   scene=NAME faces=F threads=LP size=WxH median_ms=X min_ms=Y
// --png writes the first timed frame, to compare its outline with Velmor's.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "gl_draw.h"
#include "imagefile/png_file.h"

namespace {

constexpr int WARM_UP_FRAMES = 5;

struct Options {
    int frames = 200;
    int32_t width = screen_width, height = screen_height;
    bool view_mode = false;
    ViewCamera camera = frame_view_start(UpAxis::file_z);
    std::string png;
    std::vector<std::string> paths;
};

std::string scene_name(const std::string& path) {
    const size_t slash = path.find_last_of("/\\");
    std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    const size_t dot = name.rfind('.');
    return dot == std::string::npos ? name : name.substr(0, dot);
}

void print_times(const std::string& path, int64_t faces, const Options& o,
                 std::vector<double>& times) {
    std::sort(times.begin(), times.end());
    const size_t n = times.size();
    const double median = n % 2 ? times[n / 2] : (times[n / 2 - 1] + times[n / 2]) / 2.0;
    const char* lp = std::getenv("LP_NUM_THREADS");
    std::printf("scene=%s faces=%lld threads=%s size=%dx%d", scene_name(path).c_str(),
                (long long)faces, lp ? lp : "default", (int)o.width, (int)o.height);
    if (o.view_mode)
        std::printf(" view=%g,%g,%g", o.camera.azimuth, o.camera.elevation, o.camera.zoom);
    std::printf(" median_ms=%.3f min_ms=%.3f\n", median, times.front());
    std::fflush(stdout);
}

bool write_png(const std::string& path, int32_t width, int32_t height) {
    std::vector<uint32_t> pixels((size_t)width * (size_t)height);
    gl_draw_read(pixels.data(), width, height);
    return png_write_rgb(path, pixels.data(), width, height);
}

bool bench_scene(const std::string& path, const Options& o) {
    Scene* scene = scene_load(path.c_str());
    if (scene == nullptr) {
        std::fprintf(stderr, "velmor-gl-bench: %s\n", scene_error());
        return false;
    }
    GlScene gl = gl_scene_create(*scene, o.view_mode, o.camera, o.width, o.height);
    for (int f = 0; f < WARM_UP_FRAMES; ++f)
        gl_scene_frame(gl);
    std::vector<double> times;
    for (int f = 0; f < o.frames; ++f) {
        const auto start = std::chrono::steady_clock::now();
        gl_scene_frame(gl);
        times.push_back(
            std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
                .count());
        if (f == 0 && !o.png.empty() && !write_png(o.png, o.width, o.height))
            std::fprintf(stderr, "velmor-gl-bench: cannot write %s\n", o.png.c_str());
    }
    print_times(path, gl.faces, o, times);
    gl_scene_free(gl);
    scene_free(scene);
    return true;
}

int usage() {
    std::fprintf(stderr, "usage: velmor-gl-bench [--frames N] [--size WxH] [--view AZ,EL[,ZOOM]] "
                         "[--png OUT.png] SCENE.3ds...\n");
    return 2;
}

constexpr SizeRange GL_SIZES = {64, 7680, 4320, false};

// True when argv[i] (with its value at argv[i + 1]) was a good option.
bool take_option(const char* name, const char* value, Options& o) {
    if (std::strcmp(name, "--frames") == 0) return (o.frames = std::atoi(value)) > 0;
    if (std::strcmp(name, "--size") == 0)
        return frame_size_parse(value, GL_SIZES, o.width, o.height);
    if (std::strcmp(name, "--png") == 0) return !(o.png = value).empty();
    if (std::strcmp(name, "--view") == 0)
        return (o.view_mode = true) && frame_view_parse(value, o.camera);
    return false;
}

bool parse_args(int argc, char** argv, Options& o) {
    for (int i = 1; i < argc; ++i) {
        if (argv[i][0] != '-') {
            o.paths.push_back(argv[i]);
        } else if (i + 1 >= argc || !take_option(argv[i], argv[i + 1], o)) {
            return false;
        } else {
            ++i;
        }
    }
    return !o.paths.empty();
}

} // namespace

int main(int argc, char** argv) {
    Options o;
    if (!parse_args(argc, argv, o)) return usage();
    if (!gl_draw_init(o.width, o.height)) return 1; // says why
    int status = 0;
    for (const std::string& path : o.paths)
        if (!bench_scene(path, o)) status = 1;
    gl_draw_shutdown();
    return status;
}
