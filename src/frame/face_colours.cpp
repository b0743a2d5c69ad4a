// The scene in the file's own colours: one base colour per face, looked up once
// when a scene is loaded, so that drawing a frame allocates and searches nothing.
#include <cstdlib>

#include "frame/frame.h"

namespace {

// The face's material, when the file gave it a diffuse colour.
const SceneMaterial* coloured_material(const Scene& scene, const SceneFace& face) {
    const int32_t m = face.colour_material;
    if (m < 0 || m >= scene.material_count || !scene.materials[m].has_diffuse) return nullptr;
    return &scene.materials[m];
}

uint32_t colour_of(const SceneMaterial& material) {
    const uint8_t* rgb = material.diffuse;
    return (uint32_t)rgb[0] << 16 | (uint32_t)rgb[1] << 8 | (uint32_t)rgb[2];
}

} // namespace

uint32_t* frame_face_colours_create(const Scene& scene) {
    size_t face_total = 0;
    for (int32_t i = 0; i < scene.object_count; ++i)
        face_total += (size_t)scene.objects[i].face_count;
    uint32_t* colours = (uint32_t*)std::malloc((face_total ? face_total : 1) * sizeof(uint32_t));
    if (!colours) return nullptr;
    uint32_t* out = colours;
    for (int32_t i = 0; i < scene.object_count; ++i) {
        const SceneObject& object = scene.objects[i];
        for (int32_t f = 0; f < object.face_count; ++f) {
            const SceneMaterial* material = coloured_material(scene, object.faces[f]);
            *out++ = material ? colour_of(*material) : object_colours[i & 3];
        }
    }
    return colours;
}
