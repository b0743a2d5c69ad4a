// velmor-render's parts: its options and the drawing of one still picture,
// through view mode's camera, with supersampling.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "frame/frame.h"
#include "scene/scene.h"

struct StillOptions {
    ViewCamera view = frame_view_start(UpAxis::file_z); // --view and --up
    int32_t width = 512, height = 384;
    bool file_colours = true;
    bool cull = false;           // --cull: one-sided faces turned away are not drawn
    bool flat = false;           // --flat: flat faces in the headlight alone
    bool transparent = false;    // --background none
    bool background_set = false; // --background RRGGBB...
    uint32_t background = 0;     // ...this colour, 0x00RRGGBB; else view mode's gradient
    int32_t samples = 4;         // 1, 4 or 16 a pixel
    long long max_faces = 5000000;
    const char* scene_path = nullptr;
    const char* out_path = nullptr; // "-" is standard output
};

// Reads the command line into options: -1 to go on, else the exit code (0
// after --help or --version, 2 after a bad argument, with one line and the
// usage on stderr).
int still_parse_args(int argc, const char* const* argv, StillOptions& options);

// Faces of every object together.
int64_t still_face_count(const Scene& scene);

// The picture, options.width x options.height pixels 0xAARRGGBB: the scene,
// framed by frame_fit_scene, drawn in view mode's look (still_look) as its
// camera options.view sees it at options.samples samples a pixel and averaged
// (see still_resolve).
// Empty when the buffers could not be allocated.
std::vector<uint32_t> still_draw(Scene& scene, uint32_t* face_colours, const StillOptions& options);

// View mode's look as the options choose it.
ViewLook still_look(const StillOptions& options);

// Averages each factor x factor block of samples (0xAARRGGBB, alpha 0 or 255)
// into one pixel: alpha is the rounded mean of the alphas, colour the rounded
// mean of the samples with alpha (0 when there are none); a half rounds up.
std::vector<uint32_t> still_resolve(const std::vector<uint32_t>& samples, int32_t width,
                                    int32_t height, int32_t factor);

// The output file's system half: out_posix.cpp or out_win32.cpp, chosen at
// link time.
// A new, empty file in out_path's folder, open for binary writing, its name in
// temporary; null, with errno saying why, when none can be made.
FILE* still_temporary_open(const std::string& out_path, std::string& temporary);
// Renames temporary to out_path, replacing a file already there.
bool still_file_replace(const std::string& temporary, const std::string& out_path);
// Standard output made to pass the PNG's bytes unchanged.
void still_stdout_binary();
