// Handlers of the mesh and material chunks. In the counting pass they
// only count, and leave the reader where the filling pass would when
// sub-chunks follow. Data that nothing keeps is not read at all: the walk
// moves to the chunk's end after every handler.
#include <cstdlib>
#include <cstring>

#include "scene/loader.h"

namespace {

constexpr size_t BATCH = 256;

size_t min_size(size_t a, size_t b) {
    return a < b ? a : b;
}

const char* name_of(const SceneObject& object) {
    static char buffer[4 * 64];
    return printable_text(object.name, buffer, sizeof buffer);
}

// The object a mesh sub-chunk of the filling pass acts on; null ends the load.
SceneObject* mesh_object() {
    if (!loader.current_object) loader_fail("mesh data before any triangle mesh chunk");
    return loader.current_object;
}

void store_vertices(ByteReader& in, SceneVertex* vertices, uint16_t count) {
    float values[3 * BATCH];
    for (size_t i = 0; i < count;) {
        size_t n = min_size(BATCH, count - i);
        read_f32_values(in, values, 3 * n);
        for (size_t j = 0; j < n; ++j, ++i) {
            vertices[i].x = values[3 * j];
            vertices[i].y = values[3 * j + 2];
            vertices[i].z = values[3 * j + 1];
        }
    }
}

bool store_faces(ByteReader& in, SceneObject& object) {
    uint16_t values[4 * BATCH];
    for (size_t i = 0; i < (size_t)object.face_count;) {
        size_t n = min_size(BATCH, (size_t)object.face_count - i);
        read_u16_values(in, values, 4 * n);
        for (size_t j = 0; j < n; ++j, ++i) {
            const uint16_t* abc = values + 4 * j; // then a flags word, unused
            for (int k = 0; k < 3; ++k) {
                if (abc[k] >= object.vertex_count)
                    return loader_fail(
                        "vertex index %u out of range: object \"%s\" has %d vertices", abc[k],
                        name_of(object), object.vertex_count);
            }
            SceneFace& face = object.faces[i];
            face.corners[0] = &object.vertices[abc[0]];
            face.corners[1] = &object.vertices[abc[2]];
            face.corners[2] = &object.vertices[abc[1]];
            face.colour_material = -1;
        }
    }
    return true;
}

// The face list's shading arrays, which replace those of an earlier list;
// the masks are 0 until a smoothing groups chunk gives them.
bool allocate_shading(SceneObject& object) {
    std::free(object.smoothing_groups);
    std::free(object.corner_normals);
    object.corner_normals = nullptr;
    const size_t count = (size_t)object.face_count;
    object.smoothing_groups =
        (uint32_t*)allocate_array(count, sizeof(uint32_t), "smoothing group list");
    if (!object.smoothing_groups) return false;
    object.corner_normals = (SceneCornerNormals*)allocate_array(count, sizeof(SceneCornerNormals),
                                                                "corner normal list");
    return object.corner_normals != nullptr;
}

double determinant(const float* m) {
    return (double)m[0] * ((double)m[5] * m[10] - (double)m[6] * m[9]) -
           (double)m[1] * ((double)m[4] * m[10] - (double)m[6] * m[8]) +
           (double)m[2] * ((double)m[4] * m[9] - (double)m[5] * m[8]);
}

} // namespace

bool read_named_object(ByteReader& in, int64_t) {
    read_name(in, loader.name_buffer);
    return true;
}

bool read_triangle_mesh(ByteReader&, int64_t) {
    Scene* s = loader.loading_scene;
    SceneObject* object;
    bool ok = take_record(s->objects, s->object_count, loader.next_object, "objects", object);
    if (!object) return ok;
    loader.current_object = object;
    return name_record(object->name, "an object");
}

bool read_vertex_list(ByteReader& in, int64_t) {
    uint16_t count = read_u16(in);
    if (loader.counting_pass) return true; // the walk moves to the chunk's end
    SceneObject* object = mesh_object();
    if (!object) return false;
    SceneVertex* vertices = (SceneVertex*)allocate_array(count, sizeof(SceneVertex), "vertex list");
    if (!vertices) return false;
    if (object->vertices && !loader_retire_block(object->vertices)) {
        std::free(vertices);
        return loader_fail("out of memory");
    }
    object->vertex_count = count;
    object->vertices = vertices;
    store_vertices(in, vertices, count);
    return true;
}

bool read_face_list(ByteReader& in, int64_t) {
    uint16_t count = read_u16(in);
    if (loader.counting_pass) {
        skip_bytes(in, 8 * (uint64_t)count); // the sub-chunks follow the faces
        return true;
    }
    SceneObject* object = mesh_object();
    if (!object) return false;
    if (!object->vertices)
        return loader_fail("face list before any vertex list of object \"%s\"", name_of(*object));
    SceneFace* faces = (SceneFace*)allocate_array(count, sizeof(SceneFace), "face list");
    if (!faces) return false;
    std::free(object->faces); // nothing points into a face array
    object->face_count = count;
    object->faces = faces;
    if (!store_faces(in, *object)) return false;
    return allocate_shading(*object);
}

bool read_face_material(ByteReader& in, int64_t) {
    char name[64];
    if (read_name(in, name).cut_short)
        return loader_fail("face material name cut short by the end of the file");
    if (loader.counting_pass) return true;
    SceneObject* object = mesh_object();
    if (!object) return false;
    const Scene* s = loader.loading_scene;
    int32_t read_before =
        find_by_name(name, s->materials, loader.next_material, loader.material_index);
    int32_t in_file = loader_find_material(name);
    uint16_t count = read_u16(in);
    uint16_t faces[BATCH];
    for (size_t i = 0; i < count;) {
        size_t n = min_size(BATCH, count - i);
        read_u16_values(in, faces, n);
        i += n;
        for (size_t j = 0; j < n; ++j) {
            if (faces[j] >= object->face_count) continue;
            object->faces[faces[j]].material_read_before = read_before;
            object->faces[faces[j]].colour_material = in_file;
        }
    }
    return true;
}

bool read_mapping_coordinates(ByteReader& in, int64_t) {
    uint16_t count = read_u16(in);
    if (loader.counting_pass) return true;
    SceneObject* object = mesh_object();
    if (!object) return false;
    // Pairs beyond the object's vertices are dropped, so they are not read.
    size_t kept = min_size(count, (size_t)object->vertex_count);
    float uv[2 * BATCH];
    for (size_t i = 0; i < kept;) {
        size_t n = min_size(BATCH, kept - i);
        read_f32_values(in, uv, 2 * n);
        for (size_t j = 0; j < n; ++j, ++i) {
            object->vertices[i].u = uv[2 * j];
            object->vertices[i].v = uv[2 * j + 1];
        }
    }
    return true;
}

// One 32-bit mask for each face of the last face list, as far as the chunk
// holds them; the rest stay 0.
bool read_smoothing_groups(ByteReader& in, int64_t end) {
    if (loader.counting_pass) return true;
    SceneObject* object = mesh_object();
    if (!object) return false;
    if (!object->smoothing_groups) return true;
    const int64_t held = (end - (loader.chunk_offset + 6)) / 4;
    const int64_t kept = held < object->face_count ? (held > 0 ? held : 0) : object->face_count;
    for (int64_t i = 0; i < kept; ++i)
        object->smoothing_groups[i] = read_u32(in); // cut short: 0
    return true;
}

bool read_local_matrix(ByteReader& in, int64_t) {
    float m[12];
    read_f32_values(in, m, 12);
    if (loader.counting_pass) return true;
    SceneObject* object = mesh_object();
    if (!object) return false;
    // Rows X axis, Y axis, Z axis and origin, in the file's axes.
    float* out = object->matrix.m;
    for (int row = 0; row < 4; ++row) {
        out[4 * row + 0] = m[3 * row + 0];
        out[4 * row + 1] = m[3 * row + 1];
        out[4 * row + 2] = m[3 * row + 2];
        out[4 * row + 3] = row == 3 ? 1.0f : 0.0f;
    }
    object->mirrored = determinant(out) < 0.0;
    return true;
}

// The flag of the material block the material name chunk read last opened.
bool read_two_sided(ByteReader&, int64_t) {
    if (loader.counting_pass || loader.depth < 2) return true;
    const ChunkPlace& block = loader.chunk_path[loader.depth - 1];
    if (block.id == CHUNK_MATERIAL && loader.block_material && block.offset == loader.block_offset)
        loader.block_material->two_sided = 1;
    return true;
}

bool read_material_name(ByteReader& in, int64_t) {
    if (read_name(in, loader.name_buffer).cut_short)
        return loader_fail("material name cut short by the end of the file");
    Scene* s = loader.loading_scene;
    SceneMaterial* material;
    bool ok =
        take_record(s->materials, s->material_count, loader.next_material, "materials", material);
    if (!ok) return false;
    if (!material) return loader_keep_material_name(); // the counting pass
    loader_enter_material_block(material);
    return name_record(material->name, "a material");
}
