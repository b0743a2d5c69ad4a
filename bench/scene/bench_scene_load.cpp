// scene_load on a generated object of 65535 vertices and 65535 faces, on
// generated files of many names looked up by many chunks, and on every file of
// the shared corpus and benchmark scenes.
#include <benchmark/benchmark.h>

#include <dirent.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "chunkwriter/scene_chunks.h"
#include "scene/scene.h"

namespace {

// A bumpy 256 x 256 grid without its last vertex, and the first 65535
// triangles of its cells: every inner position is shared by six faces.
ChunkWriter largest_object() {
    const int side = 256, vertex_count = 65535, face_count = 65535;
    std::vector<float> positions;
    for (int i = 0; i < vertex_count; ++i) {
        float x = (float)(i % side), z = (float)(i / side);
        positions.insert(positions.end(), {x, z, std::sin(x * 0.1f) * std::cos(z * 0.1f) * 4.0f});
    }
    std::vector<uint16_t> corners;
    for (int cell = 0; (int)corners.size() < 3 * face_count; ++cell) {
        int x = cell % (side - 1), z = cell / (side - 1);
        uint16_t a = (uint16_t)(z * side + x), b = (uint16_t)(a + 1), c = (uint16_t)(a + side),
                 d = (uint16_t)(c + 1);
        corners.insert(corners.end(), {a, b, c});
        if ((int)corners.size() < 3 * face_count) corners.insert(corners.end(), {b, d, c});
    }
    ChunkWriter w;
    chunk_begin(w, CHUNK_MAIN);
    chunk_begin(w, CHUNK_EDITOR);
    chunk_material(w, "Grey");
    chunk_mesh_object(w, "Grid", positions, corners, "Grey");
    chunk_end(w);
    chunk_end(w);
    return w;
}

// count materials, and an object of count faces each given its own material by
// a face material chunk: count lookups by name among count materials.
ChunkWriter many_names(int count) {
    ChunkWriter w;
    chunk_begin(w, CHUNK_MAIN);
    chunk_begin(w, CHUNK_EDITOR);
    for (int i = 0; i < count; ++i)
        chunk_material(w, "Material" + std::to_string(i));
    chunk_begin(w, CHUNK_NAMED_OBJECT);
    chunk_name(w, "Faces");
    chunk_begin(w, CHUNK_TRIANGLE_MESH);
    chunk_begin(w, CHUNK_VERTEX_LIST);
    chunk_u16(w, 3);
    chunk_f32s(w, {0, 0, 0, 1, 0, 0, 0, 1, 0});
    chunk_end(w);
    chunk_begin(w, CHUNK_FACE_LIST);
    chunk_u16(w, (uint16_t)count);
    for (int i = 0; i < count; ++i)
        for (uint16_t value : {0, 1, 2, 0}) // corners, flags
            chunk_u16(w, value);
    for (int i = 0; i < count; ++i) {
        chunk_begin(w, CHUNK_FACE_MATERIAL);
        chunk_name(w, "Material" + std::to_string(count - 1 - i));
        chunk_u16(w, 1);
        chunk_u16(w, (uint16_t)i);
        chunk_end(w);
    }
    for (int i = 0; i < 5; ++i)
        chunk_end(w);
    return w;
}

void load(benchmark::State& state, const std::string& path) {
    for (auto _ : state) {
        Scene* scene = scene_load(path.c_str());
        if (!scene) {
            state.SkipWithError(scene_load_error());
            return;
        }
        benchmark::DoNotOptimize(scene->objects);
        scene_free(scene);
    }
}

std::vector<std::string> files_in(const std::string& dir) {
    std::vector<std::string> files;
    if (DIR* d = opendir(dir.c_str())) {
        while (dirent* entry = readdir(d)) {
            std::string name = entry->d_name;
            if (name.size() > 4 && name.compare(name.size() - 4, 4, ".3ds") == 0)
                files.push_back(name);
        }
        closedir(d);
    }
    std::sort(files.begin(), files.end());
    return files;
}

std::vector<std::string> generated_paths;

void remove_generated() {
    for (const std::string& path : generated_paths)
        unlink(path.c_str());
}

// Writes the file to a fresh temporary path and registers its load.
bool register_generated(const std::string& name, const ChunkWriter& file) {
    char pattern[] = "/tmp/velmor_bench_XXXXXX";
    int fd = mkstemp(pattern);
    if (fd >= 0) generated_paths.push_back(pattern);
    if (fd < 0 || close(fd) != 0 || !chunk_write_file(file, pattern)) {
        std::fprintf(stderr, "bench_scene: cannot write %s\n", pattern);
        return false;
    }
    benchmark::RegisterBenchmark(("load/" + name).c_str(), [path = std::string(pattern)](
                                                               benchmark::State& s) {
        load(s, path);
    })->Unit(benchmark::kMillisecond);
    return true;
}

} // namespace

int main(int argc, char** argv) {
    std::atexit(remove_generated);
    // Twice the names should take about twice the time.
    if (!register_generated("object_65535_vertices_65535_faces", largest_object()) ||
        !register_generated("names_8000_looked_up_8000_times", many_names(8000)) ||
        !register_generated("names_16000_looked_up_16000_times", many_names(16000)))
        return 1;
    for (const char* folder : {"corpus", "bench"}) {
        const std::string dir = std::string(VELMOR_SHARED_DIR) + "/" + folder;
        for (const std::string& file : files_in(dir)) {
            benchmark::RegisterBenchmark(
                ("load/" + std::string(folder) + "/" + file).c_str(),
                [path = dir + "/" + file](benchmark::State& s) { load(s, path); })
                ->Unit(benchmark::kMillisecond);
        }
    }
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
