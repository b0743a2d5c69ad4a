// OpenGL drawing of a Velmor scene for velmor-gl-bench: an EGL context without
// a display, an off-screen framebuffer of the picture's size, and a scene's
// faces in a buffer object, drawn with Velmor's cameras and turning.
#pragma once

#include <cstdint>

#include "frame/frame.h"

struct GlScene {
    Scene* scene;
    ViewState view;
    float animation_angle;
    bool view_mode;
    ViewCamera camera;
    ViewInput input;
    int32_t width, height;
    int64_t faces;
    float radius; // of the ball about the origin that holds every vertex
    uint32_t buffer, vertex_array;
};

// The context and a width x height framebuffer; false, saying why on stderr,
// when there is none.
bool gl_draw_init(int32_t width, int32_t height);
void gl_draw_shutdown();
// Uploads scene's faces once: the demo's turning objects and colours, or
// with view_mode view mode's framing, file colours and camera.
GlScene gl_scene_create(Scene& scene, bool view_mode, const ViewCamera& camera, int32_t width,
                        int32_t height);
// Moves the scene on as a Velmor frame does, draws it and waits for the pixels.
void gl_scene_frame(GlScene& gl);
void gl_scene_free(GlScene& gl);
// The framebuffer as 0x00RRGGBB pixels, the top row first.
void gl_draw_read(uint32_t* pixels, int32_t width, int32_t height);
