#include "dump_json.h"

#include <cinttypes>
#include <cmath>
#include <cstdio>

namespace {

void put_float(std::string& out, float value) {
    if (std::isnan(value)) {
        out += "\"nan\"";
    } else if (std::isinf(value)) {
        out += value > 0 ? "\"inf\"" : "\"-inf\"";
    } else {
        char text[32];
        std::snprintf(text, sizeof text, "%.9g", (double)value);
        out += text;
    }
}

void put_int(std::string& out, int64_t value) {
    char text[24];
    std::snprintf(text, sizeof text, "%" PRId64, value);
    out += text;
}

void put_string(std::string& out, const char* text) {
    static const char hex[] = "0123456789abcdef";
    out += '"';
    for (const unsigned char* p = (const unsigned char*)(text ? text : ""); *p; ++p) {
        if (*p == '"' || *p == '\\') {
            out += '\\';
            out += (char)*p;
        } else if (*p >= 0x20 && *p < 0x7F) {
            out += (char)*p;
        } else {
            out += "\\u00";
            out += hex[*p >> 4];
            out += hex[*p & 15];
        }
    }
    out += '"';
}

// [item(0), item(1), ...] on one line; item(i) writes entry i.
template <typename Item> void put_list(std::string& out, int count, Item item) {
    out += '[';
    for (int i = 0; i < count; ++i) {
        if (i) out += ", ";
        item(i);
    }
    out += ']';
}

void put_floats(std::string& out, const float* values, int count) {
    put_list(out, count, [&](int i) { put_float(out, values[i]); });
}

// The opening of a JSON object and its first key.
void put_first_key(std::string& out, const char* opening, const char* key) {
    out += opening;
    put_string(out, key);
    out += ": ";
}

// A further key on the same line.
void put_key(std::string& out, const char* key) {
    out += ", ";
    put_string(out, key);
    out += ": ";
}

// A further key on a line of its own.
void put_key_on_line(std::string& out, const char* indent, const char* key) {
    out += ",\n";
    out += indent;
    put_string(out, key);
    out += ": ";
}

void put_int_member(std::string& out, const char* key, int64_t value) {
    put_key(out, key);
    put_int(out, value);
}

void put_float_member(std::string& out, const char* key, float value) {
    put_key(out, key);
    put_float(out, value);
}

void put_floats_member(std::string& out, const char* key, const float* values, int count) {
    put_key(out, key);
    put_floats(out, values, count);
}

// "key": [row, row, ...] with one row per line; row(i, out) writes row i.
template <typename Row>
void put_rows(std::string& out, const char* indent, const char* key, int32_t count, Row row) {
    put_key_on_line(out, indent, key);
    out += '[';
    for (int32_t i = 0; i < count; ++i) {
        out += i ? ",\n" : "\n";
        out += indent;
        out += "  ";
        row(i, out);
    }
    out += ']';
}

// Key tracks: [frame, value...] per key; a missing track has no keys.
void put_track(std::string& out, const char* indent, const char* key, int32_t count,
               std::initializer_list<const float*> arrays) {
    for (const float* a : arrays)
        if (!a) count = 0;
    put_rows(out, indent, key, count, [&](int32_t k, std::string& o) {
        put_list(o, (int)arrays.size(), [&](int i) { put_float(o, arrays.begin()[i][k]); });
    });
}

// Index of a corner in its object's vertices; -1 for a corner left in an
// array that a later vertex list replaced.
int64_t corner_index(const SceneObject& o, const SceneVertex* corner) {
    if (!o.vertices || corner < o.vertices || corner >= o.vertices + o.vertex_count) return -1;
    return corner - o.vertices;
}

// Records open on a line of their own; their longer members follow on lines
// indented by this much.
constexpr const char* member_indent = "    ";

void put_object(std::string& out, const SceneObject& o) {
    put_first_key(out, "  {", "name");
    put_string(out, o.name);
    put_int_member(out, "node_id", o.node_id);
    put_int_member(out, "parent_id", o.parent_id);
    put_key_on_line(out, member_indent, "matrix");
    put_floats(out, o.matrix.m, 16);
    put_rows(out, member_indent, "vertices", o.vertex_count, [&](int32_t i, std::string& s) {
        const SceneVertex& v = o.vertices[i];
        const float values[8] = {v.x, v.y, v.z, v.u, v.v, v.nx, v.ny, v.nz};
        put_floats(s, values, 8);
    });
    put_rows(out, member_indent, "faces", o.face_count, [&](int32_t i, std::string& s) {
        const SceneFace& f = o.faces[i];
        s += '[';
        for (int c = 0; c < 3; ++c) {
            put_int(s, corner_index(o, f.corners[c]));
            s += ", ";
        }
        put_int(s, f.material_read_before);
        const float plane[4] = {f.plane.a, f.plane.b, f.plane.c, f.plane.d};
        for (float p : plane) {
            s += ", ";
            put_float(s, p);
        }
        s += ']';
    });
    put_track(out, member_indent, "position_keys", o.position_key_count,
              {o.position_frames, o.position_x, o.position_y, o.position_z});
    put_track(out, member_indent, "rotation_keys", o.rotation_key_count,
              {o.rotation_frames, o.rotation_angle, o.rotation_axis_x, o.rotation_axis_y,
               o.rotation_axis_z});
    out += '}';
}

void put_camera(std::string& out, const SceneCamera& c) {
    put_first_key(out, "  {", "name");
    put_string(out, c.name);
    put_floats_member(out, "position", c.position, 3);
    put_floats_member(out, "target", c.target, 3);
    put_float_member(out, "bank", c.bank);
    put_float_member(out, "lens", c.lens);
    put_key_on_line(out, member_indent, "matrix");
    put_floats(out, c.matrix.m, 16);
    put_track(out, member_indent, "position_keys", c.position_key_count,
              {c.position_frames, c.position_x, c.position_y, c.position_z});
    put_track(out, member_indent, "target_keys", c.target_key_count,
              {c.target_frames, c.target_x, c.target_y, c.target_z});
    out += '}';
}

void put_light(std::string& out, const SceneLight& l) {
    put_first_key(out, "  {", "name");
    put_string(out, l.name);
    put_int_member(out, "is_spot", l.is_spot);
    put_int_member(out, "is_off", l.is_off);
    put_int_member(out, "ray_shadows", l.ray_shadows);
    put_floats_member(out, "position", l.position, 3);
    put_floats_member(out, "spot_target", l.spot_target, 3);
    put_float_member(out, "hotspot", l.hotspot);
    put_float_member(out, "falloff", l.falloff);
    put_float_member(out, "inner_range", l.inner_range);
    put_float_member(out, "outer_range", l.outer_range);
    put_float_member(out, "multiplier", l.multiplier);
    put_floats_member(out, "colour", l.colour, 3);
    put_key(out, "colour255");
    put_list(out, 3, [&](int i) { put_int(out, l.colour255[i]); });
    out += '}';
}

void put_material(std::string& out, const SceneMaterial& m) {
    put_first_key(out, "  {", "name");
    put_string(out, m.name);
    if (m.has_diffuse) {
        put_key(out, "diffuse");
        put_list(out, 3, [&](int i) { put_int(out, m.diffuse[i]); });
    }
    out += '}';
}

// "key": [record, record, ...], each record on lines of its own.
template <typename Record, typename Put>
void put_records(std::string& out, const char* key, const Record* records, int32_t count,
                 Put put_one) {
    put_key_on_line(out, " ", key);
    out += '[';
    for (int32_t i = 0; i < count; ++i) {
        out += i ? ",\n" : "\n";
        put_one(out, records[i]);
    }
    out += ']';
}

} // namespace

void dump_scene_json(const Scene& scene, std::string& out) {
    put_first_key(out, "{", "start_frame");
    put_int(out, scene.start_frame);
    put_int_member(out, "end_frame", scene.end_frame);
    put_records(out, "objects", scene.objects, scene.object_count, put_object);
    put_records(out, "cameras", scene.cameras, scene.camera_count, put_camera);
    put_records(out, "lights", scene.lights, scene.light_count, put_light);
    put_records(out, "materials", scene.materials, scene.material_count, put_material);
    out += "}\n";
}
