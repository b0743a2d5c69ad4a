// The renderer's own state, the stages of raster_polygon and the triangle path
// beside it, shared by the renderer's sources, its tests and its benchmarks.
// Nothing else uses them.
#pragma once

#include <cstdint>

#include "render/render.h"

#if defined(__SSE2__) || defined(_M_X64)
#include <emmintrin.h>
#define VELMOR_SSE2 1
#else
#define VELMOR_SSE2 0
#endif

// One polygon edge prepared for stepping row by row.
struct ScanEdge {
    int32_t x;    // x at the edge's first row, 16.16 fixed point
    int32_t y;    // first pixel row
    int32_t rows; // rows covered; counted down while drawing
    int32_t dx;   // change of x per row, 16.16 fixed point
};

// The one program-wide record of the renderer.
struct RenderState {
    int32_t width;
    int32_t height;
    float focal_length;
    Plane view_planes[4]; // right, left, top, bottom
    uint32_t* depth_buffer;
    // The current polygon's 1/z plane in screen coordinates.
    float w_dx;
    float w_dy;
    float w_origin;
    // The current polygon's edge chains: left top to bottom, right bottom to top.
    ScanEdge left_edges[7];
    int32_t left_count;
    ScanEdge right_edges[7];
    int32_t right_count;
    ScanEdge* left_cur;
    ScanEdge* right_cur;
};

extern RenderState render_state;

// The 16.16 depth of a point with 1/z = w, truncated; values that do not fit
// an unsigned 32-bit integer (including NaN) become 0xFFFFFFFE.
inline uint32_t depth_from_w(float w) {
    const float depth = 65536.0f / w;
    if (depth > -1.0f && depth < 4294967296.0f) return (uint32_t)depth;
    return 0xFFFFFFFEu;
}

// What a face's pixels are painted with: its base colour shaded by the
// headlight. Worked out only once the face turns out to cover a pixel.
struct FaceShade {
    const Plane* plane;
    const Matrix* model_view;
    uint32_t base_colour;
};
uint32_t face_colour(const FaceShade& shade);

// raster_polygon for a triangle (screen x, y and camera z of its corners in
// order), with the same pixels; the depth plane and the colour are only set
// up when a row has a pixel to fill.
bool raster_triangle(const float x[3], const float y[3], const float z[3], uint32_t* colour_buffer,
                     const FaceShade& shade);
// The same for a caller that has made sure that every corner is on the screen.
bool triangle_fill(const float x[3], const float y[3], const float z[3], uint32_t* colour_buffer,
                   const FaceShade& shade);
// Whether every vertex lies on the screen, which keeps the spans inside the
// buffers.
bool vertices_on_screen(const float x[], const float y[], int count);

bool scan_edges_build(const ClipPolygon& polygon);
bool scan_edge_setup(const SceneVertex& upper, const SceneVertex& lower, ScanEdge& edge);
bool depth_plane_setup(const ClipPolygon& polygon);
// depth_plane_setup from the first three vertices' screen x, y and camera z.
bool depth_plane_from(const float x[3], const float y[3], const float z[3]);
void span_fill(int32_t n, float w, uint32_t* depth, uint32_t* pixel, uint32_t colour);
void span_run_fill(uint32_t depth, int32_t step, uint32_t* pixel, uint32_t* pixel_end,
                   uint32_t* depth_pos, uint32_t colour);
