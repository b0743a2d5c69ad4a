// scene_load: the file read into memory, two walks over it, the first counting
// the records and the second filling them, then the face planes, vertex normals
// and camera matrices. Also the failure reason, the allocations within the
// loader's budget and scene_free.
#include <cerrno>
#include <cstdarg>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "scene/loader.h"

LoaderState loader;
KeyframerState keyframer;

namespace {

char failure_reason[512];

// The Scene handed out is the first member of this block, so scene_free finds
// the vertex arrays that a second vertex list replaced.
struct SceneAllocation {
    Scene scene;
    void** retired;
    size_t retired_count;
};

SceneAllocation* allocation_of(Scene* scene) {
    return reinterpret_cast<SceneAllocation*>(scene);
}

void set_reason(const char* format, va_list args, const char* prefix_format, ...) {
    va_list prefix_args;
    va_start(prefix_args, prefix_format);
    int written = std::vsnprintf(failure_reason, sizeof failure_reason, prefix_format, prefix_args);
    va_end(prefix_args);
    size_t used = written < 0 ? 0 : (size_t)written;
    if (used >= sizeof failure_reason) used = sizeof failure_reason - 1;
    std::vsnprintf(failure_reason + used, sizeof failure_reason - used, format, args);
}

const char* file_for_messages() {
    static char buffer[200];
    return printable_text(loader.file_name ? loader.file_name : "", buffer, sizeof buffer);
}

void free_tracks(float* const* tracks, int count) {
    for (int i = 0; i < count; ++i)
        std::free(tracks[i]);
}

void free_object(SceneObject& o) {
    std::free(o.name);
    std::free(o.vertices);
    std::free(o.faces);
    std::free(o.smoothing_groups);
    std::free(o.corner_normals);
    float* tracks[] = {o.position_frames, o.position_x,      o.position_y,
                       o.position_z,      o.rotation_frames, o.rotation_angle,
                       o.rotation_axis_x, o.rotation_axis_y, o.rotation_axis_z};
    free_tracks(tracks, 9);
}

void free_camera(SceneCamera& c) {
    std::free(c.name);
    float* tracks[] = {c.target_frames,   c.target_x,   c.target_y,   c.target_z,
                       c.position_frames, c.position_x, c.position_y, c.position_z};
    free_tracks(tracks, 8);
}

void reset_state(const char* file_name) {
    loader = LoaderState{};
    keyframer = KeyframerState{};
    loader.file_name = file_name;
    failure_reason[0] = '\0';
}

// A chunk's length is a signed 32-bit number, so a 3DS file is shorter than
// 2 GiB; a longer one is refused before it takes that much memory.
constexpr int64_t MAX_FILE_BYTES = INT32_MAX;

int64_t size_of(FILE* stream) {
#if defined(_WIN32)
    if (_fseeki64(stream, 0, SEEK_END) != 0) return -1;
    int64_t size = _ftelli64(stream);
#else
    if (fseeko(stream, 0, SEEK_END) != 0) return -1;
    int64_t size = (int64_t)ftello(stream);
#endif
    std::rewind(stream);
    return size;
}

// The whole file into memory, once for both walks.
bool read_whole(FILE* stream, ByteReader& file) {
    // A folder opens, but tells no true size and cannot be read.
    if (std::fgetc(stream) == EOF && std::ferror(stream)) return loader_fail_at(0, "read error");
    int64_t size = size_of(stream);
    if (size < 0) return loader_fail_at(-1, "cannot find the file size");
    if (size > MAX_FILE_BYTES)
        return loader_fail_at(-1, "%lld bytes: a 3DS file is shorter than 2 GiB", (long long)size);
    uint8_t* data = (uint8_t*)std::malloc(size == 0 ? 1 : (size_t)size);
    if (!data)
        return loader_fail_at(-1, "out of memory for the file's %lld bytes", (long long)size);
    file = {data, (int64_t)std::fread(data, 1, (size_t)size, stream), 0};
    if (std::ferror(stream)) return loader_fail_at(-1, "read error");
    return true;
}

bool read_file(const char* file_name, ByteReader& file) {
    FILE* stream = std::fopen(file_name, "rb");
    if (!stream) return loader_fail_at(-1, "cannot open: %s", std::strerror(errno));
    bool ok = read_whole(stream, file);
    std::fclose(stream);
    return ok;
}

// One walk over the whole file.
bool run_pass(ByteReader file) {
    int64_t headers_per_level = file.size / 6 + 1;
    loader.headers_left = MAX_CHUNK_DEPTH * headers_per_level;
    return chunk_walk(file, file.size);
}

bool allocate_records(Scene& s) {
    s.materials = (SceneMaterial*)allocate_cleared((size_t)s.material_count, sizeof(SceneMaterial));
    s.objects = (SceneObject*)allocate_cleared((size_t)s.object_count, sizeof(SceneObject));
    s.cameras = (SceneCamera*)allocate_cleared((size_t)s.camera_count, sizeof(SceneCamera));
    s.lights = (SceneLight*)allocate_cleared((size_t)s.light_count, sizeof(SceneLight));
    if (s.materials && s.objects && s.cameras && s.lights) return true;
    loader_fail_at(-1, "out of memory for %d objects, %d cameras, %d lights, %d materials",
                   s.object_count, s.camera_count, s.light_count, s.material_count);
    return false;
}

bool post_process(Scene& s) {
    for (int32_t i = 0; i < s.object_count; ++i) {
        scene_compute_face_planes(s.objects[i]);
        if (!scene_compute_vertex_normals(s.objects[i])) {
            loader_fail_at(-1, "out of memory for the vertex normals of object %d", i);
            return false;
        }
        if (!scene_compute_shading(s.objects[i])) {
            loader_fail_at(-1, "out of memory for the shading of object %d", i);
            return false;
        }
    }
    for (int32_t i = 0; i < s.camera_count; ++i)
        scene_build_camera_matrix(s.cameras[i]);
    return true;
}

Scene* load(const ByteReader& file, SceneAllocation* block) {
    Scene* scene = &block->scene;
    loader.loading_scene = scene;
    loader.counting_pass = true;
    if (!run_pass(file)) return nullptr;
    if (!allocate_records(*scene) || !name_indexes_allocate(*scene)) return nullptr;

    loader.counting_pass = false;
    const int64_t slack = 64 << 20, factor = 16;
    loader.array_bytes_left = factor * file.size + slack;
    loader.next_object = loader.next_camera = loader.next_material = loader.next_light = 0;
    if (!run_pass(file)) return nullptr;
    if (!post_process(*scene)) return nullptr;
    return scene;
}

} // namespace

bool loader_fail(const char* format, ...) {
    va_list args;
    va_start(args, format);
    set_reason(format, args, "%s: chunk 0x%04X at offset %lld: ", file_for_messages(),
               loader.chunk_id, (long long)loader.chunk_offset);
    va_end(args);
    return false;
}

bool loader_fail_at(int64_t offset, const char* format, ...) {
    va_list args;
    va_start(args, format);
    if (offset < 0)
        set_reason(format, args, "%s: ", file_for_messages());
    else
        set_reason(format, args, "%s: offset %lld: ", file_for_messages(), (long long)offset);
    va_end(args);
    return false;
}

bool loader_retire_block(void* block) {
    SceneAllocation* a = allocation_of(loader.loading_scene);
    void** grown = (void**)std::realloc(a->retired, (a->retired_count + 1) * sizeof(void*));
    if (!grown) return false;
    a->retired = grown;
    a->retired[a->retired_count++] = block;
    return true;
}

Scene* scene_load(const char* file_name) {
    reset_state(file_name);
    SceneAllocation* block = (SceneAllocation*)std::calloc(1, sizeof(SceneAllocation));
    if (!block) {
        loader_fail_at(-1, "out of memory");
        return nullptr;
    }
    ByteReader file{};
    Scene* scene = read_file(file_name, file) ? load(file, block) : nullptr;
    std::free((void*)file.data);
    loader_release_material_names();
    name_indexes_free();
    // The program never frees a scene; tools, tests and the fuzzer need a
    // failed load to leave nothing behind.
    if (!scene) scene_free(&block->scene);
    loader.loading_scene = nullptr;
    loader.current_object = nullptr;
    loader.current_light = nullptr;
    loader.block_material = nullptr;
    return scene;
}

const char* printable_text(const char* text, char* buffer, size_t buffer_size) {
    static const char hex[] = "0123456789ABCDEF";
    char* out = buffer;
    char* last = buffer + buffer_size - 5; // room for one escaped byte and the NUL
    for (const unsigned char* p = (const unsigned char*)text; *p && out <= last; ++p) {
        if (*p >= 0x20 && *p < 0x7F) {
            *out++ = (char)*p;
        } else {
            *out++ = '\\';
            *out++ = 'x';
            *out++ = hex[*p >> 4];
            *out++ = hex[*p & 15];
        }
    }
    *out = '\0';
    return buffer;
}

void* allocate_cleared(size_t count, size_t size) {
    if (size != 0 && count > SIZE_MAX / size) return nullptr;
    return std::calloc(count == 0 ? 1 : count, size);
}

void* allocate_array(size_t count, size_t size, const char* what) {
    int64_t bytes = (int64_t)(count * size); // at most 65535 records of a few dozen bytes
    if (bytes > loader.array_bytes_left) {
        loader_fail("%s of %zu: the lists of this file claim far more memory than its size can "
                    "describe",
                    what, count);
        return nullptr;
    }
    loader.array_bytes_left -= bytes;
    void* array = allocate_cleared(count, size);
    if (!array) loader_fail("out of memory for a %s of %zu", what, count);
    return array;
}

const char* scene_error() {
    return failure_reason;
}

void scene_free(Scene* scene) {
    if (!scene) return;
    for (int32_t i = 0; scene->objects && i < scene->object_count; ++i)
        free_object(scene->objects[i]);
    for (int32_t i = 0; scene->cameras && i < scene->camera_count; ++i)
        free_camera(scene->cameras[i]);
    for (int32_t i = 0; scene->lights && i < scene->light_count; ++i)
        std::free(scene->lights[i].name);
    for (int32_t i = 0; scene->materials && i < scene->material_count; ++i)
        std::free(scene->materials[i].name);
    std::free(scene->objects);
    std::free(scene->cameras);
    std::free(scene->lights);
    std::free(scene->materials);
    SceneAllocation* block = allocation_of(scene);
    for (size_t i = 0; i < block->retired_count; ++i)
        std::free(block->retired[i]);
    std::free(block->retired);
    std::free(block);
}
