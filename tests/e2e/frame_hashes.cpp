// frame_hashes [--frames N] SCENE.3ds...: draws N frames of each scene with the
// program's own per-frame work and prints one line per scene,
//   NAME objects=O hash=H
// H being an FNV-1a hash of every ColourBuffer drawn. Built for Linux and for
// Windows, so that the two builds' pictures are compared bit for bit over
// many scenes and frames, not only on the frames a screenshot catches.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "app/app.h"
#include "render/render.h"
#include "scene/scene.h"

namespace {

uint64_t fnv1a(uint64_t hash, const uint32_t* pixels, size_t count) {
    for (size_t i = 0; i < count; ++i) {
        for (int byte = 0; byte < 4; ++byte) {
            hash ^= (pixels[i] >> (8 * byte)) & 0xFF;
            hash *= 0x100000001B3ull;
        }
    }
    return hash;
}

const char* base_name(const char* path) {
    const char* name = path;
    for (const char* p = path; *p; ++p)
        if (*p == '/' || *p == '\\') name = p + 1;
    return name;
}

void hash_scene(const char* path, int frames, std::vector<uint32_t>& colours) {
    Scene* scene = scene_load(path);
    if (scene == nullptr) {
        std::printf("%s unreadable\n", base_name(path));
        return;
    }
    app_objects_reset(*scene);
    ViewState view;
    app_camera_build(view.camera);
    view.colour_buffer = colours.data();
    view.scene = scene;
    float angle = 0.0f;
    uint64_t hash = 0xCBF29CE484222325ull;
    for (int f = 0; f < frames; ++f) {
        app_frame_draw(view, angle);
        hash = fnv1a(hash, colours.data(), colours.size());
    }
    std::printf("%s objects=%d hash=%016llx\n", base_name(path), int(scene->object_count),
                (unsigned long long)hash);
    scene_free(scene);
}

} // namespace

int main(int argc, char** argv) {
    int frames = 100, first = 1;
    if (argc > 2 && std::strcmp(argv[1], "--frames") == 0) {
        frames = std::atoi(argv[2]);
        first = 3;
    }
    if (first >= argc || frames <= 0) {
        std::fprintf(stderr, "usage: frame_hashes [--frames N] SCENE.3ds...\n");
        return 2;
    }
    if (render_init(screen_width, screen_height) == 0) return 1;
    std::vector<uint32_t> colours(size_t(screen_width) * screen_height);
    for (int i = first; i < argc; ++i)
        hash_scene(argv[i], frames, colours);
    render_shutdown();
    return 0;
}
