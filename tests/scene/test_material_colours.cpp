// Materials' diffuse colours.
#include <gtest/gtest.h>

#include <array>
#include <functional>
#include <limits>
#include <string>
#include <vector>

#include "scene_files.h"

namespace {

void byte_colour(ChunkWriter& w, uint16_t id, uint8_t r, uint8_t g, uint8_t b) {
    chunk_begin(w, id);
    chunk_u8(w, r);
    chunk_u8(w, g);
    chunk_u8(w, b);
    chunk_end(w);
}

// CHUNK_MATERIAL { CHUNK_MAT_NAME name, then what body writes }.
void material_block(ChunkWriter& w, const std::string& name,
                    const std::function<void(ChunkWriter&)>& body) {
    chunk_begin(w, CHUNK_MATERIAL);
    chunk_begin(w, CHUNK_MAT_NAME);
    chunk_name(w, name);
    chunk_end(w);
    body(w);
    chunk_end(w);
}

// CHUNK_MAT_DIFFUSE { what colours writes }.
std::function<void(ChunkWriter&)> diffuse(const std::function<void(ChunkWriter&)>& colours) {
    return [colours](ChunkWriter& w) {
        chunk_begin(w, CHUNK_MAT_DIFFUSE);
        colours(w);
        chunk_end(w);
    };
}

struct ColourCase {
    const char* name;
    std::function<void(ChunkWriter&)> body;
    bool has_diffuse;
    std::array<int, 3> diffuse;
};

} // namespace

TEST(MaterialColours, DiffuseIsTheFirstByteOrFloatColourOfTheDiffuseChunk) {
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const std::vector<ColourCase> cases = {
        {"Bytes",
         diffuse([](ChunkWriter& w) {
             byte_colour(w, CHUNK_COLOR_24_GAMMA, 1, 1, 1); // gamma-corrected: not used
             byte_colour(w, CHUNK_COLOR_24, 10, 20, 30);
             write_floats(w, CHUNK_COLOR_F, {1, 1, 1});
         }),
         true,
         {10, 20, 30}},
        {"Floats",
         diffuse([](ChunkWriter& w) {
             write_floats(w, CHUNK_COLOR_F_GAMMA, {1, 1, 1}); // gamma-corrected: not used
             write_floats(w, CHUNK_COLOR_F, {0.8f, 0.5f, 0.2f});
             byte_colour(w, CHUNK_COLOR_24, 10, 20, 30);
         }),
         true,
         {204, 128, 51}}, // to the nearest step: 0.5 gives 127.5, so 128
        {"Clamped",
         diffuse([=](ChunkWriter& w) {
             write_floats(w, CHUNK_COLOR_F, {-0.5f, nan, 1.5f});
         }),
         true,
         {0, 0, 255}},
        {"Black",
         diffuse([](ChunkWriter& w) { byte_colour(w, CHUNK_COLOR_24, 0, 0, 0); }),
         true,
         {0, 0, 0}},
        {"CutShort",
         diffuse([](ChunkWriter& w) {
             chunk_begin(w, CHUNK_COLOR_24);
             chunk_u8(w, 99);
             chunk_u8(w, 99);
             chunk_end(w);
             byte_colour(w, CHUNK_COLOR_24, 7, 8, 9); // the first whole colour
         }),
         true,
         {7, 8, 9}},
        {"OtherColours",
         [](ChunkWriter& w) {
             chunk_begin(w, CHUNK_MAT_AMBIENT); // ambient
             byte_colour(w, CHUNK_COLOR_24, 1, 2, 3);
             chunk_end(w);
             byte_colour(w, CHUNK_COLOR_24, 4, 5, 6); // not in a diffuse chunk
             diffuse([](ChunkWriter& d) { byte_colour(d, CHUNK_COLOR_24_GAMMA, 7, 8, 9); })(w);
         },
         false,
         {0, 0, 0}},
    };
    ChunkWriter w;
    for (const ColourCase& c : cases)
        material_block(w, c.name, c.body);
    // A diffuse chunk outside any material block, and one before its block's name.
    diffuse([](ChunkWriter& d) { byte_colour(d, CHUNK_COLOR_24, 1, 2, 3); })(w);
    chunk_begin(w, CHUNK_MATERIAL);
    diffuse([](ChunkWriter& d) { byte_colour(d, CHUNK_COLOR_24, 1, 2, 3); })(w);
    chunk_end(w);
    material_block(w, "Last", [](ChunkWriter&) {});

    ScenePtr scene = load_written(w);
    ASSERT_NE(scene, nullptr) << scene_error();
    ASSERT_EQ(scene->material_count, (int32_t)cases.size() + 1);
    for (size_t i = 0; i < cases.size(); ++i) {
        const SceneMaterial& m = scene->materials[i];
        SCOPED_TRACE(m.name);
        EXPECT_EQ(m.has_diffuse, cases[i].has_diffuse ? 1 : 0);
        std::array<int, 3> rgb = {m.diffuse[0], m.diffuse[1], m.diffuse[2]};
        EXPECT_EQ(rgb, cases[i].diffuse);
    }
    EXPECT_EQ(scene->materials[cases.size()].has_diffuse, 0);
}

TEST(MaterialColours, FloatColoursStillReachTheLightNamedLikeTheLastName) {
    ChunkWriter w;
    write_named(w, "Lamp", CHUNK_LIGHT, {0, 0, 0});
    material_block(w, "Lamp", diffuse([](ChunkWriter& d) {
                       write_floats(d, CHUNK_COLOR_F, {0.25f, 0.5f, 1.0f});
                   }));
    write_named(w, "Spot", CHUNK_LIGHT, {0, 0, 0});
    chunk_material(w, "Spot");
    chunk_begin(w, CHUNK_BACKGROUND_COLOR); // background colour, outside any material
    write_floats(w, CHUNK_COLOR_F, {0.5f, 0.5f, 0.5f});
    chunk_end(w);

    ScenePtr scene = load_written(w);
    ASSERT_NE(scene, nullptr) << scene_error();
    const SceneMaterial& lamp = scene->materials[0];
    EXPECT_EQ(lamp.has_diffuse, 1);
    EXPECT_EQ((std::array<int, 3>{lamp.diffuse[0], lamp.diffuse[1], lamp.diffuse[2]}),
              (std::array<int, 3>{64, 128, 255})); // rounded
    EXPECT_EQ((std::array<int, 3>{scene->lights[0].colour255[0], scene->lights[0].colour255[1],
                                  scene->lights[0].colour255[2]}),
              (std::array<int, 3>{63, 127, 255})); // truncated, as before
    EXPECT_EQ(scene->lights[1].colour255[0], 127);
    EXPECT_EQ(scene->materials[1].has_diffuse, 0);
}
