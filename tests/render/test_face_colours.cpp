// Frames in the file's own colours: every face in the diffuse colour of the
// material its face material list names, the rest in their object's index
// colour, lit as before; and without face colours, the index colours alone.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <unistd.h>
#include <vector>

#include "chunkwriter/scene_chunks.h"
#include "frame/frame.h"
#include "support/screen.h"

namespace {

constexpr uint32_t red = 0xC82814, blue = 0x0A3CDC;

// A rectangle of two faces facing the eye at depth 60 (scene axes: file y is
// the depth, file z the screen's downward y); face i is listed under
// materials[i] unless that is empty.
void plate(ChunkWriter& w, const std::string& name, float x0, float x1, float y0, float y1,
           const std::vector<std::string>& materials) {
    chunk_begin(w, CHUNK_NAMED_OBJECT);
    chunk_name(w, name);
    chunk_begin(w, CHUNK_TRIANGLE_MESH);
    chunk_begin(w, CHUNK_VERTEX_LIST);
    chunk_u16(w, 4);
    chunk_f32s(w, {x0, 60, y0, x1, 60, y0, x1, 60, y1, x0, 60, y1});
    chunk_end(w);
    chunk_begin(w, CHUNK_FACE_LIST);
    chunk_u16(w, 2);
    for (uint16_t c : {0, 1, 2, 7, 0, 2, 3, 7}) // corners and a flags word per face
        chunk_u16(w, c);
    for (size_t f = 0; f < materials.size(); ++f) {
        if (materials[f].empty()) continue;
        chunk_begin(w, CHUNK_FACE_MATERIAL);
        chunk_name(w, materials[f]);
        chunk_u16(w, 1);
        chunk_u16(w, (uint16_t)f);
        chunk_end(w);
    }
    chunk_end(w);
    chunk_end(w);
    chunk_end(w);
}

// Four objects side by side, the last across the screen's right edge, and a
// library partly before and partly after the meshes.
Scene* two_material_scene() {
    ChunkWriter w;
    chunk_material_diffuse(w, "Red", 0xC8, 0x28, 0x14);
    chunk_material(w, "Plain");
    plate(w, "Pair", -40, -10, -20, 0, {"Red", "Blue"});
    plate(w, "Bare", -5, 25, -20, 0, {});
    plate(w, "Edge", 30, 90, -20, 0, {"Plain", "Black"});
    plate(w, "Lost", -20, 10, 5, 25, {"Nowhere", "Red"});
    chunk_material_diffuse(w, "Blue", 0x0A, 0x3C, 0xDC);
    chunk_material_diffuse(w, "Black", 0, 0, 0);
    const std::string path =
        ::testing::TempDir() + "velmor_face_colours_" + std::to_string(getpid()) + ".3ds";
    EXPECT_TRUE(chunk_write_file(w, path));
    Scene* scene = scene_load(path.c_str());
    std::remove(path.c_str());
    return scene;
}

class FaceColours : public Screen {
  protected:
    void SetUp() override {
        Screen::SetUp();
        scene = two_material_scene();
        ASSERT_NE(scene, nullptr) << scene_error();
        matrix_identity(view.camera);
        view.scene = scene;
        frame_objects_reset(*scene);
    }
    void TearDown() override {
        scene_free(scene);
        Screen::TearDown();
    }
    // One frame of the program, then the same objects drawn again face by
    // face, each face alone in its expected base colour: both buffers must match.
    void expect_frame_in(const std::vector<uint32_t>& expected) {
        frame_draw(view, angle, Turning::by_index, colours);
        const std::vector<uint32_t> frame(colours, colours + W * H);
        const std::vector<uint32_t> depths(render_state.depth_buffer,
                                           render_state.depth_buffer + W * H);
        clear();
        size_t next = 0;
        for (int32_t i = 0; i < scene->object_count; ++i) {
            const SceneObject& object = scene->objects[i];
            for (int32_t f = 0; f < object.face_count; ++f) {
                SceneObject one = object;
                one.faces = &object.faces[f];
                one.face_count = 1;
                render_object(object.matrix, view.camera, one, colours, expected.at(next++));
            }
        }
        EXPECT_EQ(next, expected.size());
        EXPECT_TRUE(frame == std::vector<uint32_t>(colours, colours + W * H));
        EXPECT_TRUE(depths == std::vector<uint32_t>(render_state.depth_buffer,
                                                    render_state.depth_buffer + W * H));
        EXPECT_GT(drawn_count(), 0);
    }

    Scene* scene = nullptr;
    ViewState view{};
    float angle = 0.0f;
};

} // namespace

TEST_F(FaceColours, FacesTakeTheirMaterialsColourOrKeepTheirObjectsIndexColour) {
    uint32_t* face_colours = frame_face_colours_create(*scene);
    ASSERT_NE(face_colours, nullptr);
    // Pair: Red, Blue (written after the meshes). Bare: no list. Edge: a
    // material without colour, then black. Lost: a name no material has, then Red.
    const std::vector<uint32_t> expected = {red,
                                            blue,
                                            object_colours[1],
                                            object_colours[1],
                                            object_colours[2],
                                            0x000000,
                                            object_colours[3],
                                            red};
    EXPECT_EQ(std::vector<uint32_t>(face_colours, face_colours + expected.size()), expected);

    view.face_colours = face_colours;
    for (int frame = 0; frame < 3; ++frame)
        expect_frame_in(expected);
    std::free(face_colours);
}

TEST_F(FaceColours, WithoutFaceColoursEveryObjectKeepsItsIndexColour) {
    const std::vector<uint32_t> expected = {object_colours[0], object_colours[0], object_colours[1],
                                            object_colours[1], object_colours[2], object_colours[2],
                                            object_colours[3], object_colours[3]};
    for (int frame = 0; frame < 3; ++frame)
        expect_frame_in(expected);
}

// Head-on (brightness 255) each channel becomes channel * 255 / 256.
TEST_F(FaceColours, ATwoMaterialObjectShowsExactlyItsTwoShadedColours) {
    const uint32_t pair_colours[2] = {red, blue};
    render_object(identity, identity, scene->objects[0], colours, 0xFFFFFF, pair_colours);
    std::vector<uint32_t> seen(colours, colours + W * H);
    std::sort(seen.begin(), seen.end());
    seen.erase(std::unique(seen.begin(), seen.end()), seen.end());
    const uint32_t shaded_red = (0xC8 * 255 >> 8) << 16 | (0x28 * 255 >> 8) << 8 | 0x14 * 255 >> 8;
    const uint32_t shaded_blue = (0x0A * 255 >> 8) << 16 | (0x3C * 255 >> 8) << 8 | 0xDC * 255 >> 8;
    EXPECT_EQ(seen, (std::vector<uint32_t>{0, shaded_blue, shaded_red}));
}
