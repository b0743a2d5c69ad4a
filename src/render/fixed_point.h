// The 16.16 fixed-point steps that the triangle path, the polygon path and
// face preparation must take alike, to the bit: a change made here shows at
// once in the golden frames.
#pragma once

#include <cstdint>

// ceil of a row coordinate within the int32_t range: truncation rounds
// towards zero, which is already the ceiling below zero.
inline int32_t fixed_row_ceil(float y) {
    const int32_t t = (int32_t)y;
    return t + ((float)t < y);
}

// x moved by k rows: k times dx added, wrapping as 32-bit additions do.
inline int32_t fixed_x_after(int32_t x, int32_t dx, int32_t k) {
    return (int32_t)((uint32_t)x + (uint32_t)k * (uint32_t)dx);
}

// An edge's 16.16 x on its first row and its change per row.
struct FixedEdge {
    int32_t x, dx;
};

// The edge from (ax, ay) down to (bx, by), which covers at least one row,
// starting on row y0 = fixed_row_ceil(ay).
inline FixedEdge fixed_edge_start(float ax, float ay, float bx, float by, int32_t y0) {
    const float slope = 65536.0f * (bx - ax) / (by - ay);
    FixedEdge e;
    if (slope >= -2147483648.0f && slope < 2147483648.0f) {
        e.dx = (int32_t)slope;
        e.x = (int32_t)(65536.0f * ax + ((float)y0 - ay) * (float)e.dx);
    } else {
        // Nearly horizontal: the edge covers one row, so its x is computed
        // directly where it crosses that row.
        e.dx = 0;
        e.x = (int32_t)(65536.0 *
                        ((double)ax + ((double)bx - (double)ax) * ((double)y0 - (double)ay) /
                                          ((double)by - (double)ay)));
    }
    return e;
}
