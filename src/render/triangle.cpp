// The rasterizer's path for an unclipped triangle, which is what almost every
// face is. It draws exactly what raster_polygon draws for the same triangle;
// it only skips the work whose result would not be used: the edge chains are
// fixed by the top and bottom corner, and the depth plane and the colour wait
// for the first row that has a pixel, which most small faces never reach.
#include <cstddef>

#include "render/render_internal.h"

namespace {

// ceil of a row coordinate that lies on the screen.
inline int32_t row_ceil(float y) {
    const int32_t t = (int32_t)y;
    return t + ((float)t < y);
}

struct EdgeWalk {
    int32_t x, dx;
};

// scan_edge_setup for an edge that covers at least one row.
inline EdgeWalk edge_start(float ax, float ay, float bx, float by, int32_t y0) {
    const float slope = 65536.0f * (bx - ax) / (by - ay);
    EdgeWalk e;
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

} // namespace

bool raster_triangle(const float x[3], const float y[3], const float z[3], uint32_t* colour_buffer,
                     const FaceShade& shade) {
    if (render_state.depth_buffer == nullptr || !vertices_on_screen(x, y, 3)) return false;
    return triangle_fill(x, y, z, colour_buffer, shade);
}

namespace {

// The current row's 1/z at x = 0, and the colour of the triangle's pixels.
struct RowDepth {
    float w_row;
    uint32_t colour;
};

// Called when the first pixel comes: the depth plane, and w accumulated row by
// row from the polygon's first row as raster_polygon does it. False for a
// degenerate triangle, which draws nothing.
inline bool first_pixel_setup(const float x[3], const float y[3], const float z[3],
                              int32_t first_row, int32_t rows_before, const FaceShade& shade,
                              RowDepth& r) {
    RenderState& s = render_state;
    if (!depth_plane_from(x, y, z)) return false;
    r.w_row = s.w_origin + (float)first_row * s.w_dy;
    for (int32_t j = 0; j < rows_before; ++j)
        r.w_row = r.w_row + s.w_dy;
    r.colour = face_colour(shade);
    return true;
}

} // namespace

bool triangle_fill(const float x[3], const float y[3], const float z[3], uint32_t* colour_buffer,
                   const FaceShade& shade) {
    RenderState& s = render_state;
    // Top and bottom as scan_edges_build picks them: ties go to the lower index.
    int top = y[1] < y[0] ? 1 : 0;
    top = y[2] < y[top] ? 2 : top;
    int bottom = y[1] > y[0] ? 1 : 0;
    bottom = y[2] > y[bottom] ? 2 : bottom;
    const int32_t first_row = row_ceil(y[top]);
    const int32_t end_row = row_ceil(y[bottom]);
    if (first_row >= end_row) return false;
    const int mid = 3 - top - bottom;
    const int32_t mid_row = row_ceil(y[mid]);

    // The long edge runs from top to bottom; the other chain turns at mid,
    // and starts with its lower edge when the upper one covers no row. The
    // left chain is the one that follows the vertex order from the top.
    const bool long_is_left = (top == 2 ? 0 : top + 1) == bottom;
    const int32_t upper_rows = mid_row - first_row;
    const int short_a = upper_rows > 0 ? top : mid, short_b = upper_rows > 0 ? mid : bottom;
    const EdgeWalk long_edge = edge_start(x[top], y[top], x[bottom], y[bottom], first_row);
    const EdgeWalk short_edge =
        edge_start(x[short_a], y[short_a], x[short_b], y[short_b], first_row);
    int32_t x_long = long_edge.x, x_short = short_edge.x, dx_short = short_edge.dx;
    const int32_t rows = end_row - first_row;
    const ptrdiff_t row_offset = (ptrdiff_t)first_row * s.width;
    RowDepth depth;

    if (rows == 1) { // most small faces
        const int32_t xl = long_is_left ? x_long : x_short;
        const int32_t xr = long_is_left ? x_short : x_long;
        const int32_t n = (xr >> 16) - (xl >> 16);
        if (n <= 0) return true;
        if (!first_pixel_setup(x, y, z, first_row, 0, shade, depth)) return false;
        const int32_t first = (xl >> 16) + 1;
        span_fill(n, depth.w_row + (float)first * s.w_dx, s.depth_buffer + row_offset + first,
                  colour_buffer + row_offset + first, depth.colour);
        return true;
    }

    EdgeWalk lower = {0, 0};
    if (upper_rows > 0 && end_row > mid_row)
        lower = edge_start(x[mid], y[mid], x[bottom], y[bottom], mid_row);
    uint32_t* colour_row = colour_buffer + row_offset;
    uint32_t* depth_row = s.depth_buffer + row_offset;
    bool plane_ready = false;
    for (int32_t k = 0;;) {
        const int32_t xl = long_is_left ? x_long : x_short;
        const int32_t xr = long_is_left ? x_short : x_long;
        const int32_t n = (xr >> 16) - (xl >> 16);
        if (n > 0) {
            if (!plane_ready) {
                if (!first_pixel_setup(x, y, z, first_row, k, shade, depth)) return false;
                plane_ready = true;
            }
            const int32_t first = (xl >> 16) + 1;
            span_fill(n, depth.w_row + (float)first * s.w_dx, depth_row + first, colour_row + first,
                      depth.colour);
        }
        if (++k == rows) return true;
        if (plane_ready) depth.w_row = depth.w_row + s.w_dy;
        colour_row += s.width;
        depth_row += s.width;
        x_long += long_edge.dx;
        if (k == upper_rows) {
            x_short = lower.x;
            dx_short = lower.dx;
        } else {
            x_short += dx_short;
        }
    }
}
