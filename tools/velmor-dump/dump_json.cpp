#include "dump_json.h"

#include <cinttypes>
#include <cmath>
#include <cstdio>

namespace {

void put(std::string& out, const char* text) {
    out += text;
}

void put_float(std::string& out, float value) {
    if (std::isnan(value)) return put(out, "\"nan\"");
    if (std::isinf(value)) return put(out, value > 0 ? "\"inf\"" : "\"-inf\"");
    char text[32];
    std::snprintf(text, sizeof text, "%.9g", (double)value);
    out += text;
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

void put_floats(std::string& out, const float* values, int count) {
    out += '[';
    for (int i = 0; i < count; ++i) {
        if (i) out += ", ";
        put_float(out, values[i]);
    }
    out += ']';
}

void put_key(std::string& out, const char* indent, const char* key) {
    out += indent;
    put_string(out, key);
    out += ": ";
}

// "key": [row, row, ...] with one row per line; row(i, out) writes row i.
template <typename Row>
void put_rows(std::string& out, const char* indent, const char* key, int32_t count, Row row) {
    put_key(out, indent, key);
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
        o += '[';
        bool first = true;
        for (const float* a : arrays) {
            if (!first) o += ", ";
            first = false;
            put_float(o, a[k]);
        }
        o += ']';
    });
}

// Index of a corner in its object's vertices; -1 for a corner left in an
// array that a later vertex list replaced.
int64_t corner_index(const SceneObject& o, const SceneVertex* corner) {
    if (!o.vertices || corner < o.vertices || corner >= o.vertices + o.vertex_count) return -1;
    return corner - o.vertices;
}

void put_object(std::string& out, const SceneObject& o) {
    const char* in = "    ";
    out += "  {";
    put(out, "\"name\": ");
    put_string(out, o.name);
    put(out, ", \"node_id\": ");
    put_int(out, o.node_id);
    put(out, ", \"parent_id\": ");
    put_int(out, o.parent_id);
    put(out, ",\n");
    put_key(out, in, "matrix");
    put_floats(out, o.matrix.m, 16);
    put(out, ",\n");
    put_rows(out, in, "vertices", o.vertex_count, [&](int32_t i, std::string& s) {
        const SceneVertex& v = o.vertices[i];
        const float values[8] = {v.x, v.y, v.z, v.u, v.v, v.nx, v.ny, v.nz};
        put_floats(s, values, 8);
    });
    put(out, ",\n");
    put_rows(out, in, "faces", o.face_count, [&](int32_t i, std::string& s) {
        const SceneFace& f = o.faces[i];
        s += '[';
        for (int c = 0; c < 3; ++c) {
            put_int(s, corner_index(o, f.corners[c]));
            s += ", ";
        }
        put_int(s, f.material);
        const float plane[4] = {f.plane.a, f.plane.b, f.plane.c, f.plane.d};
        for (float p : plane) {
            s += ", ";
            put_float(s, p);
        }
        s += ']';
    });
    put(out, ",\n");
    put_track(out, in, "position_keys", o.position_key_count,
              {o.position_frames, o.position_x, o.position_y, o.position_z});
    put(out, ",\n");
    put_track(out, in, "rotation_keys", o.rotation_key_count,
              {o.rotation_frames, o.rotation_angle, o.rotation_axis_x, o.rotation_axis_y,
               o.rotation_axis_z});
    put(out, "}");
}

void put_camera(std::string& out, const SceneCamera& c) {
    const char* in = "    ";
    out += "  {";
    put(out, "\"name\": ");
    put_string(out, c.name);
    put(out, ", \"position\": ");
    put_floats(out, c.position, 3);
    put(out, ", \"target\": ");
    put_floats(out, c.target, 3);
    put(out, ", \"bank\": ");
    put_float(out, c.bank);
    put(out, ", \"lens\": ");
    put_float(out, c.lens);
    put(out, ",\n");
    put_key(out, in, "matrix");
    put_floats(out, c.matrix.m, 16);
    put(out, ",\n");
    put_track(out, in, "position_keys", c.position_key_count,
              {c.position_frames, c.position_x, c.position_y, c.position_z});
    put(out, ",\n");
    put_track(out, in, "target_keys", c.target_key_count,
              {c.target_frames, c.target_x, c.target_y, c.target_z});
    put(out, "}");
}

void put_light(std::string& out, const SceneLight& l) {
    out += "  {";
    put(out, "\"name\": ");
    put_string(out, l.name);
    put(out, ", \"is_spot\": ");
    put_int(out, l.is_spot);
    put(out, ", \"is_off\": ");
    put_int(out, l.is_off);
    put(out, ", \"ray_shadows\": ");
    put_int(out, l.ray_shadows);
    put(out, ", \"position\": ");
    put_floats(out, l.position, 3);
    put(out, ", \"spot_target\": ");
    put_floats(out, l.spot_target, 3);
    const struct {
        const char* key;
        float value;
    } values[] = {{"hotspot", l.hotspot},
                  {"falloff", l.falloff},
                  {"inner_range", l.inner_range},
                  {"outer_range", l.outer_range},
                  {"multiplier", l.multiplier}};
    for (const auto& v : values) {
        put(out, ", ");
        put_string(out, v.key);
        put(out, ": ");
        put_float(out, v.value);
    }
    put(out, ", \"colour\": ");
    put_floats(out, l.colour, 3);
    put(out, ", \"colour255\": [");
    for (int i = 0; i < 3; ++i) {
        if (i) out += ", ";
        put_int(out, l.colour255[i]);
    }
    put(out, "]}");
}

template <typename Record, typename Put>
void put_records(std::string& out, const char* key, const Record* records, int32_t count,
                 Put put_one) {
    put_key(out, " ", key);
    out += '[';
    for (int32_t i = 0; i < count; ++i) {
        out += i ? ",\n" : "\n";
        put_one(out, records[i]);
    }
    out += ']';
}

} // namespace

void dump_scene_json(const Scene& scene, std::string& out) {
    put(out, "{\"start_frame\": ");
    put_int(out, scene.start_frame);
    put(out, ", \"end_frame\": ");
    put_int(out, scene.end_frame);
    put(out, ",\n");
    put_records(out, "objects", scene.objects, scene.object_count, put_object);
    put(out, ",\n");
    put_records(out, "cameras", scene.cameras, scene.camera_count, put_camera);
    put(out, ",\n");
    put_records(out, "lights", scene.lights, scene.light_count, put_light);
    put(out, ",\n");
    put_records(out, "materials", scene.materials, scene.material_count,
                [](std::string& o, const SceneMaterial& m) {
                    o += "  {\"name\": ";
                    put_string(o, m.name);
                    o += '}';
                });
    put(out, "}\n");
}
