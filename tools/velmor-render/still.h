// velmor-render's parts: its options, the camera of a still, and the drawing
// of one still picture with supersampling.
#pragma once

#include <cstdint>
#include <vector>

#include "math/maths.h"
#include "scene/scene.h"

enum class StillUp { z, y };

struct StillOptions {
    double azimuth = 45.0, elevation = 20.0, zoom = 1.0; // degrees, degrees, factor
    StillUp up = StillUp::z;
    int32_t width = 512, height = 384;
    bool file_colours = true;
    bool transparent = false;
    uint32_t background = 0x000000; // 0x00RRGGBB, unless transparent
    int32_t samples = 4;            // 1, 4 or 16 a pixel
    long long max_faces = 5000000;
    const char* scene_path = nullptr;
    const char* out_path = nullptr; // "-" is standard output
};

// Reads the command line into options: -1 to go on, else the exit code (0
// after --help or --version, 2 after a bad argument, with one line and the
// usage on stderr).
int still_parse_args(int argc, const char* const* argv, StillOptions& options);

// The camera, in one place: places the scene as view mode frames it, and gives
// the camera matrix of a view from azimuth and elevation (degrees) at the
// origin for a width x height picture drawn after render_init(width, height).
void still_fit(Scene& scene);
Matrix still_camera(double azimuth, double elevation, double zoom, StillUp up, int32_t width,
                    int32_t height);

// Faces of every object together.
int64_t still_face_count(const Scene& scene);

// The picture, options.width x options.height pixels 0xAARRGGBB: the scene
// drawn at options.samples samples a pixel and averaged (see still_resolve).
// Empty when the buffers could not be allocated.
std::vector<uint32_t> still_draw(Scene& scene, const uint32_t* face_colours,
                                 const StillOptions& options);

// Averages each factor x factor block of samples (0xAARRGGBB, alpha 0 or 255)
// into one pixel: alpha is the rounded mean of the alphas, colour the rounded
// mean of the samples with alpha (0 when there are none); a half rounds up.
std::vector<uint32_t> still_resolve(const std::vector<uint32_t>& samples, int32_t width,
                                    int32_t height, int32_t factor);
