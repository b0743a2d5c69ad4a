// The software renderer: view-volume clipping, the depth buffer and polygon
// rasterizer, and the per-object render driver.
//
// Camera space: eye at the origin looking along +z, +x to the right, +y down.
#pragma once

#include <cstdint>

#include "math/maths.h"
#include "scene/scene.h"

// A convex polygon in boundary order, closed; entries at count and beyond are
// meaningless. A triangle clipped by five planes has at most eight vertices.
struct ClipPolygon {
    int32_t count;
    SceneVertex vertices[8];
};

// --- Clipping --------------------------------------------------------------
// planes: right, left, top, bottom.
void view_planes_init(float guarded_width, float guarded_height, float focal_length,
                      Plane planes[4]);
// Against the first plane_count planes (at most five), in their order.
ClipPolygon clip_triangle(const SceneVertex& v0, const SceneVertex& v1, const SceneVertex& v2,
                          const Plane planes[], int32_t plane_count = 4);

// --- Depth buffer and rasterizer -------------------------------------------
// Sets up the projection and view planes for a width x height screen and
// allocates the depth buffer (one unsigned 16.16 camera z per pixel, smaller
// is nearer). False when the allocation failed; then nothing here draws.
bool render_init(int32_t width, int32_t height);
void render_shutdown();
// The focal length, in pixels, of render_init's projection for a screen width
// pixels wide: a 90-degree view of that width.
float render_focal_length(int32_t width);
// The projection from now on: screen x = focal_length * x / z + centre_x (y
// likewise); view planes two pixels inside the edges for a centre at (width /
// 2, height / 2), which keep every vertex on the screen for a centre up to a
// pixel off; with near_z > 0 a near plane at z = near_z that clips faces.
// render_init sets the demo's: focal length half the width, centre (width /
// 2, height / 2) in whole pixels, near_z 0 (a face with a corner nearer than
// 0.1 is dropped).
void render_projection_set(float focal_length, float centre_x, float centre_y, float near_z);
// Every depth buffer entry becomes 0xFFFFFFFF; once a frame, before drawing.
void depth_buffer_clear();
// The depth buffer, width x height entries as render_init was given; an entry
// still 0xFFFFFFFF after a frame is a pixel that no face covers.
const uint32_t* render_depth_buffer();
// Fills a polygon whose vertices hold screen x, y and camera z, counter-
// clockwise on the screen, with one colour where it is nearer than the depth
// buffer. True when rows were scanned. A vertex off the screen or not a
// number draws nothing.
bool raster_polygon(ClipPolygon& polygon, uint32_t* colour_buffer, uint32_t colour);

// --- Render driver ----------------------------------------------------------
// How faces are culled and lit in view mode. Without one, faces turned away
// from the eye are culled and the rest lit by the headlight alone.
struct FaceLook {
    // Cull the faces turned away, but for those of two-sided materials; in a
    // mirrored object the faces turned towards the eye. Without it both sides
    // of every face are drawn, except in objects whose back faces are hidden
    // anyway (SceneObject::closed).
    bool cull;
    int32_t ambient;                // 0..255: the brightness a face has with the light behind it
    const SceneMaterial* materials; // the scene's, for their two-sided flags
    int32_t material_count;
    // Gouraud shading by smoothing group (SceneObject::corner_normals): the
    // brightness made at each corner and interpolated.
    bool smooth = false;
};

// Draws the faces of the object that turn towards the eye (or those look
// says), clipped to the view volume and lit by a headlight, into
// colour_buffer (width x height pixels 0x00RRGGBB, as render_init was given).
// Every face is drawn in colour, or, given face_colours (one per face), in its
// own.
void render_object(const Matrix& object_matrix, const Matrix& camera_matrix,
                   const SceneObject& object, uint32_t* colour_buffer, uint32_t colour,
                   const uint32_t* face_colours = nullptr, const FaceLook* look = nullptr);

// --- Drawing many objects, on every core ------------------------------------
struct RenderItem {
    const Matrix* object_matrix;
    const SceneObject* object;
    uint32_t colour;
    const uint32_t* face_colours = nullptr; // as render_object's
    const FaceLook* look = nullptr;         // as render_object's
};
// The same pixels and depths as render_object for each item in turn; with more
// than one thread the faces are shared out between them.
void render_objects(const Matrix& camera_matrix, const RenderItem items[], int32_t count,
                    uint32_t* colour_buffer);
// colour_buffer (width x height pixels) black, or the background set, and
// depth_buffer_clear, band by band on every thread.
void render_clear(uint32_t* colour_buffer);
// render_clear, then render_objects: on several threads each band of rows is
// cleared just before it is drawn, while it is still in the cache.
void render_clear_objects(const Matrix& camera_matrix, const RenderItem items[], int32_t count,
                          uint32_t* colour_buffer);
// The colour of each row of the screen (height entries, kept by the caller)
// that clearing fills the picture with from now on; null: black.
void render_background_set(const uint32_t* row_colours);
// Draws with count threads from now on, the caller's included; 0 means one per
// core and 1 the caller alone. Returns the number in use, which is 1 in a
// build without threads. Needs render_init; render_shutdown stops them.
int32_t render_threads_set(int32_t count);
int32_t render_threads();
