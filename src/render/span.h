// Filling one span of a row: 1/z turned into a 16.16 depth, exact every 16
// pixels and stepped linearly in between, one unsigned compare per pixel.
#pragma once

#include <cstdint>

#include "render/render_state.h"

// The 16.16 depth of a point with 1/z = w, truncated; values that do not fit
// an unsigned 32-bit integer (including NaN) become 0xFFFFFFFE.
inline uint32_t depth_from_w(float w) {
    const float depth = 65536.0f / w;
    if (depth > -1.0f && depth < 4294967296.0f) return (uint32_t)depth;
    return 0xFFFFFFFEu;
}

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

// Gouraud shading: a brightness in 16.16 fixed point at the span's first
// pixel, stepped by b_dx a pixel (wrapping, as 32-bit additions do); a pixel
// is the base colour times its brightness's whole part clamped to 0..255,
// channel by channel as a flat face's colour is shaded.
struct SpanShade {
    uint32_t colour;
    uint32_t b;
    uint32_t b_dx;
};

inline uint32_t span_shade_pixel(uint32_t colour, uint32_t b) {
    int32_t e = (int32_t)b >> 16;
    e = e < 0 ? 0 : e > 255 ? 255 : e;
    const uint32_t r = (((colour >> 16) & 0xFF) * (uint32_t)e) >> 8;
    const uint32_t g = (((colour >> 8) & 0xFF) * (uint32_t)e) >> 8;
    const uint32_t bl = ((colour & 0xFF) * (uint32_t)e) >> 8;
    return (r << 16) | (g << 8) | bl;
}

// span_run_fill with each pixel shaded, its brightness b + k * b_dx.
inline void span_run_fill_smooth(uint32_t depth, int32_t step, uint32_t* pixel, uint32_t* pixel_end,
                                 uint32_t* depth_pos, uint32_t colour, uint32_t b, uint32_t b_dx) {
    for (; pixel != pixel_end; ++pixel, ++depth_pos) {
        if (depth < *depth_pos) {
            *pixel = span_shade_pixel(colour, b);
            *depth_pos = depth;
        }
        depth += (uint32_t)step;
        b += b_dx;
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

// span_fill with every pixel shaded as SpanShade says; the same depths.
void span_fill_smooth(int32_t n, float w, float w_dx, uint32_t* depth, uint32_t* pixel,
                      const SpanShade& shade);

// span_fill with the given code for its 16-pixel runs, which span_fill picks
// by what the processor has; every one draws the same bits.
enum SpanRuns { SPAN_RUNS_PLAIN, SPAN_RUNS_SSE2, SPAN_RUNS_AVX2 };
bool span_runs_available(SpanRuns runs);
void span_fill_with(SpanRuns runs, int32_t n, float w, float w_dx, uint32_t* depth, uint32_t* pixel,
                    uint32_t colour);
void span_fill_smooth_with(SpanRuns runs, int32_t n, float w, float w_dx, uint32_t* depth,
                           uint32_t* pixel, const SpanShade& shade);
