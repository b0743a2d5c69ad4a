// velmor-dump FILE.3ds: loads FILE with the scene loader and prints it as one
// JSON document on stdout. On failure: nothing on stdout, the reason on
// stderr, exit status 1.
#include <cstdio>
#include <string>

#include "dump_json.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: velmor-dump FILE.3ds\n");
        return 2;
    }
    Scene* scene = scene_load(argv[1]);
    if (!scene) {
        std::fprintf(stderr, "velmor-dump: %s\n", scene_load_error());
        return 1;
    }
    std::string json;
    dump_scene_json(*scene, json);
    scene_free(scene);
    bool written = std::fwrite(json.data(), 1, json.size(), stdout) == json.size();
    if (std::fflush(stdout) != 0 || !written) {
        std::fprintf(stderr, "velmor-dump: %s: cannot write the output\n", argv[1]);
        return 1;
    }
    return 0;
}
