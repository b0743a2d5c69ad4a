// velmor-dump FILE.3ds: loads FILE with the scene loader and prints it as one
// JSON document on stdout. On failure: nothing on stdout, the reason on
// stderr, exit status 1.
#include <cstdio>
#include <cstring>
#include <string>

#include "dump_json.h"

namespace {

const char* const USAGE =
    "Usage: velmor-dump FILE.3ds\n"
    "  or:  velmor-dump --help | --version\n"
    "\n"
    "Loads FILE with Velmor's scene loader and prints the scene as one JSON\n"
    "document on stdout: objects with vertices, faces, planes and tracks,\n"
    "cameras, lights and materials. Exit status: 0 after printing; 1 when the\n"
    "file cannot be loaded (the loader's reason is the one line on stderr) or\n"
    "the output cannot be written; 2 for bad arguments.\n"
    "\n"
    "  --help     print this and exit\n"
    "  --version  print the version and exit\n";

} // namespace

int main(int argc, char** argv) {
    if (argc == 2 && (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0))
        return std::fputs(USAGE, stdout), 0;
    if (argc == 2 && std::strcmp(argv[1], "--version") == 0)
        return std::printf("velmor-dump %s\n", VELMOR_VERSION), 0;
    if (argc != 2) {
        std::fprintf(stderr, "velmor-dump: one FILE.3ds is needed, %d given\n\n%s", argc - 1,
                     USAGE);
        return 2;
    }
    if (std::strncmp(argv[1], "--", 2) == 0) {
        std::fprintf(stderr, "velmor-dump: unknown option '%s'\n\n%s", argv[1], USAGE);
        return 2;
    }
    Scene* scene = scene_load(argv[1]);
    if (!scene) {
        std::fprintf(stderr, "velmor-dump: %s\n", scene_error());
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
