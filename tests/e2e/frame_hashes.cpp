// frame_hashes SCENE.3ds...: draws 100 frames of each scene with the program's
// own per-frame work and prints one line per scene, its name and a hash of
// every ColourBuffer drawn. Built for Linux and for Windows, so that the two
// builds' pictures are compared bit for bit over many scenes and frames, not
// only on the frames a screenshot catches.
#include <cstdint>
#include <cstdio>
#include <vector>

#include "frame/frame.h"
#include "render/render.h"
#include "scene/scene.h"

int main(int argc, char** argv) {
    if (argc < 2 || !render_init(screen_width, screen_height)) return 2;
    std::vector<uint32_t> colours(size_t(screen_width) * screen_height);
    for (int i = 1; i < argc; ++i) {
        Scene* scene = scene_load(argv[i]);
        if (scene == nullptr) {
            std::printf("%s unreadable\n", argv[i]);
            continue;
        }
        frame_objects_reset(*scene);
        ViewState view{};
        frame_camera_build(view.camera);
        view.colour_buffer = colours.data();
        view.scene = scene;
        float angle = 0.0f;
        uint64_t hash = 0xCBF29CE484222325ull; // FNV-1a, a pixel at a time
        for (int frame = 0; frame < 100; ++frame) {
            frame_draw(view, angle);
            for (uint32_t pixel : colours)
                hash = (hash ^ pixel) * 0x100000001B3ull;
        }
        std::printf("%s %016llx\n", argv[i], (unsigned long long)hash);
        scene_free(scene);
    }
    render_shutdown();
    return 0;
}
