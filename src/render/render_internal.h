// The renderer's own state, the stages of raster_polygon and the triangle path
// beside it, and the parallel drawing of many objects, shared by the
// renderer's sources, its tests and its benchmarks. Nothing else uses them.
#pragma once

#include <cstdint>

#include "render/render.h"

#if defined(__SSE2__) || defined(_M_X64)
#include <emmintrin.h>
#define VELMOR_SSE2 1
#else
#define VELMOR_SSE2 0
#endif

// AVX2 where the compiler can build single functions for it and the build
// keeps the stack aligned for its registers (not mingw-w64), chosen at run
// time by the processor.
#if VELMOR_SSE2 && defined(__GNUC__) && defined(__x86_64__) && !defined(_WIN32)
#include <immintrin.h>
#define VELMOR_AVX2 1
#else
#define VELMOR_AVX2 0
#endif

// For the few hot functions that the compiler would rather call.
#if defined(__GNUC__)
#define VELMOR_ALWAYS_INLINE __attribute__((always_inline)) inline
#else
#define VELMOR_ALWAYS_INLINE inline
#endif

struct RenderPool;
struct RenderBatch;

// The one program-wide record of the renderer. Everything a polygon needs
// while it is drawn lives in the drawing thread's own records below.
struct RenderState {
    int32_t width;
    int32_t height;
    float focal_length;
    Plane view_planes[4]; // right, left, top, bottom
    uint32_t* depth_buffer;
    RenderPool* pool;   // the drawing threads; null for the caller alone
    RenderBatch* batch; // the parallel path's buffers; with the pool
};

extern RenderState render_state;

// One polygon edge prepared for stepping row by row.
struct ScanEdge {
    int32_t x;    // x at the edge's first row, 16.16 fixed point
    int32_t y;    // first pixel row
    int32_t rows; // rows covered; counted down while drawing
    int32_t dx;   // change of x per row, 16.16 fixed point
};

// A polygon's edge chains: left top to bottom, right bottom to top.
struct EdgeChains {
    ScanEdge left_edges[7];
    int32_t left_count;
    ScanEdge right_edges[7];
    int32_t right_count;
};

// A polygon's 1/z plane in screen coordinates.
struct DepthPlane {
    float w_dx;
    float w_dy;
    float w_origin;
};

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
    int32_t ambient = 0; // FaceLook::ambient, 0 without a look
};
uint32_t face_colour(const FaceShade& shade);

// --- Polygons -----------------------------------------------------------------

bool scan_edges_build(const ClipPolygon& polygon, EdgeChains& chains);
bool scan_edge_setup(const SceneVertex& upper, const SceneVertex& lower, ScanEdge& edge);
bool depth_plane_setup(const ClipPolygon& polygon, DepthPlane& plane);
// depth_plane_setup from the first three vertices' screen x, y and camera z.
bool depth_plane_from(const float x[3], const float y[3], const float z[3], DepthPlane& plane);

// A projected polygon ready for its rows, as raster_polygon scans it.
struct PolygonScan {
    EdgeChains chains;
    int32_t top_row; // the first row
    int32_t end_row; // one past the last row
    float w_row;     // 1/z at x = 0 on the first row
    float w_dx, w_dy;
    uint32_t colour;
};
// False when raster_polygon would draw nothing of it.
bool polygon_scan_setup(const ClipPolygon& polygon, uint32_t colour, PolygonScan& scan);
// Its pixels on the rows from first_row (not above its top row) up to, not
// including, end_row; w_row is the 1/z at x = 0 on first_row, which is the
// scan's own on its top row and w_dy added once a row below it.
void polygon_scan_draw(const PolygonScan& scan, uint32_t* colour_buffer, int32_t first_row,
                       int32_t end_row, float w_row);
// Whether every vertex lies on the screen, which keeps the spans inside the
// buffers.
bool vertices_on_screen(const float x[], const float y[], int count);

// The pixels from depth_pos and pixel up to pixel_end, at depth, depth +
// step and so on, where they are nearer than what the depth buffer holds.
inline void span_run_fill(uint32_t depth, int32_t step, uint32_t* pixel, uint32_t* pixel_end,
                          uint32_t* depth_pos, uint32_t colour) {
    for (; pixel != pixel_end; ++pixel, ++depth_pos) {
        if (depth < *depth_pos) {
            *pixel = colour;
            *depth_pos = depth;
        }
        depth += (uint32_t)step;
    }
}

// The last n pixels of a span, fewer than 16, or all of a short one: from d0,
// the exact depth at 1/z = w, stepped towards the exact depth after them.
inline int32_t span_tail_step(int32_t n, uint32_t d0, float w, float w_dx) {
    if (n < 2) return 0; // a single pixel never uses it
    return (int32_t)(depth_from_w(w + (float)n * w_dx) - d0) / n;
}

inline void span_tail_fill(int32_t n, uint32_t d0, float w, float w_dx, uint32_t* depth,
                           uint32_t* pixel, uint32_t colour) {
    span_run_fill(d0, span_tail_step(n, d0, w, w_dx), pixel, pixel + n, depth, colour);
}

// A span of 16 pixels or more; the code for its 16-pixel runs is picked by
// what the processor has.
void span_fill_long(int32_t n, float w, float w_dx, uint32_t* depth, uint32_t* pixel,
                    uint32_t colour);

// Most spans of small faces have fewer than 16 pixels, which are drawn here
// without a call: it would cost about as much as their pixels.
inline void span_fill(int32_t n, float w, float w_dx, uint32_t* depth, uint32_t* pixel,
                      uint32_t colour) {
    if (n < 16) {
        span_tail_fill(n, depth_from_w(w), w, w_dx, depth, pixel, colour);
        return;
    }
    span_fill_long(n, w, w_dx, depth, pixel, colour);
}

// span_fill with the given code for its 16-pixel runs, which span_fill picks
// by what the processor has; every one draws the same bits.
enum SpanRuns { SPAN_RUNS_PLAIN, SPAN_RUNS_SSE2, SPAN_RUNS_AVX2 };
bool span_runs_available(SpanRuns runs);
void span_fill_with(SpanRuns runs, int32_t n, float w, float w_dx, uint32_t* depth, uint32_t* pixel,
                    uint32_t colour);

// --- Triangles ----------------------------------------------------------------

// An unclipped triangle ready for its rows: the edges, the 1/z and the colour
// as they stand on its first row with a pixel.
struct TriangleScan {
    int32_t row;      // the first row with a pixel
    int32_t end_row;  // one past the last row
    int32_t turn_row; // where the short chain goes on with its lower edge
    int32_t x_long, dx_long, x_short, dx_short, x_lower, dx_lower; // 16.16
    float w_row; // 1/z at x = 0 on the current row
    float w_dx, w_dy;
    uint32_t colour;
    bool long_is_left; // the long edge, top to bottom corner, bounds the left
};

// The triangle with screen x, y and camera z of its corners in order, all on
// the screen. False when it has no pixel to draw or is degenerate; the depth
// plane and the colour are only set up when a row has a pixel.
bool triangle_scan_setup(const float x[3], const float y[3], const float z[3],
                         const FaceShade& shade, TriangleScan& scan);
// Its pixels on the rows from first_row (not above scan.row) up to, not
// including, end_row; w_row is the 1/z at x = 0 on first_row, as for polygons.
void triangle_scan_draw(const TriangleScan& scan, uint32_t* colour_buffer, int32_t first_row,
                        int32_t end_row, float w_row);

// raster_polygon for a triangle, with the same pixels. Both are true when the
// triangle had a pixel to draw.
bool raster_triangle(const float x[3], const float y[3], const float z[3], uint32_t* colour_buffer,
                     const FaceShade& shade);
// The same for a caller that has made sure that every corner is on the screen.
bool triangle_fill(const float x[3], const float y[3], const float z[3], uint32_t* colour_buffer,
                   const FaceShade& shade);

// --- Faces ----------------------------------------------------------------------

// An object's fixed values for its faces: the model view and the eye in the
// object's own coordinates, and for the SSE2 path each value in all lanes.
struct ObjectSetup {
    Matrix model_view;
    float eye_x, eye_y, eye_z;
#if VELMOR_SSE2
    __m128 m0, m1, m2, m4, m5, m6, m8, m9, m10, m12, m13, m14;
    // The view planes are right (a, 0, c, 0), left (-a, 0, c, 0), top
    // (0, b, e, 0) and bottom (0, -b, e, 0); these hold a, c, b and e.
    __m128 side_a, side_c, updown_b, updown_c;
    __m128 focal, half_width, half_height, near_limit, max_x, max_y;
    bool planes_symmetric;
#endif
};

void object_setup(const Matrix& object_matrix, const Matrix& camera_matrix, ObjectSetup& setup);

// Culling: s > 0.1 compared as doubles, the eye lies in front of the face. For
// a float s that is s >= 0.1f, as 0.1f is the first float above the double
// 0.1; NaN does not skip.
inline bool face_turned_away(const Plane& p, const ObjectSetup& setup) {
    const float side = p.a * setup.eye_x + p.b * setup.eye_y + p.c * setup.eye_z + p.d;
    return side >= 0.1f;
}

// The face as it is to be drawn, or null when it is culled: with a look whose
// rules show its back, a copy in turned with its corners in the other order,
// so that they run counter-clockwise on the screen. Without a look, the face
// itself unless it turns away.
inline const SceneFace* face_to_draw(const SceneFace& face, const ObjectSetup& setup,
                                     const SceneObject& object, const FaceLook* look,
                                     SceneFace& turned) {
    const bool away = face_turned_away(face.plane, setup);
    if (look == nullptr) return away ? nullptr : &face;
    bool one_sided = object.closed, back_is_front = object.planes_outward;
    if (look->cull) {
        const int32_t m = face.listed_material;
        one_sided = m < 0 || m >= look->material_count || !look->materials[m].two_sided;
        back_is_front = object.mirrored;
    }
    if (one_sided && away != back_is_front) return nullptr;
    if (!away) return &face;
    turned = face;
    turned.corners[1] = face.corners[2];
    turned.corners[2] = face.corners[1];
    return &turned;
}

// What one face comes to once culled, transformed, clipped and projected.
enum FaceKind { FACE_NONE, FACE_TRIANGLE, FACE_POLYGON };
struct FaceOutcome {
    float x[4], y[4], z[4]; // FACE_TRIANGLE: screen x, y and camera z of the corners
    ClipPolygon polygon;    // FACE_POLYGON: projected
};
// For a face that is not turned away.
FaceKind face_prepare(const SceneFace& face, const ObjectSetup& setup, FaceOutcome& out);

// --- Threads --------------------------------------------------------------------

// Runs task(context, i) for every i below count, spread over the pool's
// threads and the caller's; returns when every task has run. Without a pool
// the caller runs them in order.
using PoolTask = void (*)(void* context, int32_t index);
void pool_run(RenderPool* pool, PoolTask task, void* context, int32_t count);
// A pool of count - 1 threads beside the caller's, or null when count < 2 or
// the build has no threads.
RenderPool* pool_create(int32_t count);
void pool_destroy(RenderPool* pool);
int32_t pool_threads(const RenderPool* pool);
// One thread per core, or 1 without threads.
int32_t pool_default_threads();

// The parallel path of render_objects, whatever the number of threads: the
// faces of many objects prepared in chunks at once, then the screen drawn in
// bands of rows, each band with its polygons in their original order.
RenderBatch* batch_create(int32_t height);
void batch_destroy(RenderBatch* batch);
// With clear_first, both buffers are cleared band by band first, as
// render_clear does.
void batch_draw(RenderBatch* batch, RenderPool* pool, const Matrix& camera,
                const RenderItem items[], int32_t count, uint32_t* colour_buffer, bool clear_first);
