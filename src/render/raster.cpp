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
    if (polygon.count < 3 || polygon.count > 7) return false;
    float x[7], y[7];
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

bool scan_edges_build(const ClipPolygon& polygon) {
    RenderState& s = render_state;
    s.left_count = 0;
    s.right_count = 0;
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
        if (scan_edge_setup(v[i], v[j], s.left_edges[s.left_count])) ++s.left_count;
        i = j;
    }
    for (int i = bottom; i != top;) {
        const int j = i + 1 == n ? 0 : i + 1;
        if (scan_edge_setup(v[j], v[i], s.right_edges[s.right_count])) ++s.right_count;
        i = j;
    }
    if (s.left_count == 0 || s.right_count == 0) return false;
    s.left_cur = &s.left_edges[0];
    s.right_cur = &s.right_edges[s.right_count - 1];
    return true;
}

bool depth_plane_setup(const ClipPolygon& polygon) {
    const SceneVertex* v = polygon.vertices;
    const float x[3] = {v[0].x, v[1].x, v[2].x};
    const float y[3] = {v[0].y, v[1].y, v[2].y};
    const float z[3] = {v[0].z, v[1].z, v[2].z};
    return depth_plane_from(x, y, z);
}

bool depth_plane_from(const float x[3], const float y[3], const float z[3]) {
    RenderState& s = render_state;
    const float x0 = x[0], y0 = y[0], w0 = 1.0f / z[0];
    const float x1 = x[1], y1 = y[1], w1 = 1.0f / z[1];
    const float x2 = x[2], y2 = y[2], w2 = 1.0f / z[2];
    const float d = (y2 - y0) * (x1 - x0) - (y1 - y0) * (x2 - x0);
    if (d == 0.0f || d != d) return false;
    s.w_dx = ((w1 - w0) * (y2 - y0) - (w2 - w0) * (y1 - y0)) / d;
    s.w_dy = ((w2 - w0) * (x1 - x0) - (w1 - w0) * (x2 - x0)) / d;
    s.w_origin = w0 - s.w_dx * x0 - s.w_dy * y0;
    return true;
}

bool raster_polygon(ClipPolygon& polygon, uint32_t* colour_buffer, uint32_t colour) {
    RenderState& s = render_state;
    if (s.depth_buffer == nullptr || !polygon_on_screen(polygon)) return false;
    if (!scan_edges_build(polygon)) return false;
    // Skipped edges can make a chain longer than the polygon; the rows drawn
    // stop with the shorter chain and must stay on the screen.
    const int32_t first_row = s.left_cur->y;
    int32_t rows_left = chain_rows(s.left_edges, s.left_count);
    const int32_t right_rows = chain_rows(s.right_edges, s.right_count);
    if (right_rows < rows_left) rows_left = right_rows;
    if (first_row < 0 || first_row + rows_left > s.height) return false;
    if (!depth_plane_setup(polygon)) return false;

    float w_row = s.w_origin + (float)first_row * s.w_dy;
    uint32_t* colour_row = colour_buffer + (ptrdiff_t)first_row * s.width;
    uint32_t* depth_row = s.depth_buffer + (ptrdiff_t)first_row * s.width;
    int32_t xl = s.left_cur->x, xr = s.right_cur->x;
    ScanEdge* const left_last = &s.left_edges[s.left_count - 1];
    for (;;) {
        const int32_t first = (xl >> 16) + 1;
        const int32_t n = (xr >> 16) - (xl >> 16);
        if (n > 0)
            span_fill(n, w_row + (float)first * s.w_dx, depth_row + first, colour_row + first,
                      colour);
        w_row = w_row + s.w_dy;
        colour_row += s.width;
        depth_row += s.width;
        if (--s.right_cur->rows != 0) {
            xr += s.right_cur->dx;
        } else {
            if (s.right_cur == &s.right_edges[0]) return true;
            --s.right_cur;
            xr = s.right_cur->x;
        }
        if (--s.left_cur->rows != 0) {
            xl += s.left_cur->dx;
        } else {
            if (s.left_cur == left_last) return true;
            ++s.left_cur;
            xl = s.left_cur->x;
        }
    }
}
