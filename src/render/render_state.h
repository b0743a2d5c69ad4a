// The renderer's one program-wide record and the build's vector instruction
// sets, shared by the renderer's sources, its tests and its benchmarks.
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
struct RenderBands;

// Everything a polygon needs while it is drawn lives in the drawing thread's
// own records; this holds only what every thread reads.
struct RenderState {
    int32_t width;
    int32_t height;
    float focal_length;
    float centre_x, centre_y; // where the eye's axis meets the screen
    float near_z;             // 0: no near plane
    Plane view_planes[5];     // right, left, top, bottom, near
    int32_t view_plane_count; // 5 with a near plane
    uint32_t* depth_buffer;
    const uint32_t* background; // a colour per row to clear to; null: black
    RenderPool* pool;           // the drawing threads; null for the caller alone
    RenderBands* bands;         // the parallel path's buffers; with the pool
};

extern RenderState render_state;

// rows of colour_buffer from first_row cleared to the background.
void render_rows_clear(uint32_t* colour_buffer, int32_t first_row, int32_t rows);
