// Scenes that the person names: on the command line or dropped on the window.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "app/app_internal.h"
#include "text/text.h"

namespace {

// Long enough to read a line or two: four seconds of frames.
constexpr int32_t NOTICE_FRAMES = 200;
// Characters of the font that fit in a line of the picture after the margin.
constexpr size_t NOTICE_COLUMNS = (size_t)((screen_width - TEXT_LEFT) / GLYPH_WIDTH);

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
    if (!app_state.file_colours) return nullptr;
    uint32_t* colours = frame_face_colours_create(scene);
    if (!colours)
        std::fprintf(stderr,
                     "velmor: out of memory for the file's colours; drawing index colours\n");
    return colours;
}

void app_scene_release() {
    ViewState& view = app_state.view;
    scene_free(view.scene);
    view.scene = nullptr;
    std::free(view.face_colours);
    view.face_colours = nullptr;
}

void app_scene_open(const char* path) {
    Scene* opened = app_scene_load(path, true);
    if (!opened) {
        std::fprintf(stderr, "velmor: %s\n", scene_load_error());
        wrap_notice(scene_load_error(), app_state.notice, sizeof app_state.notice);
        app_state.notice_frames = NOTICE_FRAMES;
        return;
    }
    frame_objects_reset(*opened);
    ViewState& view = app_state.view;
    Scene* previous = view.scene;
    uint32_t* previous_colours = view.face_colours;
    view.scene = opened;
    view.face_colours = app_face_colours_create(*opened);
    view.look = &app_state.look;
    scene_free(previous);
    std::free(previous_colours);
    app_state.animation_angle = 0.0f;
    app_state.frame_counter = 0;
    app_state.turning = Turning::as_one_body;
    app_state.notice_frames = 0;
}
