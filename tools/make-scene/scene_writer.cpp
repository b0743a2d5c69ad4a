#include "scene_writer.h"

#include "chunkwriter/scene_chunks.h"

namespace {

void write_u16_chunk(ChunkWriter& w, uint16_t id, uint16_t value) {
    chunk_begin(w, id);
    chunk_u16(w, value);
    chunk_end(w);
}

void write_float_chunk(ChunkWriter& w, uint16_t id, float value) {
    chunk_begin(w, id);
    chunk_f32(w, value);
    chunk_end(w);
}

void write_name_chunk(ChunkWriter& w, uint16_t id, const std::string& name) {
    chunk_begin(w, id);
    chunk_name(w, name);
    chunk_end(w);
}

void write_rgb(ChunkWriter& w, uint16_t id, Rgb c) {
    chunk_begin(w, id);
    chunk_u8(w, c.r);
    chunk_u8(w, c.g);
    chunk_u8(w, c.b);
    chunk_end(w);
}

// A material colour: the plain value and its gamma-corrected twin.
void write_material_colour(ChunkWriter& w, uint16_t id, Rgb c) {
    chunk_begin(w, id);
    write_rgb(w, CHUNK_COLOR_24, c);
    write_rgb(w, CHUNK_COLOR_24_GAMMA, c);
    chunk_end(w);
}

void write_percent(ChunkWriter& w, uint16_t id, uint16_t percent) {
    chunk_begin(w, id);
    write_u16_chunk(w, CHUNK_PERCENT_INT, percent);
    chunk_end(w);
}

void write_map(ChunkWriter& w, const MapDesc& map) {
    chunk_begin(w, map.kind);
    write_u16_chunk(w, CHUNK_PERCENT_INT, map.percent);
    write_name_chunk(w, CHUNK_MAP_FILE_NAME, map.file_name);
    write_u16_chunk(w, CHUNK_MAP_TILING, 0);
    write_float_chunk(w, CHUNK_MAP_BLUR, 0.1f);
    write_float_chunk(w, CHUNK_MAP_U_SCALE, map.u_scale);
    write_float_chunk(w, CHUNK_MAP_V_SCALE, map.v_scale);
    write_float_chunk(w, CHUNK_MAP_U_OFFSET, 0.0f);
    write_float_chunk(w, CHUNK_MAP_V_OFFSET, 0.0f);
    write_float_chunk(w, CHUNK_MAP_ROTATION, map.rotation);
    chunk_end(w);
}

void write_vertices(ChunkWriter& w, const Mesh& mesh) {
    uint16_t n = (uint16_t)mesh.vertices.size();
    chunk_begin(w, CHUNK_VERTEX_LIST);
    chunk_u16(w, n);
    for (const Vec3& p : mesh.vertices)
        chunk_f32s(w, {(float)p.x, (float)p.y, (float)p.z});
    chunk_end(w);

    chunk_begin(w, CHUNK_VERTEX_FLAGS);
    chunk_u16(w, n);
    for (uint16_t i = 0; i < n; ++i)
        chunk_u16(w, 0);
    chunk_end(w);

    chunk_begin(w, CHUNK_MAPPING);
    chunk_u16(w, n);
    for (const auto& uv : mesh.mapping)
        chunk_f32s(w, {uv[0], uv[1]});
    chunk_end(w);
}

// Planar mapping icon: type, tiling, icon position, icon axes, scale, plan size,
// cylinder height.
void write_texture_info(ChunkWriter& w) {
    chunk_begin(w, CHUNK_TEXTURE_INFO);
    chunk_u16(w, 0);
    chunk_f32s(w, {1, 1, 0, 0, 0});
    chunk_f32s(w, {1, 0, 0, 0, 1, 0, 0, 0, 1, 0, 0, 0});
    chunk_f32s(w, {1, 100, 100, 100});
    chunk_end(w);
}

void write_local_matrix(ChunkWriter& w) {
    chunk_begin(w, CHUNK_LOCAL_MATRIX);
    chunk_f32s(w, {1, 0, 0, 0, 1, 0, 0, 0, 1, 0, 0, 0});
    chunk_end(w);
}

void write_face_materials(ChunkWriter& w, const ObjectDesc& object) {
    for (size_t part = 0; part < object.part_materials.size(); ++part) {
        std::vector<uint16_t> faces;
        for (size_t i = 0; i < object.mesh.faces.size(); ++i)
            if (object.mesh.face_part[i] == part) faces.push_back((uint16_t)i);
        chunk_begin(w, CHUNK_FACE_MATERIAL);
        chunk_name(w, object.part_materials[part]);
        chunk_u16(w, (uint16_t)faces.size());
        for (uint16_t f : faces)
            chunk_u16(w, f);
        chunk_end(w);
    }
}

void write_faces(ChunkWriter& w, const ObjectDesc& object) {
    const Mesh& mesh = object.mesh;
    chunk_begin(w, CHUNK_FACE_LIST);
    chunk_u16(w, (uint16_t)mesh.faces.size());
    for (const auto& f : mesh.faces) {
        chunk_u16(w, f[0]);
        chunk_u16(w, f[1]);
        chunk_u16(w, f[2]);
        chunk_u16(w, 0x0007); // all three edges visible
    }
    write_face_materials(w, object);
    chunk_begin(w, CHUNK_SMOOTHING_GROUPS);
    for (size_t i = 0; i < mesh.faces.size(); ++i)
        chunk_u32(w, object.smoothing_group);
    chunk_end(w);
    chunk_end(w);
}

void write_key(ChunkWriter& w, const Key& key) {
    static const float flag_values[5] = {0.25f, -0.5f, 0.5f, 0.75f, 0.3f};
    chunk_key_header(w, key.frame, key.flags);
    for (int bit = 0; bit < 5; ++bit)
        if (key.flags & (1 << bit)) chunk_f32(w, flag_values[bit]);
    for (float v : key.value)
        chunk_f32(w, v);
}

void write_track(ChunkWriter& w, const TrackDesc& track) {
    chunk_begin(w, track.id);
    chunk_track_header(w, (uint32_t)track.keys.size());
    for (const Key& key : track.keys)
        write_key(w, key);
    chunk_end(w);
}

} // namespace

void write_float_colour(ChunkWriter& w, uint16_t id, const float rgb[3]) {
    chunk_begin(w, id);
    chunk_f32s(w, {rgb[0], rgb[1], rgb[2]});
    chunk_end(w);
}

void write_material(ChunkWriter& w, const MaterialDesc& m) {
    chunk_begin(w, CHUNK_MATERIAL);
    write_name_chunk(w, CHUNK_MAT_NAME, m.name);
    write_material_colour(w, CHUNK_MAT_AMBIENT, m.ambient);
    write_material_colour(w, CHUNK_MAT_DIFFUSE, m.diffuse);
    write_material_colour(w, CHUNK_MAT_SPECULAR, m.specular);
    write_percent(w, CHUNK_MAT_SHININESS, m.shininess);
    write_percent(w, CHUNK_MAT_SHININESS_STRENGTH, m.shininess_strength);
    write_percent(w, CHUNK_MAT_TRANSPARENCY, 0);
    chunk_begin(w, CHUNK_MAT_TRANSPARENCY_FALLOFF);
    write_float_chunk(w, CHUNK_PERCENT_F, m.transparency_falloff);
    chunk_end(w);
    write_percent(w, CHUNK_MAT_REFLECTION_BLUR, 0);
    if (m.two_sided) chunk_empty(w, CHUNK_MAT_TWO_SIDED);
    if (m.soften) chunk_empty(w, CHUNK_MAT_SOFTEN);
    write_u16_chunk(w, CHUNK_MAT_SHADING, 3); // Phong
    write_percent(w, CHUNK_MAT_SELF_ILLUMINATION, 0);
    write_float_chunk(w, CHUNK_MAT_WIRE_SIZE, 1.0f);
    for (const MapDesc& map : m.maps) {
        write_map(w, map);
        if (map.kind == CHUNK_MAT_BUMP_MAP) write_u16_chunk(w, CHUNK_MAT_BUMP_PERCENT, map.percent);
    }
    chunk_end(w);
}

void write_mesh_object(ChunkWriter& w, const ObjectDesc& object) {
    chunk_begin(w, CHUNK_NAMED_OBJECT);
    chunk_name(w, object.name);
    chunk_begin(w, CHUNK_TRIANGLE_MESH);
    write_vertices(w, object.mesh);
    if (object.textured) write_texture_info(w);
    write_local_matrix(w);
    chunk_begin(w, CHUNK_MESH_COLOR);
    chunk_u8(w, object.colour_index);
    chunk_end(w);
    write_faces(w, object);
    chunk_end(w);
    chunk_end(w);
}

void write_light(ChunkWriter& w, const LightDesc& light) {
    chunk_begin(w, CHUNK_NAMED_OBJECT);
    chunk_name(w, light.name);
    chunk_begin(w, CHUNK_LIGHT);
    chunk_f32s(w, {light.position[0], light.position[1], light.position[2]});
    write_float_colour(w, CHUNK_COLOR_F, light.colour);
    if (light.off) chunk_empty(w, CHUNK_LIGHT_OFF);
    if (light.spot) {
        chunk_begin(w, CHUNK_SPOTLIGHT);
        chunk_f32s(
            w, {light.target[0], light.target[1], light.target[2], light.hotspot, light.falloff});
        chunk_end(w);
    }
    if (light.ray_shadows) chunk_empty(w, CHUNK_LIGHT_RAY_SHADOWS);
    write_float_chunk(w, CHUNK_LIGHT_INNER_RANGE, light.inner_range);
    write_float_chunk(w, CHUNK_LIGHT_OUTER_RANGE, light.outer_range);
    write_float_chunk(w, CHUNK_LIGHT_MULTIPLIER, light.multiplier);
    chunk_end(w);
    chunk_end(w);
}

void write_camera(ChunkWriter& w, const CameraDesc& camera) {
    chunk_begin(w, CHUNK_NAMED_OBJECT);
    chunk_name(w, camera.name);
    chunk_begin(w, CHUNK_CAMERA);
    chunk_f32s(w, {camera.position[0], camera.position[1], camera.position[2]});
    chunk_f32s(w, {camera.target[0], camera.target[1], camera.target[2]});
    chunk_f32s(w, {camera.bank, camera.lens});
    chunk_begin(w, CHUNK_CAMERA_RANGES);
    chunk_f32s(w, {1.0f, 1000.0f});
    chunk_end(w);
    chunk_end(w);
    chunk_end(w);
}

void write_node(ChunkWriter& w, const NodeDesc& node) {
    chunk_begin(w, node.kind);
    write_u16_chunk(w, CHUNK_NODE_ID, node.node_id);
    chunk_begin(w, CHUNK_NODE_HEADER);
    chunk_name(w, node.name);
    chunk_u16(w, 0x4000); // flags: node shown in the track view
    chunk_u16(w, 0);
    chunk_u16(w, node.parent);
    chunk_end(w);
    if (!node.instance_name.empty()) write_name_chunk(w, CHUNK_INSTANCE_NAME, node.instance_name);
    if (node.has_pivot) {
        chunk_begin(w, CHUNK_PIVOT);
        chunk_f32s(w, {0, 0, 0});
        chunk_end(w);
    }
    for (const TrackDesc& track : node.tracks)
        write_track(w, track);
    chunk_end(w);
}
