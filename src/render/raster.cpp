// The depth buffer and the scan-line polygon filler: 16.16 edges, 1/z depth
// exact every 16 pixels and stepped linearly in between.
#include <cmath>
#include <cstddef>
#include <cstring>

#include "render/render_internal.h"

namespace {

// Bounds of the float-to-integer conversions, which must never overflow.
constexpr float TWO_POW_31 = 2147483648.0f;

bool fits_int32(float v) {
    return v >= -TWO_POW_31 && v < TWO_POW_31;
}

bool polygon_on_screen(const ClipPolygon& polygon) {
    if (polygon.count < 3 || polygon.count > 8) return false;
    float x[8], y[8];
    for (int i = 0; i < polygon.count; ++i) {
        x[i] = polygon.vertices[i].x;
        y[i] = polygon.vertices[i].y;
    }
    return vertices_on_screen(x, y, polygon.count);
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
    const int32_t y0 = (int32_t)std::ceil((double)upper.y);
    const int32_t y1 = (int32_t)std::ceil((double)lower.y);
    const int32_t rows = y1 - y0;
    // A chain that rises by a hair gives negative rows; such an edge is
    // skipped like one that lies between two rows.
    if (rows <= 0) return false;
    const float slope = 65536.0f * (lower.x - upper.x) / (lower.y - upper.y);
    if (fits_int32(slope)) {
        edge.dx = (int32_t)slope;
        edge.x = (int32_t)(65536.0f * upper.x + ((float)y0 - upper.y) * (float)edge.dx);
    } else {
        // Nearly horizontal: the edge covers one row, so its x is computed
        // directly where it crosses that row.
        edge.dx = 0;
        edge.x = (int32_t)(65536.0 * ((double)upper.x + ((double)lower.x - (double)upper.x) *
                                                            ((double)y0 - (double)upper.y) /
                                                            ((double)lower.y - (double)upper.y)));
    }
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
    if (std::ceil((double)min_y) >= std::ceil((double)max_y)) return false;
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

bool polygon_scan_setup(const ClipPolygon& polygon, uint32_t colour, PolygonScan& scan) {
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
    int32_t xl = (int32_t)((uint32_t)left.x + (uint32_t)left_rows * (uint32_t)left.dx);
    int32_t xr = (int32_t)((uint32_t)right.x + (uint32_t)right_rows * (uint32_t)right.dx);
    left_rows = c.left_edges[li].rows - left_rows;
    right_rows = c.right_edges[ri].rows - right_rows;
    for (int32_t y = first_row;;) {
        const int32_t first = (xl >> 16) + 1;
        const int32_t n = (xr >> 16) - (xl >> 16);
        if (n > 0) {
            const ptrdiff_t at = (ptrdiff_t)y * s.width + first;
            span_fill(n, w_row + (float)first * scan.w_dx, scan.w_dx, s.depth_buffer + at,
                      colour_buffer + at, scan.colour);
        }
        if (++y == end_row) return;
        w_row = w_row + scan.w_dy;
        // Neither chain runs out before the last row.
        if (--right_rows != 0) {
            xr += c.right_edges[ri].dx;
        } else {
            --ri;
            xr = c.right_edges[ri].x;
            right_rows = c.right_edges[ri].rows;
        }
        if (--left_rows != 0) {
            xl += c.left_edges[li].dx;
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
