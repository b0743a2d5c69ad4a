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
// Characters of the font that fit in a line of the picture after the margin,
// at the text's scale.
size_t notice_columns() {
    const AppState& s = app_state;
    if (!s.steered) return (size_t)((screen_width - TEXT_LEFT) / GLYPH_WIDTH);
    const int32_t scale = app_text_scale(s.picture_width, s.picture_height);
    const int32_t columns = (s.picture_width - TEXT_LEFT * scale) / (GLYPH_WIDTH * scale);
    return columns > 1 ? (size_t)columns : 1;
}

// Breaks text into lines of at most notice_columns() characters, at the last
// space that allows it, else in the middle of a word.
void wrap_notice(const char* text, char* out, size_t size) {
    const size_t columns = notice_columns();
    std::string wrapped;
    const char* rest = text;
    while (std::strlen(rest) > columns) {
        size_t cut = columns;
        while (cut > 0 && rest[cut] != ' ')
            --cut;
        size_t taken = cut > 0 ? cut : columns;
        wrapped.append(rest, taken);
        wrapped += '\n';
        rest += cut > 0 ? cut + 1 : columns;
    }
    wrapped += rest;
    std::snprintf(out, size, "%s", wrapped.c_str());
}

// A new model starts at the start view, turning. In a demo window, where the
// camera was not steered, the picture keeps the demo's size.
void steer_from_the_start() {
    AppState& s = app_state;
    UpAxis up = s.steered ? s.camera.up : UpAxis::file_z;
    if (!s.steered) {
        s.picture_width = s.client_width = screen_width;
        s.picture_height = s.client_height = screen_height;
    }
    s.steered = true;
    s.camera = frame_view_start(up);
    s.input = frame_view_input_start();
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
        std::fprintf(stderr, "velmor: %s\n", scene_error());
        wrap_notice(scene_error(), app_state.notice, sizeof app_state.notice);
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
    steer_from_the_start();
}
