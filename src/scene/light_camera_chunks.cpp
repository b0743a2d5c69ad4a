// Handlers of the light, light colour and camera chunks, and the camera
// matrix built from the keyframer tracks after loading.
#include <cmath>

#include "scene/loader.h"

namespace {

// The light that the spotlight, range, multiplier, off and shadow chunks of
// the filling pass act on; null before the first light.
SceneLight* light_to_fill() {
    return loader.counting_pass ? nullptr : loader.current_light;
}

bool read_light_value(ByteReader& in, float SceneLight::*field) {
    float value = read_f32(in);
    if (SceneLight* light = light_to_fill()) light->*field = value;
    return true;
}

// Float to integer, truncating; out-of-range values saturate and NaN gives 0.
int32_t float_to_int_saturated(float value) {
    if (value != value) return 0;
    if (value >= 2147483648.0f) return INT32_MAX;
    if (value < -2147483648.0f) return INT32_MIN;
    return (int32_t)value;
}

} // namespace

bool read_light(ByteReader& in, int64_t) {
    float p[3];
    read_f32_values(in, p, 3);
    Scene* s = loader.loading_scene;
    SceneLight* light;
    bool ok = take_record(s->lights, s->light_count, loader.next_light, "lights", light);
    if (!light) return ok;
    loader.current_light = light;
    if (!name_record(light->name, "a light")) return false;
    light->position[0] = p[0];
    light->position[1] = p[2];
    light->position[2] = p[1];
    light->is_spot = 0;
    return true;
}

bool read_spotlight(ByteReader& in, int64_t) {
    float v[5]; // target x, y, z, hotspot, falloff
    read_f32_values(in, v, 5);
    SceneLight* light = light_to_fill();
    if (!light) return true;
    light->is_spot = 1;
    light->spot_target[0] = v[0];
    light->spot_target[1] = v[2];
    light->spot_target[2] = v[1];
    light->hotspot = v[3];
    light->falloff = v[4];
    return true;
}

bool read_light_inner_range(ByteReader& in, int64_t) {
    return read_light_value(in, &SceneLight::inner_range);
}

bool read_light_outer_range(ByteReader& in, int64_t) {
    return read_light_value(in, &SceneLight::outer_range);
}

bool read_light_multiplier(ByteReader& in, int64_t) {
    return read_light_value(in, &SceneLight::multiplier);
}

bool read_light_off(ByteReader&, int64_t) {
    if (SceneLight* light = light_to_fill()) light->is_off = 1;
    return true;
}

bool read_light_ray_shadows(ByteReader&, int64_t) {
    if (SceneLight* light = light_to_fill()) light->ray_shadows = 1;
    return true;
}

bool read_float_colour(ByteReader& in, int64_t end) {
    float rgb[3];
    read_f32_values(in, rgb, 3);
    if (loader.counting_pass) return true;
    // Also a material's colour when it stands in its diffuse colour chunk.
    if (loader.chunk_id == CHUNK_COLOR_F) loader_take_float_diffuse(rgb, end);
    // The colour belongs to the light named like the last name read, if any.
    const Scene* s = loader.loading_scene;
    int32_t index =
        find_by_name(loader.name_buffer, s->lights, loader.next_light, loader.light_index);
    if (index < 0) return true;
    SceneLight& light = s->lights[index];
    for (int i = 0; i < 3; ++i) {
        light.colour[i] = rgb[i];
        light.colour255[i] = float_to_int_saturated(rgb[i] * 255.0f);
    }
    return true;
}

bool read_camera(ByteReader& in, int64_t) {
    float v[8]; // position, target, bank, lens
    read_f32_values(in, v, 8);
    Scene* s = loader.loading_scene;
    SceneCamera* camera;
    bool ok = take_record(s->cameras, s->camera_count, loader.next_camera, "cameras", camera);
    if (!camera) return ok;
    // Unlike meshes and lights, camera values keep the file's axes.
    for (int i = 0; i < 3; ++i) {
        camera->position[i] = v[i];
        camera->target[i] = v[3 + i];
    }
    camera->bank = v[6];
    camera->lens = v[7];
    return name_record(camera->name, "a camera");
}

void scene_build_camera_matrix(SceneCamera& camera) {
    float* m = camera.matrix.m;
    matrix_identity(camera.matrix);
    bool has_position = camera.position_key_count >= 1 && camera.position_x && camera.position_y &&
                        camera.position_z;
    if (!has_position) return;
    const float px = camera.position_x[0], py = camera.position_y[0], pz = camera.position_z[0];
    m[12] = px;
    m[13] = py;
    m[14] = pz;
    bool has_target =
        camera.target_key_count >= 1 && camera.target_x && camera.target_y && camera.target_z;
    if (!has_target) return;

    const float dx = camera.target_x[0] - px;
    const float dy = camera.target_y[0] - py;
    const float dz = camera.target_z[0] - pz;
    const float length = std::sqrt(dx * dx + dy * dy + dz * dz);
    if (length == 0.0f) return; // no direction: the rotation stays the identity
    const float fx = dx / length, fy = dy / length, fz = dz / length;
    const float side_length = std::sqrt(fx * fx + fz * fz);
    if (side_length == 0.0f) return; // looking straight up or down
    // Row 1 is f x row 0 before its own normalisation.
    const float ux = fx * fy, uy = -(fx * fx + fz * fz), uz = fy * fz;
    const float up_length = std::sqrt(ux * ux + uy * uy + uz * uz);
    if (up_length == 0.0f) return;

    m[0] = -fz / side_length;
    m[1] = 0.0f / side_length;
    m[2] = fx / side_length;
    m[4] = ux / up_length;
    m[5] = uy / up_length;
    m[6] = uz / up_length;
    m[8] = fx;
    m[9] = fy;
    m[10] = fz;
}
