// velmor-render [OPTIONS] SCENE.3ds OUT.png: one still picture of a scene,
// framed as view mode frames it, for previews and file-manager thumbnails.
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "frame/frame.h"
#include "imagefile/png_file.h"
#include "velmor-render/still.h"

namespace {

// The loaded scene, or null after saying why on stderr.
Scene* load(const StillOptions& options) {
    Scene* scene = scene_load(options.scene_path);
    if (!scene) {
        std::fprintf(stderr, "velmor-render: %s\n", scene_error()); // names the file
        return nullptr;
    }
    const long long faces = still_face_count(*scene);
    if (faces > options.max_faces) {
        std::fprintf(stderr, "velmor-render: %s: %lld faces, more than --max-faces %lld\n",
                     options.scene_path, faces, options.max_faces);
        scene_free(scene);
        return nullptr;
    }
    if (scene->object_count == 0)
        std::fprintf(stderr, "velmor-render: %s: no mesh objects (is it a 3D Studio file?)\n",
                     options.scene_path);
    return scene;
}

std::vector<uint32_t> draw(Scene& scene, const StillOptions& options) {
    frame_fit_scene(scene);
    uint32_t* face_colours = options.file_colours ? frame_face_colours_create(scene) : nullptr;
    if (options.file_colours && !face_colours) return {};
    std::vector<uint32_t> picture = still_draw(scene, face_colours, options);
    std::free(face_colours);
    return picture;
}

bool write_stdout(const std::vector<uint32_t>& picture, const StillOptions& options) {
    still_stdout_binary();
    bool ok = png_write_stream(stdout, picture.data(), options.width, options.height,
                               options.transparent);
    return std::fflush(stdout) == 0 && ok;
}

// Written under a temporary name in OUT's folder, then renamed over OUT, so
// that OUT is whole or absent; the temporary file never outlives a failure.
bool write_file(const std::vector<uint32_t>& picture, const StillOptions& options) {
    std::string temporary;
    FILE* file = still_temporary_open(options.out_path, temporary);
    if (!file) return false;
    bool ok =
        png_write_stream(file, picture.data(), options.width, options.height, options.transparent);
    ok = std::fclose(file) == 0 && ok;
    ok = ok && still_file_replace(temporary, options.out_path);
    if (!ok) std::remove(temporary.c_str());
    return ok;
}

} // namespace

int main(int argc, char** argv) {
    StillOptions options;
    const int answered = still_parse_args(argc, argv, options);
    if (answered >= 0) return answered;
    Scene* scene = load(options);
    if (!scene) return 1;
    const std::vector<uint32_t> picture = draw(*scene, options);
    scene_free(scene);
    if (picture.empty()) {
        std::fputs("velmor-render: out of memory\n", stderr);
        return 1;
    }
    const bool to_stdout = std::strcmp(options.out_path, "-") == 0;
    errno = 0;
    if (to_stdout ? write_stdout(picture, options) : write_file(picture, options)) return 0;
    std::fprintf(stderr, "velmor-render: cannot write %s: %s\n",
                 to_stdout ? "the picture" : options.out_path,
                 errno ? std::strerror(errno) : "write error");
    return 1;
}
