// Filling one span: depth exact at the first pixel of every 16-pixel run and
// stepped linearly within it, one unsigned compare per pixel.
#include "render/render_internal.h"

void span_run_fill(uint32_t depth, int32_t step, uint32_t* pixel, uint32_t* pixel_end,
                   uint32_t* depth_pos, uint32_t colour) {
    for (; pixel != pixel_end; ++pixel, ++depth_pos) {
        if (depth < *depth_pos) {
            *pixel = colour;
            *depth_pos = depth;
        }
        depth += (uint32_t)step;
    }
}

void span_fill(int32_t n, float w, uint32_t* depth, uint32_t* pixel, uint32_t colour) {
    const float w_dx = render_state.w_dx;
    uint32_t d0 = depth_from_w(w);
    while (n >= 16) {
        w = w + 16.0f * w_dx;
        const uint32_t d1 = depth_from_w(w);
        const int32_t step = (int32_t)(d1 - d0) / 16;
        span_run_fill(d0, step, pixel, pixel + 16, depth, colour);
        pixel += 16;
        depth += 16;
        n -= 16;
        d0 = d1;
    }
    if (n > 0) {
        // A single pixel never uses the step.
        int32_t step = 0;
        if (n > 1) step = (int32_t)(depth_from_w(w + (float)n * w_dx) - d0) / n;
        span_run_fill(d0, step, pixel, pixel + n, depth, colour);
    }
}
