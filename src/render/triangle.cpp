// The rasterizer's path for an unclipped triangle, which is what almost every
// face is. It draws exactly what raster_polygon draws for the same triangle;
// it only skips the work whose result would not be used: the edge chains are
// fixed by the top and bottom corner, and the depth plane and the colour wait
// for the first row that has a pixel, which most small faces never reach.
#include <cstddef>

#include "render/fixed_point.h"
#include "render/scan.h"
#include "render/span.h"

namespace {

// The span of the current row: pixels first to first + n - 1.
inline int32_t row_pixels(const TriangleScan& t, int32_t& first) {
    const int32_t xl = t.long_is_left ? t.x_long : t.x_short;
    const int32_t xr = t.long_is_left ? t.x_short : t.x_long;
    first = (xl >> 16) + 1;
    return (xr >> 16) - (xl >> 16);
}

// Both chains one row down; the 1/z is stepped by the caller.
inline void step_edges(TriangleScan& t, int32_t next_row) {
    t.x_long = fixed_x_after(t.x_long, t.dx_long, 1);
    if (next_row == t.turn_row) {
        t.x_short = t.x_lower;
        t.dx_short = t.dx_lower;
    } else {
        t.x_short = fixed_x_after(t.x_short, t.dx_short, 1);
    }
}

VELMOR_ALWAYS_INLINE bool scan_setup(const float x[3], const float y[3], const float z[3],
                                     const FaceShade& shade, TriangleScan& t) {
    // Top and bottom as scan_edges_build picks them: ties go to the lower index.
    int top = y[1] < y[0] ? 1 : 0;
    top = y[2] < y[top] ? 2 : top;
    int bottom = y[1] > y[0] ? 1 : 0;
    bottom = y[2] > y[bottom] ? 2 : bottom;
    const int32_t first_row = fixed_row_ceil(y[top]);
    t.end_row = fixed_row_ceil(y[bottom]);
    if (first_row >= t.end_row) return false;
    const int mid = 3 - top - bottom;
    const int32_t mid_row = fixed_row_ceil(y[mid]);

    // The long edge runs from top to bottom; the other chain turns at mid,
    // and starts with its lower edge when the upper one covers no row. The
    // left chain is the one that follows the vertex order from the top.
    t.long_is_left = (top == 2 ? 0 : top + 1) == bottom;
    const bool upper_covers_rows = mid_row > first_row;
    const int short_a = upper_covers_rows ? top : mid, short_b = upper_covers_rows ? mid : bottom;
    const FixedEdge long_edge = fixed_edge_start(x[top], y[top], x[bottom], y[bottom], first_row);
    const FixedEdge short_edge =
        fixed_edge_start(x[short_a], y[short_a], x[short_b], y[short_b], first_row);
    t.x_long = long_edge.x, t.dx_long = long_edge.dx;
    t.x_short = short_edge.x, t.dx_short = short_edge.dx;
    t.turn_row = t.end_row;
    t.x_lower = 0, t.dx_lower = 0;
    if (upper_covers_rows && t.end_row > mid_row) {
        const FixedEdge lower = fixed_edge_start(x[mid], y[mid], x[bottom], y[bottom], mid_row);
        t.turn_row = mid_row;
        t.x_lower = lower.x, t.dx_lower = lower.dx;
    }

    // Down to the first row with a pixel; most faces have one on their first.
    int32_t first;
    t.row = first_row;
    while (row_pixels(t, first) <= 0) {
        if (++t.row == t.end_row) return false;
        step_edges(t, t.row);
    }
    DepthPlane plane;
    if (!depth_plane_from(x, y, z, plane)) return false;
    // w accumulated row by row from the first row, as raster_polygon does it.
    t.w_row = plane.w_origin + (float)first_row * plane.w_dy;
    for (int32_t row = first_row; row < t.row; ++row)
        t.w_row = t.w_row + plane.w_dy;
    t.w_dx = plane.w_dx;
    t.w_dy = plane.w_dy;
    t.smooth = shade.brightness != nullptr;
    if (!t.smooth) {
        t.colour = face_colour(shade);
        return true;
    }
    t.colour = shade.base_colour;
    return shade_plane_from(x, y, shade.brightness, t.shade);
}

inline void scan_draw(TriangleScan t, uint32_t* colour_buffer, int32_t first_row, int32_t end_row,
                      float w_row) {
    const RenderState& s = render_state;
    if (end_row > t.end_row) end_row = t.end_row;
    if (first_row > t.row) { // both chains moved down to first_row at once
        t.x_long = fixed_x_after(t.x_long, t.dx_long, first_row - t.row);
        if (first_row >= t.turn_row) {
            t.x_short = fixed_x_after(t.x_lower, t.dx_lower, first_row - t.turn_row);
            t.dx_short = t.dx_lower;
        } else {
            t.x_short = fixed_x_after(t.x_short, t.dx_short, first_row - t.row);
        }
    }
    for (int32_t row = first_row; row < end_row; ++row) {
        int32_t first;
        const int32_t n = row_pixels(t, first);
        if (n > 0) {
            const ptrdiff_t at = (ptrdiff_t)row * s.width + first;
            const float w = w_row + (float)first * t.w_dx;
            if (t.smooth)
                span_fill_smooth(n, w, t.w_dx, s.depth_buffer + at, colour_buffer + at,
                                 {t.colour, shade_plane_at(t.shade, first, row), t.shade.dx});
            else
                span_fill(n, w, t.w_dx, s.depth_buffer + at, colour_buffer + at, t.colour);
        }
        w_row = w_row + t.w_dy;
        step_edges(t, row + 1);
    }
}

} // namespace

bool triangle_scan_setup(const float x[3], const float y[3], const float z[3],
                         const FaceShade& shade, TriangleScan& scan) {
    return scan_setup(x, y, z, shade, scan);
}

void triangle_scan_draw(const TriangleScan& scan, uint32_t* colour_buffer, int32_t first_row,
                        int32_t end_row, float w_row) {
    scan_draw(scan, colour_buffer, first_row, end_row, w_row);
}

bool raster_triangle(const float x[3], const float y[3], const float z[3], uint32_t* colour_buffer,
                     const FaceShade& shade) {
    if (render_state.depth_buffer == nullptr || !vertices_on_screen(x, y, 3)) return false;
    return triangle_fill(x, y, z, colour_buffer, shade);
}

bool triangle_fill(const float x[3], const float y[3], const float z[3], uint32_t* colour_buffer,
                   const FaceShade& shade) {
    TriangleScan scan;
    if (!scan_setup(x, y, z, shade, scan)) return false;
    scan_draw(scan, colour_buffer, scan.row, scan.end_row, scan.w_row);
    return true;
}
