// Scenes that the person names: on the command line or dropped on the window.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "app/app.h"

ShellState shell_state;

namespace {

// Long enough to read a line or two: four seconds of frames.
constexpr int32_t NOTICE_FRAMES = 200;
// Characters of the font that fit in a line of the picture after the margin.
constexpr size_t NOTICE_COLUMNS = 45;

// Breaks text into lines of at most NOTICE_COLUMNS characters, at the last
// space that allows it, else in the middle of a word.
void wrap_notice(const char* text, char* out, size_t size) {
    std::string wrapped;
    const char* rest = text;
    while (std::strlen(rest) > NOTICE_COLUMNS) {
        size_t cut = NOTICE_COLUMNS;
        while (cut > 0 && rest[cut] != ' ')
            --cut;
        size_t taken = cut > 0 ? cut : NOTICE_COLUMNS;
        wrapped.append(rest, taken);
        wrapped += '\n';
        rest += cut > 0 ? cut + 1 : NOTICE_COLUMNS;
    }
    wrapped += rest;
    std::snprintf(out, size, "%s", wrapped.c_str());
}

} // namespace

Scene* app_scene_load(const char* path, bool view_mode) {
    Scene* scene = scene_load(path);
    if (!scene) return nullptr;
    if (scene->object_count == 0)
        std::fprintf(stderr, "velmor: %s: no mesh objects (is it a 3D Studio file?)\n", path);
    if (view_mode) frame_fit_scene(*scene);
    return scene;
}

uint32_t* app_face_colours_create(const Scene& scene) {
    if (!shell_state.file_colours) return nullptr;
    uint32_t* colours = frame_face_colours_create(scene);
    if (!colours)
        std::fprintf(stderr,
                     "velmor: out of memory for the file's colours; drawing index colours\n");
    return colours;
}

void app_scene_release() {
    scene_free(view_state.scene);
    view_state.scene = nullptr;
    std::free(view_state.face_colours);
    view_state.face_colours = nullptr;
}

void app_scene_open(const char* path) {
    Scene* opened = app_scene_load(path, true);
    if (!opened) {
        std::fprintf(stderr, "velmor: %s\n", scene_load_error());
        wrap_notice(scene_load_error(), shell_state.notice, sizeof shell_state.notice);
        shell_state.notice_frames = NOTICE_FRAMES;
        return;
    }
    frame_objects_reset(*opened);
    Scene* previous = view_state.scene;
    uint32_t* previous_colours = view_state.face_colours;
    view_state.scene = opened;
    view_state.face_colours = app_face_colours_create(*opened);
    view_state.look = &shell_state.look;
    scene_free(previous);
    std::free(previous_colours);
    frame_values.animation_angle = 0.0f;
    frame_values.frame_counter = 0;
    shell_state.turning = Turning::as_one_body;
    shell_state.notice_frames = 0;
}
