// Projected polygons and triangles set up for their rows and drawn row by
// row, whole or a band of rows at a time.
#pragma once

#include <cstdint>

#include "render/face.h"
#include "render/render_state.h"

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

// Gouraud shading's brightness over the screen: origin + x dx + y dy at
// pixel (x, y), in 16.16 fixed point with 32-bit wrapping arithmetic, so
// that every build and both paths get the same bits wherever they start.
struct ShadePlane {
    uint32_t origin, dx, dy;
};
// From the first three vertices' screen x, y and brightness (0..255); false
// where depth_plane_from is false.
bool shade_plane_from(const float x[3], const float y[3], const float b[3], ShadePlane& plane);
inline uint32_t shade_plane_at(const ShadePlane& plane, int32_t x, int32_t y) {
    return plane.origin + (uint32_t)x * plane.dx + (uint32_t)y * plane.dy;
}

// --- Polygons -----------------------------------------------------------------

// For a polygon on the screen (rows are fixed_row_ceil of its y).
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
    uint32_t colour; // smooth: the base colour that the brightness shades
    bool smooth;
    ShadePlane shade; // smooth: from the vertices' brightness, which they carry in u
};
// False when raster_polygon would draw nothing of it.
bool polygon_scan_setup(const ClipPolygon& polygon, uint32_t colour, PolygonScan& scan,
                        bool smooth = false);
// The same for a face: flat in face_colour(shade), or smooth when shade has
// its corners' brightness.
bool polygon_scan_shaded(const ClipPolygon& polygon, const FaceShade& shade, PolygonScan& scan);
// raster_polygon for a face, shaded so.
bool polygon_fill(const ClipPolygon& polygon, uint32_t* colour_buffer, const FaceShade& shade);
// Its pixels on the rows from first_row (not above its top row) up to, not
// including, end_row; w_row is the 1/z at x = 0 on first_row, which is the
// scan's own on its top row and w_dy added once a row below it.
void polygon_scan_draw(const PolygonScan& scan, uint32_t* colour_buffer, int32_t first_row,
                       int32_t end_row, float w_row);
// Whether every vertex lies on the screen, which keeps the spans inside the
// buffers.
bool vertices_on_screen(const float x[], const float y[], int count);

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
    uint32_t colour;   // as PolygonScan's
    bool long_is_left; // the long edge, top to bottom corner, bounds the left
    bool smooth;
    ShadePlane shade;
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
