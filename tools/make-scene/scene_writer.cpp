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
    write_rgb(w, chunk_id::colour_24, c);
    write_rgb(w, chunk_id::colour_24_gamma, c);
    chunk_end(w);
}

void write_percent(ChunkWriter& w, uint16_t id, uint16_t percent) {
    chunk_begin(w, id);
    write_u16_chunk(w, chunk_id::percent_int, percent);
    chunk_end(w);
}

void write_map(ChunkWriter& w, const MapDesc& map) {
    chunk_begin(w, map.kind);
    write_u16_chunk(w, chunk_id::percent_int, map.percent);
    write_name_chunk(w, chunk_id::map_file_name, map.file_name);
    write_u16_chunk(w, chunk_id::map_tiling, 0);
    write_float_chunk(w, chunk_id::map_blur, 0.1f);
    write_float_chunk(w, chunk_id::map_u_scale, map.u_scale);
    write_float_chunk(w, chunk_id::map_v_scale, map.v_scale);
    write_float_chunk(w, chunk_id::map_u_offset, 0.0f);
    write_float_chunk(w, chunk_id::map_v_offset, 0.0f);
    write_float_chunk(w, chunk_id::map_rotation, map.rotation);
    chunk_end(w);
}

void write_vertices(ChunkWriter& w, const Mesh& mesh) {
    uint16_t n = (uint16_t)mesh.vertices.size();
    chunk_begin(w, chunk_id::vertex_list);
    chunk_u16(w, n);
    for (const Vec3& p : mesh.vertices)
        chunk_f32s(w, {(float)p.x, (float)p.y, (float)p.z});
    chunk_end(w);

    chunk_begin(w, chunk_id::vertex_flags);
    chunk_u16(w, n);
    for (uint16_t i = 0; i < n; ++i)
        chunk_u16(w, 0);
    chunk_end(w);

    chunk_begin(w, chunk_id::mapping);
    chunk_u16(w, n);
    for (const auto& uv : mesh.mapping)
        chunk_f32s(w, {uv[0], uv[1]});
    chunk_end(w);
}

// Planar mapping icon: type, tiling, icon position, icon axes, scale, plan size,
// cylinder height.
void write_texture_info(ChunkWriter& w) {
    chunk_begin(w, chunk_id::texture_info);
    chunk_u16(w, 0);
    chunk_f32s(w, {1, 1, 0, 0, 0});
    chunk_f32s(w, {1, 0, 0, 0, 1, 0, 0, 0, 1, 0, 0, 0});
    chunk_f32s(w, {1, 100, 100, 100});
    chunk_end(w);
}

void write_local_matrix(ChunkWriter& w) {
    chunk_begin(w, chunk_id::local_matrix);
    chunk_f32s(w, {1, 0, 0, 0, 1, 0, 0, 0, 1, 0, 0, 0});
    chunk_end(w);
}

void write_face_materials(ChunkWriter& w, const ObjectDesc& object) {
    for (size_t part = 0; part < object.part_materials.size(); ++part) {
        std::vector<uint16_t> faces;
        for (size_t i = 0; i < object.mesh.faces.size(); ++i)
            if (object.mesh.face_part[i] == part) faces.push_back((uint16_t)i);
        chunk_begin(w, chunk_id::face_material);
        chunk_name(w, object.part_materials[part]);
        chunk_u16(w, (uint16_t)faces.size());
        for (uint16_t f : faces)
            chunk_u16(w, f);
        chunk_end(w);
    }
}

void write_faces(ChunkWriter& w, const ObjectDesc& object) {
    const Mesh& mesh = object.mesh;
    chunk_begin(w, chunk_id::face_list);
    chunk_u16(w, (uint16_t)mesh.faces.size());
    for (const auto& f : mesh.faces) {
        chunk_u16(w, f[0]);
        chunk_u16(w, f[1]);
        chunk_u16(w, f[2]);
        chunk_u16(w, 0x0007); // all three edges visible
    }
    write_face_materials(w, object);
    chunk_begin(w, chunk_id::smoothing);
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
    chunk_begin(w, chunk_id::material);
    write_name_chunk(w, chunk_id::material_name, m.name);
    write_material_colour(w, chunk_id::ambient, m.ambient);
    write_material_colour(w, chunk_id::diffuse, m.diffuse);
    write_material_colour(w, chunk_id::specular, m.specular);
    write_percent(w, chunk_id::shininess, m.shininess);
    write_percent(w, chunk_id::shininess_strength, m.shininess_strength);
    write_percent(w, chunk_id::transparency, 0);
    chunk_begin(w, chunk_id::transparency_falloff);
    write_float_chunk(w, chunk_id::percent_float, m.transparency_falloff);
    chunk_end(w);
    write_percent(w, chunk_id::reflection_blur, 0);
    if (m.two_sided) chunk_empty(w, chunk_id::two_sided);
    if (m.soften) chunk_empty(w, chunk_id::soften);
    write_u16_chunk(w, chunk_id::shading, 3); // Phong
    write_percent(w, chunk_id::self_illumination, 0);
    write_float_chunk(w, chunk_id::wire_size, 1.0f);
    for (const MapDesc& map : m.maps) {
        write_map(w, map);
        if (map.kind == chunk_id::bump_map) write_u16_chunk(w, chunk_id::bump_percent, map.percent);
    }
    chunk_end(w);
}

void write_mesh_object(ChunkWriter& w, const ObjectDesc& object) {
    chunk_begin(w, chunk_id::named_object);
    chunk_name(w, object.name);
    chunk_begin(w, chunk_id::triangle_mesh);
    write_vertices(w, object.mesh);
    if (object.textured) write_texture_info(w);
    write_local_matrix(w);
    chunk_begin(w, chunk_id::mesh_colour);
    chunk_u8(w, object.colour_index);
    chunk_end(w);
    write_faces(w, object);
    chunk_end(w);
    chunk_end(w);
}

void write_light(ChunkWriter& w, const LightDesc& light) {
    chunk_begin(w, chunk_id::named_object);
    chunk_name(w, light.name);
    chunk_begin(w, chunk_id::light);
    chunk_f32s(w, {light.position[0], light.position[1], light.position[2]});
    write_float_colour(w, chunk_id::colour_float, light.colour);
    if (light.off) chunk_empty(w, chunk_id::light_off);
    if (light.spot) {
        chunk_begin(w, chunk_id::spotlight);
        chunk_f32s(
            w, {light.target[0], light.target[1], light.target[2], light.hotspot, light.falloff});
        chunk_end(w);
    }
    if (light.ray_shadows) chunk_empty(w, chunk_id::ray_shadows);
    write_float_chunk(w, chunk_id::inner_range, light.inner_range);
    write_float_chunk(w, chunk_id::outer_range, light.outer_range);
    write_float_chunk(w, chunk_id::multiplier, light.multiplier);
    chunk_end(w);
    chunk_end(w);
}

void write_camera(ChunkWriter& w, const CameraDesc& camera) {
    chunk_begin(w, chunk_id::named_object);
    chunk_name(w, camera.name);
    chunk_begin(w, chunk_id::camera);
    chunk_f32s(w, {camera.position[0], camera.position[1], camera.position[2]});
    chunk_f32s(w, {camera.target[0], camera.target[1], camera.target[2]});
    chunk_f32s(w, {camera.bank, camera.lens});
    chunk_begin(w, chunk_id::camera_ranges);
    chunk_f32s(w, {1.0f, 1000.0f});
    chunk_end(w);
    chunk_end(w);
    chunk_end(w);
}

void write_node(ChunkWriter& w, const NodeDesc& node) {
    chunk_begin(w, node.kind);
    write_u16_chunk(w, chunk_id::node_id, node.node_id);
    chunk_begin(w, chunk_id::node_header);
    chunk_name(w, node.name);
    chunk_u16(w, 0x4000); // flags: node shown in the track view
    chunk_u16(w, 0);
    chunk_u16(w, node.parent);
    chunk_end(w);
    if (!node.instance_name.empty())
        write_name_chunk(w, chunk_id::instance_name, node.instance_name);
    if (node.has_pivot) {
        chunk_begin(w, chunk_id::pivot);
        chunk_f32s(w, {0, 0, 0});
        chunk_end(w);
    }
    for (const TrackDesc& track : node.tracks)
        write_track(w, track);
    chunk_end(w);
}
