// frame_hashes SCENE.3ds...: draws 100 frames of each scene with the program's
// own per-frame work, as demo mode, as view mode (framed, turning as one
// body) drawn flat and culled as the demo draws, and as view mode draws by
// default (both sides, smooth, on its background), and prints one line per
// scene and mode, its name and a hash of every
// colour buffer drawn. Built for Linux and for Windows, so that the two builds'
// pictures are compared bit for bit over many scenes and frames, not only on
// the frames a screenshot catches.
#include <cstdint>
#include <cstdio>
#include <vector>

#include "frame/frame.h"
#include "render/render.h"
#include "scene/scene.h"
#include "support/frame_hash.h"

namespace {

enum Mode { MODE_DEMO, MODE_VIEW, MODE_SMOOTH };
const char* const mode_names[] = {"demo", "view", "smooth"};

void print_hash(const char* path, Mode mode, std::vector<uint32_t>& colours) {
    const bool view_mode = mode != MODE_DEMO;
    const ViewLook look{false, view_ambient, true, view_background_top, view_background_bottom};
    Scene* scene = scene_load(path);
    if (scene == nullptr) {
        std::printf("%s unreadable\n", path);
        return;
    }
    if (view_mode) frame_fit_scene(*scene);
    frame_objects_reset(*scene);
    ViewState view{};
    frame_camera_build(view.camera);
    view.scene = scene;
    if (mode == MODE_SMOOTH) view.look = &look;
    float angle = 0.0f;
    uint64_t hash = FRAME_HASH_START;
    for (int frame = 0; frame < 100; ++frame) {
        frame_draw(view, angle, view_mode ? Turning::as_one_body : Turning::by_index,
                   colours.data());
        hash = frame_hash_bytes(colours.data(), screen_bytes, hash);
    }
    std::printf("%s %s %016llx\n", path, mode_names[mode], (unsigned long long)hash);
    scene_free(scene);
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 2 || !render_init(screen_width, screen_height)) return 2;
    std::vector<uint32_t> colours(size_t(screen_width) * screen_height);
    for (int i = 1; i < argc; ++i)
        for (Mode mode : {MODE_DEMO, MODE_VIEW, MODE_SMOOTH})
            print_hash(argv[i], mode, colours);
    render_shutdown();
    return 0;
}
