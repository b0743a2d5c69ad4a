// The reference path: one object's faces drawn one after another, straight
// into the buffers. The parallel path must draw the same bits.
#include "render/face.h"
#include "render/scan.h"

void render_object(const Matrix& object_matrix, const Matrix& camera_matrix,
                   const SceneObject& object, uint32_t* colour_buffer, uint32_t colour,
                   const uint32_t* face_colours, const FaceLook* look) {
    if (render_state.depth_buffer == nullptr) return;
    ObjectSetup setup;
    object_setup(object_matrix, camera_matrix, setup, &object, look);
    FaceShade shade = {nullptr, &setup.model_view, colour, look ? look->ambient : 0};
    faces_walk(object.faces, object.face_count, setup,
               [&](int32_t i, FaceKind kind, FaceOutcome& out) {
                   shade.plane = &object.faces[i].plane;
                   if (face_colours) shade.base_colour = face_colours[i];
                   shade.brightness = out.smooth ? out.brightness : nullptr;
                   if (kind == FACE_TRIANGLE)
                       triangle_fill(out.x, out.y, out.z, colour_buffer, shade);
                   else
                       polygon_fill(out.polygon, colour_buffer, shade);
               });
}
