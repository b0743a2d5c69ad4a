// scene_load reads a file by name, so every input goes through one temporary
// file of this process. A loaded scene is checked for the promises the rest
// of the program relies on, then freed.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>

#include "scene/scene.h"

namespace {

std::string temporary_path;

void remove_temporary() {
    unlink(temporary_path.c_str());
}

const char* input_path() {
    if (temporary_path.empty()) {
        const char* dir = access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp";
        std::string pattern = std::string(dir) + "/fuzz_scene_load.XXXXXX";
        int fd = mkstemp(&pattern[0]);
        if (fd < 0) std::abort();
        close(fd);
        temporary_path = pattern;
        std::atexit(remove_temporary);
    }
    return temporary_path.c_str();
}

void require(bool condition) {
    if (!condition) std::abort();
}

void check_object(const SceneObject& o) {
    require(o.name != nullptr);
    require(o.vertex_count >= 0 && o.face_count >= 0);
    require(o.vertex_count == 0 || o.vertices != nullptr);
    require(o.face_count == 0 || o.faces != nullptr);
    for (int32_t f = 0; f < o.face_count; ++f) {
        for (const SceneVertex* corner : o.faces[f].corners)
            require(corner != nullptr);
    }
}

void check_scene(const Scene& s) {
    for (int32_t i = 0; i < s.object_count; ++i)
        check_object(s.objects[i]);
    for (int32_t i = 0; i < s.camera_count; ++i)
        require(s.cameras[i].name != nullptr);
    for (int32_t i = 0; i < s.light_count; ++i)
        require(s.lights[i].name != nullptr);
    for (int32_t i = 0; i < s.material_count; ++i)
        require(s.materials[i].name != nullptr);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const char* path = input_path();
    FILE* f = std::fopen(path, "wb");
    if (!f) std::abort();
    if (size > 0 && std::fwrite(data, 1, size, f) != size) std::abort();
    if (std::fclose(f) != 0) std::abort();

    Scene* scene = scene_load(path);
    if (scene) {
        check_scene(*scene);
        scene_free(scene);
    } else {
        require(scene_error()[0] != '\0');
    }
    return 0;
}
