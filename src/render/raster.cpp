// The depth buffer and the scan-line polygon filler: 16.16 edges, 1/z depth
// exact every 16 pixels and stepped linearly in between.
#include <cstddef>
#include <cstring>

#include "render/fixed_point.h"
#include "render/scan.h"
#include "render/span.h"

namespace {

bool polygon_on_screen(const ClipPolygon& polygon) {
    if (polygon.count < 3 || polygon.count > 8) return false;
    float x[8], y[8];
    for (int i = 0; i < polygon.count; ++i) {
        x[i] = polygon.vertices[i].x;
        y[i] = polygon.vertices[i].y;
    }
    return vertices_on_screen(x, y, polygon.count);
}

// A 16.16 value wrapped to 32 bits; what does not fit a double's exact
// integers (or is not a number) becomes 0.
uint32_t fixed_wrapped(float value) {
    const double scaled = (double)value * 65536.0;
    if (!(scaled > -9.0e15 && scaled < 9.0e15)) return 0;
    return (uint32_t)(uint64_t)(int64_t)scaled;
}

int32_t chain_rows(const ScanEdge* edges, int32_t count) {
    int32_t rows = 0;
    for (int32_t i = 0; i < count; ++i)
        rows += edges[i].rows;
    return rows;
}

} // namespace

// The view planes keep vertices two pixels inside the screen, so this never
// rejects a polygon that the render driver made; it keeps a caller's mistake
// or a NaN from writing outside the buffers.
bool vertices_on_screen(const float x[], const float y[], int count) {
    const float max_x = (float)(render_state.width - 1);
    const float max_y = (float)(render_state.height - 1);
    for (int i = 0; i < count; ++i)
        if (!(x[i] >= 0.0f && x[i] <= max_x && y[i] >= 0.0f && y[i] <= max_y)) return false;
    return true;
}

void depth_buffer_clear() {
    if (render_state.depth_buffer == nullptr) return;
    std::memset(render_state.depth_buffer, 0xFF,
                (size_t)render_state.width * (size_t)render_state.height * sizeof(uint32_t));
}

bool scan_edge_setup(const SceneVertex& upper, const SceneVertex& lower, ScanEdge& edge) {
    const int32_t y0 = fixed_row_ceil(upper.y);
    const int32_t rows = fixed_row_ceil(lower.y) - y0;
    // A chain that rises by a hair gives negative rows; such an edge is
    // skipped like one that lies between two rows.
    if (rows <= 0) return false;
    const FixedEdge e = fixed_edge_start(upper.x, upper.y, lower.x, lower.y, y0);
    edge.x = e.x;
    edge.dx = e.dx;
    edge.y = y0;
    edge.rows = rows;
    return true;
}

bool scan_edges_build(const ClipPolygon& polygon, EdgeChains& c) {
    c.left_count = 0;
    c.right_count = 0;
    const SceneVertex* v = polygon.vertices;
    const int n = polygon.count;
    float min_y = 65536.0f, max_y = -65536.0f;
    int top = 0, bottom = 0;
    for (int i = 0; i < n; ++i) {
        if (v[i].y < min_y) {
            min_y = v[i].y;
            top = i;
        }
        if (v[i].y > max_y) {
            max_y = v[i].y;
            bottom = i;
        }
    }
    if (fixed_row_ceil(min_y) >= fixed_row_ceil(max_y)) return false;
    for (int i = top; i != bottom;) {
        const int j = i + 1 == n ? 0 : i + 1;
        if (scan_edge_setup(v[i], v[j], c.left_edges[c.left_count])) ++c.left_count;
        i = j;
    }
    for (int i = bottom; i != top;) {
        const int j = i + 1 == n ? 0 : i + 1;
        if (scan_edge_setup(v[j], v[i], c.right_edges[c.right_count])) ++c.right_count;
        i = j;
    }
    return c.left_count > 0 && c.right_count > 0;
}

bool depth_plane_setup(const ClipPolygon& polygon, DepthPlane& plane) {
    const SceneVertex* v = polygon.vertices;
    const float x[3] = {v[0].x, v[1].x, v[2].x};
    const float y[3] = {v[0].y, v[1].y, v[2].y};
    const float z[3] = {v[0].z, v[1].z, v[2].z};
    return depth_plane_from(x, y, z, plane);
}

bool depth_plane_from(const float x[3], const float y[3], const float z[3], DepthPlane& plane) {
    const float x0 = x[0], y0 = y[0], w0 = 1.0f / z[0];
    const float x1 = x[1], y1 = y[1], w1 = 1.0f / z[1];
    const float x2 = x[2], y2 = y[2], w2 = 1.0f / z[2];
    const float d = (y2 - y0) * (x1 - x0) - (y1 - y0) * (x2 - x0);
    if (d == 0.0f || d != d) return false;
    plane.w_dx = ((w1 - w0) * (y2 - y0) - (w2 - w0) * (y1 - y0)) / d;
    plane.w_dy = ((w2 - w0) * (x1 - x0) - (w1 - w0) * (x2 - x0)) / d;
    plane.w_origin = w0 - plane.w_dx * x0 - plane.w_dy * y0;
    return true;
}

bool shade_plane_from(const float x[3], const float y[3], const float b[3], ShadePlane& plane) {
    const float d = (y[2] - y[0]) * (x[1] - x[0]) - (y[1] - y[0]) * (x[2] - x[0]);
    if (d == 0.0f || d != d) return false;
    const float dx = ((b[1] - b[0]) * (y[2] - y[0]) - (b[2] - b[0]) * (y[1] - y[0])) / d;
    const float dy = ((b[2] - b[0]) * (x[1] - x[0]) - (b[1] - b[0]) * (x[2] - x[0])) / d;
    plane.origin = fixed_wrapped(b[0] - dx * x[0] - dy * y[0]);
    plane.dx = fixed_wrapped(dx);
    plane.dy = fixed_wrapped(dy);
    return true;
}

bool polygon_scan_setup(const ClipPolygon& polygon, uint32_t colour, PolygonScan& scan,
                        bool smooth) {
    EdgeChains& c = scan.chains;
    if (render_state.depth_buffer == nullptr || !polygon_on_screen(polygon)) return false;
    if (!scan_edges_build(polygon, c)) return false;
    // Skipped edges can make a chain longer than the polygon; the rows drawn
    // stop with the shorter chain and must stay on the screen.
    scan.top_row = c.left_edges[0].y;
    int32_t rows = chain_rows(c.left_edges, c.left_count);
    const int32_t right_rows = chain_rows(c.right_edges, c.right_count);
    if (right_rows < rows) rows = right_rows;
    if (scan.top_row < 0 || scan.top_row + rows > render_state.height) return false;
    scan.end_row = scan.top_row + rows;
    DepthPlane plane;
    if (!depth_plane_setup(polygon, plane)) return false;
    scan.w_row = plane.w_origin + (float)scan.top_row * plane.w_dy;
    scan.w_dx = plane.w_dx;
    scan.w_dy = plane.w_dy;
    scan.colour = colour;
    scan.smooth = smooth;
    if (!smooth) return true;
    const SceneVertex* v = polygon.vertices;
    const float x[3] = {v[0].x, v[1].x, v[2].x}, y[3] = {v[0].y, v[1].y, v[2].y};
    const float b[3] = {v[0].u, v[1].u, v[2].u};
    return shade_plane_from(x, y, b, scan.shade);
}

bool polygon_scan_shaded(const ClipPolygon& polygon, const FaceShade& shade, PolygonScan& scan) {
    if (shade.brightness) return polygon_scan_setup(polygon, shade.base_colour, scan, true);
    return polygon_scan_setup(polygon, face_colour(shade), scan);
}

bool polygon_fill(const ClipPolygon& polygon, uint32_t* colour_buffer, const FaceShade& shade) {
    PolygonScan scan;
    if (!polygon_scan_shaded(polygon, shade, scan)) return false;
    polygon_scan_draw(scan, colour_buffer, scan.top_row, scan.end_row, scan.w_row);
    return true;
}

void polygon_scan_draw(const PolygonScan& scan, uint32_t* colour_buffer, int32_t first_row,
                       int32_t end_row, float w_row) {
    const RenderState& s = render_state;
    const EdgeChains& c = scan.chains;
    if (end_row > scan.end_row) end_row = scan.end_row;
    if (first_row >= end_row) return;
    // The edges that cover the first row: the left chain from its top edge
    // down, the right one from its last entry, each counting off the rows
    // above. Stepping x by k rows is adding k times dx.
    const int32_t above = first_row - scan.top_row;
    int32_t li = 0, left_rows = above;
    while (left_rows >= c.left_edges[li].rows)
        left_rows -= c.left_edges[li++].rows;
    int32_t ri = c.right_count - 1, right_rows = above;
    while (right_rows >= c.right_edges[ri].rows)
        right_rows -= c.right_edges[ri--].rows;
    const ScanEdge &left = c.left_edges[li], &right = c.right_edges[ri];
    int32_t xl = fixed_x_after(left.x, left.dx, left_rows);
    int32_t xr = fixed_x_after(right.x, right.dx, right_rows);
    left_rows = c.left_edges[li].rows - left_rows;
    right_rows = c.right_edges[ri].rows - right_rows;
    for (int32_t y = first_row;;) {
        const int32_t first = (xl >> 16) + 1;
        const int32_t n = (xr >> 16) - (xl >> 16);
        if (n > 0) {
            const ptrdiff_t at = (ptrdiff_t)y * s.width + first;
            const float w = w_row + (float)first * scan.w_dx;
            if (scan.smooth)
                span_fill_smooth(
                    n, w, scan.w_dx, s.depth_buffer + at, colour_buffer + at,
                    {scan.colour, shade_plane_at(scan.shade, first, y), scan.shade.dx});
            else
                span_fill(n, w, scan.w_dx, s.depth_buffer + at, colour_buffer + at, scan.colour);
        }
        if (++y == end_row) return;
        w_row = w_row + scan.w_dy;
        // Neither chain runs out before the last row.
        if (--right_rows != 0) {
            xr = fixed_x_after(xr, c.right_edges[ri].dx, 1);
        } else {
            --ri;
            xr = c.right_edges[ri].x;
            right_rows = c.right_edges[ri].rows;
        }
        if (--left_rows != 0) {
            xl = fixed_x_after(xl, c.left_edges[li].dx, 1);
        } else {
            ++li;
            xl = c.left_edges[li].x;
            left_rows = c.left_edges[li].rows;
        }
    }
}

bool raster_polygon(ClipPolygon& polygon, uint32_t* colour_buffer, uint32_t colour) {
    PolygonScan scan;
    if (!polygon_scan_setup(polygon, colour, scan)) return false;
    polygon_scan_draw(scan, colour_buffer, scan.top_row, scan.end_row, scan.w_row);
    return true;
}
