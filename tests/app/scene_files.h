// Scene files for the shell's tests, written with the project's chunk writer.
#pragma once

#include <string>
#include <vector>

#include "app/app.h"
#include "chunkwriter/chunk_writer.h"

// A square parallel to the screen, given in camera space (centre x, y at depth
// z, half size h), stored in the scene as a double-sided object so that it is
// drawn whichever way it turns.
struct ScreenSquare {
    float x, y, z, half;
};

struct ScenePoint {
    float x, y, z;
};

// Camera space to world (scene axes): p * camera, rows as in the Matrix type.
inline ScenePoint camera_to_world(const Matrix& c, float x, float y, float z) {
    return {x * c.m[0] + y * c.m[4] + z * c.m[8] + c.m[12],
            x * c.m[1] + y * c.m[5] + z * c.m[9] + c.m[13],
            x * c.m[2] + y * c.m[6] + z * c.m[10] + c.m[14]};
}

inline void write_square_object(ChunkWriter& w, const std::string& name, const ScreenSquare& q,
                                const Matrix& camera, bool local_matrix) {
    chunk_begin(w, 0x4000);
    chunk_name(w, name);
    chunk_begin(w, 0x4100);
    chunk_begin(w, 0x4110);
    chunk_u16(w, 4);
    const float corners[4][2] = {{-1, -1}, {1, -1}, {1, 1}, {-1, 1}};
    for (const auto& c : corners) {
        ScenePoint p = camera_to_world(camera, q.x + c[0] * q.half, q.y + c[1] * q.half, q.z);
        chunk_f32s(w, {p.x, p.z, p.y}); // the file's axes: y and z exchanged
    }
    chunk_end(w);
    chunk_begin(w, 0x4120);
    const uint16_t faces[4][3] = {{0, 1, 2}, {0, 2, 1}, {0, 2, 3}, {0, 3, 2}};
    chunk_u16(w, 4);
    for (const auto& f : faces) {
        for (uint16_t index : f)
            chunk_u16(w, index);
        chunk_u16(w, 0);
    }
    chunk_end(w);
    if (local_matrix) { // a placement that start-up must throw away
        chunk_begin(w, 0x4160);
        chunk_f32s(w, {0, 1, 0, -1, 0, 0, 0, 0, 1, 5, 6, 7});
        chunk_end(w);
    }
    chunk_end(w);
    chunk_end(w);
}

inline bool write_square_scene(const std::string& path, const std::vector<ScreenSquare>& squares,
                               bool local_matrices = false) {
    Matrix camera;
    app_camera_build(camera);
    ChunkWriter w;
    chunk_begin(w, 0x4D4D);
    chunk_begin(w, 0x3D3D);
    for (size_t i = 0; i < squares.size(); ++i)
        write_square_object(w, "square" + std::to_string(i), squares[i], camera, local_matrices);
    chunk_end(w);
    chunk_end(w);
    return chunk_write_file(w, path);
}

// A chunk of length 0: the loader refuses the file.
inline bool write_bad_scene(const std::string& path) {
    ChunkWriter w;
    const uint8_t zero_length[6] = {0x4D, 0x4D, 0, 0, 0, 0};
    chunk_raw(w, zero_length, sizeof zero_length);
    return chunk_write_file(w, path);
}
