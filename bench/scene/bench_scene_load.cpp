// scene_load on a generated object of 65535 vertices and 65535 faces, on
// generated files of many names looked up by many chunks and of chunks that
// overlap as much as the walk allows, on every file of the shared corpus and
// benchmark scenes and of the fuzz seeds, and on the fuzzer's own corpus of
// build/fuzz when it is there (its slowest file as the label).
#include <benchmark/benchmark.h>

#include <dirent.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <ctime>
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

// A 1 MB file that makes both walks read every chunk header 64 times, just
// within their header budget: six chunks whose lengths run past their parents'
// ends each send the walk over the rest of the file twice, at two depths. The
// rest is empty chunks of an id the loader does not know.
ChunkWriter overlapping_chunks() {
    const uint32_t units = (1u << 20) / 6, pairs = 6;
    ChunkWriter w;
    for (uint32_t unit = 0; unit < units; ++unit) {
        bool pair = unit < 2 * pairs;
        chunk_u16(w, pair ? CHUNK_MAIN : 0xFFFF);
        uint32_t length = !pair ? 1 : unit % 2 == 0 ? 2 : units - unit;
        chunk_u32(w, 6 * length);
    }
    return w;
}

// A refused file is timed too: refusing must be as quick as loading.
void load(benchmark::State& state, const std::string& path) {
    bool loaded = false;
    for (auto _ : state) {
        Scene* scene = scene_load(path.c_str());
        loaded = scene != nullptr;
        scene_free(scene);
    }
    if (!loaded) state.SetLabel("refused");
}

// The regular files of dir whose names end in suffix, sorted.
std::vector<std::string> files_in(const std::string& dir, const std::string& suffix) {
    std::vector<std::string> files;
    if (DIR* d = opendir(dir.c_str())) {
        while (dirent* entry = readdir(d)) {
            std::string name = entry->d_name;
            if (entry->d_type == DT_REG && name.size() > suffix.size() &&
                name.compare(name.size() - suffix.size(), suffix.size(), suffix) == 0)
                files.push_back(name);
        }
        closedir(d);
    }
    std::sort(files.begin(), files.end());
    return files;
}

// Every file of dir once an iteration, loaded or refused; the counter
// worst_cpu_ms and the label give the slowest file of the last iteration, by
// processor time, which other work on the machine does not stretch.
void load_folder(benchmark::State& state, const std::string& dir,
                 const std::vector<std::string>& files) {
    for (auto _ : state) {
        double worst = 0;
        std::string worst_file;
        for (const std::string& file : files) {
            std::clock_t start = std::clock();
            scene_free(scene_load((dir + "/" + file).c_str()));
            double took = 1000.0 * (double)(std::clock() - start) / CLOCKS_PER_SEC;
            if (took > worst) {
                worst = took;
                worst_file = file;
            }
        }
        state.counters["worst_cpu_ms"] = worst;
        state.SetLabel(worst_file);
    }
}

void register_folder(const std::string& name, const std::string& dir, const std::string& suffix) {
    for (const std::string& file : files_in(dir, suffix)) {
        benchmark::RegisterBenchmark(
            ("load/" + name + "/" + file).c_str(),
            [path = dir + "/" + file](benchmark::State& s) { load(s, path); })
            ->Unit(benchmark::kMillisecond);
    }
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
        !register_generated("names_16000_looked_up_16000_times", many_names(16000)) ||
        !register_generated("overlapping_chunks_1MB_every_header_64_times", overlapping_chunks()))
        return 1;
    for (const char* folder : {"corpus", "bench"})
        register_folder(folder, std::string(VELMOR_SHARED_DIR) + "/" + folder, ".3ds");
    register_folder("seeds", VELMOR_SCENE_SEEDS_DIR, "");
    const std::string fuzz_corpus = VELMOR_FUZZ_CORPUS_DIR;
    std::vector<std::string> fuzzed = files_in(fuzz_corpus, "");
    if (!fuzzed.empty()) {
        benchmark::RegisterBenchmark(
            ("load/fuzz_corpus_" + std::to_string(fuzzed.size()) + "_files").c_str(),
            [fuzz_corpus, fuzzed](benchmark::State& s) { load_folder(s, fuzz_corpus, fuzzed); })
            ->Unit(benchmark::kMillisecond)
            ->Iterations(1);
    }
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
