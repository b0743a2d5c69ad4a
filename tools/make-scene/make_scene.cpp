// make-scene OUT.3ds: writes the default scene, the same bytes on every run.
//
// The program turns every object about the world origin, so the shapes are
// nested shells around it (a faceted sphere in a box frame, a gear, a torus
// and a knot round them): shells that do not overlap never cut through each
// other, however the objects turn. The file also carries a material library,
// lights, a camera and a keyframer section laid out as a modelling program
// writes them, so that loading it exercises every kind of chunk the loader reads.
#include <algorithm>
#include <cstdio>
#include <exception>

#include "chunkwriter/chunk_writer.h"
#include "mesh.h"
#include "scene_writer.h"

namespace {

constexpr double OUTER_LIMIT = 70.0; // the fixed view keeps everything within this radius
constexpr uint16_t NO_PARENT = 0xFFFF;
constexpr float CAMERA_HEIGHT = 75.0f,
                CAMERA_BACK = -129.903811f; // 150 from the origin, 30 deg down

MaterialDesc material(const char* name, Rgb ambient, Rgb diffuse, Rgb specular, uint16_t shininess,
                      uint16_t strength) {
    return {name, ambient, diffuse, specular, shininess, strength, 0.0f, false, false, {}};
}

std::vector<MaterialDesc> materials() {
    MaterialDesc chalk = material("Chalk", {64, 64, 64}, {255, 255, 255}, {255, 255, 255}, 60, 70);
    chalk.transparency_falloff = 12.5f;
    chalk.two_sided = chalk.soften = true;
    chalk.maps = {{CHUNK_MAT_TEXTURE_MAP, "MARBLE.GIF", 100, 2.0f, 2.0f, 0.0f},
                  {CHUNK_MAT_BUMP_MAP, "PITS.GIF", 30, 4.0f, 4.0f, 45.0f}};
    MaterialDesc steel = material("Steel", {45, 45, 50}, {180, 180, 200}, {255, 255, 255}, 80, 90);
    steel.maps = {{CHUNK_MAT_REFLECTION_MAP, "CHROMIC.JPG", 40, 1.0f, 1.0f, 0.0f}};
    return {
        material("Rose", {64, 25, 37}, {255, 100, 150}, {230, 230, 230}, 40, 50),
        material("Violet", {37, 25, 64}, {150, 100, 255}, {230, 230, 230}, 40, 50),
        material("Lime", {20, 64, 2}, {80, 255, 10}, {200, 200, 200}, 25, 30),
        chalk,
        steel,
    };
}

Mesh turned(Mesh mesh, double about_x, double about_z) {
    mesh_turn(mesh, about_x, about_z);
    return mesh;
}

// Index order sets each object's colour and turning speed in the program.
std::vector<ObjectDesc> objects() {
    return {
        {"Frame", turned(make_box_frame(10.5, 2.2), 20, 30), {"Rose", "Steel"}, 0, 1, false},
        {"Torus", turned(make_torus(32.5, 3, 40, 16), 10, 0), {"Violet"}, 1, 2, false},
        {"Gear", turned(make_gear(20.5, 24.5, 28, 2.5, 24), 90, 0), {"Lime"}, 0, 3, false},
        {"Sphere", make_faceted_sphere(8, 2), {"Chalk"}, 0, 4, true},
        {"Knot", turned(make_knot(52, 11.5, 4, 200, 12), 50, 0), {"Rose"}, 1, 1, false},
    };
}

std::vector<LightDesc> lights() {
    LightDesc fill = {
        "Fill", {-90, -80, 110}, {0.55f, 0.6f, 0.75f}, true, false, false, {0, 0, 0}, 0, 0, 80, 300,
        0.6f};
    LightDesc key = {
        "Key", {100, -120, 130}, {1.0f, 0.9f, 0.8f}, false, true, true, {0, 0, 0}, 28, 40, 120, 400,
        1.25f};
    return {fill, key};
}

CameraDesc camera() {
    return {"Camera01", {0, CAMERA_BACK, CAMERA_HEIGHT}, {0, 0, 0}, 0, 18};
}

Key key3(uint32_t frame, uint16_t flags, float x, float y, float z) {
    return {frame, flags, {x, y, z}};
}

Key key4(uint32_t frame, uint16_t flags, float angle, float x, float y, float z) {
    return {frame, flags, {angle, x, y, z}};
}

// A node of a mesh object: still at the origin, one turn about an axis over the segment.
NodeDesc mesh_node(uint16_t id, const std::string& name, uint16_t parent, float turns, float ax,
                   float ay, float az) {
    const uint16_t tcb = KEY_TENSION | KEY_CONTINUITY | KEY_BIAS;
    return {CHUNK_OBJECT_NODE,
            id,
            name,
            parent,
            "",
            true,
            {{CHUNK_POSITION_TRACK, {key3(0, KEY_TENSION, 0, 0, 0)}},
             {CHUNK_ROTATION_TRACK,
              {key4(0, 0, 0, ax, ay, az), key4(100, tcb, turns * 6.2831855f, ax, ay, az)}},
             {CHUNK_SCALE_TRACK, {key3(0, KEY_EASE_TO | KEY_EASE_FROM, 1, 1, 1)}}}};
}

std::vector<NodeDesc> nodes() {
    const std::vector<LightDesc> scene_lights = lights();
    const float* fill = scene_lights[0].position;
    const float* key = scene_lights[1].position;
    std::vector<NodeDesc> list;
    list.push_back({CHUNK_AMBIENT_NODE,
                    0,
                    "$AMBIENT$",
                    NO_PARENT,
                    "",
                    false,
                    {{CHUNK_COLOR_TRACK, {key3(0, 0, 0.1f, 0.1f, 0.12f)}}}});
    list.push_back({CHUNK_OBJECT_NODE,
                    1,
                    "$$$DUMMY",
                    NO_PARENT,
                    "Gimbal",
                    true,
                    {{CHUNK_POSITION_TRACK, {key3(0, 0, 0, 0, 0)}},
                     {CHUNK_ROTATION_TRACK, {key4(0, 0, 0, 0, 0, 1)}},
                     {CHUNK_SCALE_TRACK, {key3(0, 0, 1, 1, 1)}},
                     {CHUNK_HIDE_TRACK, {{50, 0, {}}}}}});
    list.push_back(mesh_node(2, "Frame", 1, 2.0f, 1, 0, 0));
    NodeDesc torus = mesh_node(3, "Torus", 1, 1.0f, 1, 0, 0);
    torus.tracks[0].keys.push_back(key3(50, KEY_CONTINUITY, 0, 0, 5)); // a little bob
    list.push_back(torus);
    list.push_back(mesh_node(4, "Gear", 1, 0.5f, 1, 0, 0));
    list.push_back(mesh_node(5, "Sphere", 2, 1.0f, 0, 0, 1));
    list.push_back(mesh_node(6, "Knot", NO_PARENT, 0.5f, 0, 0.6f, 0.8f));
    list.push_back({CHUNK_CAMERA_NODE,
                    7,
                    "Camera01",
                    NO_PARENT,
                    "",
                    false,
                    {{CHUNK_POSITION_TRACK, {key3(0, 0, 0, CAMERA_BACK, CAMERA_HEIGHT)}},
                     {CHUNK_FOV_TRACK, {{0, KEY_EASE_TO, {90.0f}}}},
                     {CHUNK_ROLL_TRACK, {{0, KEY_EASE_FROM, {0.0f}}}}}});
    list.push_back({CHUNK_TARGET_NODE,
                    8,
                    "Camera01",
                    NO_PARENT,
                    "",
                    false,
                    {{CHUNK_POSITION_TRACK, {key3(0, 0, 0, 0, 0)}}}});
    list.push_back({CHUNK_LIGHT_NODE,
                    9,
                    "Fill",
                    NO_PARENT,
                    "",
                    false,
                    {{CHUNK_POSITION_TRACK, {key3(0, 0, fill[0], fill[1], fill[2])}},
                     {CHUNK_COLOR_TRACK, {key3(0, 0, 0.55f, 0.6f, 0.75f)}}}});
    list.push_back({CHUNK_SPOTLIGHT_NODE,
                    10,
                    "Key",
                    NO_PARENT,
                    "",
                    false,
                    {{CHUNK_POSITION_TRACK, {key3(0, 0, key[0], key[1], key[2])}},
                     {CHUNK_COLOR_TRACK, {key3(0, 0, 1.0f, 0.9f, 0.8f)}},
                     {CHUNK_ROLL_TRACK, {{0, 0, {0.0f}}}}}});
    list.push_back({CHUNK_LIGHT_TARGET_NODE,
                    11,
                    "Key",
                    NO_PARENT,
                    "",
                    false,
                    {{CHUNK_POSITION_TRACK, {key3(0, 0, 0, 0, 0)}}}});
    return list;
}

void write_viewport_layout(ChunkWriter& w) {
    chunk_begin(w, CHUNK_VIEWPORT_LAYOUT);
    for (int i = 0; i < 7; ++i)
        chunk_u16(w, 0);
    chunk_begin(w, CHUNK_VIEWPORT_DATA);
    for (uint16_t v : {0, 0, 512, 384})
        chunk_u16(w, v);
    chunk_end(w);
    chunk_end(w);
}

void write_editor(ChunkWriter& w, const std::vector<ObjectDesc>& meshes) {
    static const float black[3] = {0, 0, 0}, ambient[3] = {0.1f, 0.1f, 0.12f};
    chunk_begin(w, CHUNK_EDITOR);
    chunk_begin(w, CHUNK_MESH_VERSION);
    chunk_u32(w, 3);
    chunk_end(w);
    for (const MaterialDesc& m : materials())
        write_material(w, m);
    chunk_begin(w, CHUNK_MASTER_SCALE);
    chunk_f32(w, 1.0f);
    chunk_end(w);
    write_viewport_layout(w);
    chunk_begin(w, CHUNK_BACKGROUND_COLOR);
    write_float_colour(w, CHUNK_COLOR_F, black);
    write_float_colour(w, CHUNK_COLOR_F_GAMMA, black);
    chunk_end(w);
    chunk_begin(w, CHUNK_AMBIENT_LIGHT);
    write_float_colour(w, CHUNK_COLOR_F, ambient);
    chunk_end(w);
    for (const ObjectDesc& object : meshes)
        write_mesh_object(w, object);
    for (const LightDesc& light : lights())
        write_light(w, light);
    write_camera(w, camera());
    chunk_end(w);
}

void write_keyframer(ChunkWriter& w) {
    chunk_begin(w, CHUNK_KEYFRAMER);
    chunk_begin(w, CHUNK_KEYFRAMER_HEADER);
    chunk_u16(w, 5);
    chunk_name(w, "Z_Test");
    chunk_u32(w, 100);
    chunk_end(w);
    chunk_begin(w, CHUNK_SEGMENT);
    chunk_u32(w, 0);
    chunk_u32(w, 100);
    chunk_end(w);
    chunk_begin(w, CHUNK_CURRENT_TIME);
    chunk_u32(w, 0);
    chunk_end(w);
    for (const NodeDesc& node : nodes())
        write_node(w, node);
    chunk_end(w);
}

// Every shape must be closed, wound outwards, inside the view's limit, and in a
// shell of its own.
bool check_shapes(const std::vector<ObjectDesc>& meshes) {
    std::vector<std::pair<double, double>> shells;
    bool ok = true;
    for (const ObjectDesc& o : meshes) {
        double lo = mesh_min_radius(o.mesh), hi = mesh_max_radius(o.mesh);
        std::printf("%-7s %5zu vertices %5zu faces  radius %5.1f to %5.1f\n", o.name.c_str(),
                    o.mesh.vertices.size(), o.mesh.faces.size(), lo, hi);
        if (!mesh_is_closed(o.mesh) || mesh_volume(o.mesh) <= 0 || hi > OUTER_LIMIT) {
            std::fprintf(stderr, "make-scene: %s is open, inside out or too large\n",
                         o.name.c_str());
            ok = false;
        }
        shells.push_back({lo, hi});
    }
    std::sort(shells.begin(), shells.end());
    for (size_t i = 1; i < shells.size(); ++i)
        if (shells[i].first <= shells[i - 1].second) {
            std::fprintf(stderr, "make-scene: two shapes share a shell and would collide\n");
            ok = false;
        }
    return ok;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: make-scene OUT.3ds\n");
        return 2;
    }
    try {
        std::vector<ObjectDesc> meshes = objects();
        if (!check_shapes(meshes)) return 1;
        ChunkWriter w;
        chunk_begin(w, CHUNK_MAIN);
        chunk_begin(w, CHUNK_VERSION);
        chunk_u32(w, 3);
        chunk_end(w);
        write_editor(w, meshes);
        write_keyframer(w);
        chunk_end(w);
        if (!chunk_write_file(w, argv[1])) {
            std::fprintf(stderr, "make-scene: cannot write %s\n", argv[1]);
            return 1;
        }
    } catch (const std::exception& e) {
        std::fprintf(stderr, "make-scene: %s\n", e.what());
        return 1;
    }
    return 0;
}
