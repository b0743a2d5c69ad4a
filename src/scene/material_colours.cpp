// Materials beyond their names: the diffuse colour a material block gives, and
// the look-up of the materials that face material lists name among all
// materials of the file, wherever the library stands.
//
// A material block CHUNK_MATERIAL holds the material's name and a diffuse
// colour chunk CHUNK_MAT_DIFFUSE, whose first CHUNK_COLOR_24 (three bytes) or
// CHUNK_COLOR_F (three floats) is the colour; the gamma-corrected colours are
// not used. The float
// colour chunks keep what they did before as well (see read_float_colour).
#include <cstdlib>
#include <cstring>

#include "scene/loader.h"

namespace {

// The material whose colour the colour chunk being read gives: the chunk lies
// in a diffuse colour chunk right inside the material block whose name was
// read last, and that material has no colour yet. Null for any other chunk.
SceneMaterial* diffuse_material() {
    if (loader.counting_pass || loader.depth < 3) return nullptr;
    const ChunkPlace& parent = loader.chunk_path[loader.depth - 1];
    const ChunkPlace& block = loader.chunk_path[loader.depth - 2];
    if (parent.id != CHUNK_MAT_DIFFUSE || block.id != CHUNK_MATERIAL) return nullptr;
    SceneMaterial* material = loader.block_material;
    if (!material || block.offset != loader.block_offset || material->has_diffuse) return nullptr;
    return material;
}

// Whether the chunk being read holds size bytes after its header: a colour
// cut short gives no colour.
bool body_holds(int64_t end, int64_t size) {
    return end - (loader.chunk_offset + 6) >= size;
}

void set_diffuse(SceneMaterial& material, const uint8_t rgb[3]) {
    for (int i = 0; i < 3; ++i)
        material.diffuse[i] = rgb[i];
    material.has_diffuse = 1;
}

// 0..1 to 0..255, to the nearest step, so that a byte written as byte / 255
// comes back unchanged; values outside 0..1 are clamped and NaN gives 0.
uint8_t colour_byte(float value) {
    if (!(value > 0.0f)) return 0;
    if (value >= 1.0f) return 255;
    return (uint8_t)(value * 255.0f + 0.5f);
}

} // namespace

bool read_byte_colour(ByteReader& in, int64_t end) {
    SceneMaterial* material = diffuse_material();
    if (!material || !body_holds(end, 3)) return true;
    uint8_t rgb[3];
    if (read_bytes(in, rgb, 3) == 3) set_diffuse(*material, rgb);
    return true;
}

void loader_take_float_diffuse(const float rgb[3], int64_t end) {
    SceneMaterial* material = diffuse_material();
    if (!material || !body_holds(end, 12)) return;
    const uint8_t bytes[3] = {colour_byte(rgb[0]), colour_byte(rgb[1]), colour_byte(rgb[2])};
    set_diffuse(*material, bytes);
}

void loader_enter_material_block(SceneMaterial* material) {
    bool in_block = loader.depth >= 2 && loader.chunk_path[loader.depth - 1].id == CHUNK_MATERIAL;
    loader.block_material = in_block ? material : nullptr;
    loader.block_offset = in_block ? loader.chunk_path[loader.depth - 1].offset : -1;
}

bool loader_keep_material_name() {
    if (loader.material_name_count == loader.material_name_capacity) {
        size_t capacity = 2 * (size_t)loader.material_name_capacity + 16;
        if (capacity > INT32_MAX) capacity = INT32_MAX;
        char** grown = (char**)std::realloc(loader.material_names, capacity * sizeof(char*));
        if (!grown) return loader_fail("out of memory for the material names");
        loader.material_names = grown;
        loader.material_name_capacity = (int32_t)capacity;
    }
    char* copy = copy_name(loader.name_buffer);
    if (!copy) return loader_fail("out of memory for a material name");
    loader.material_names[loader.material_name_count++] = copy;
    return true;
}

int32_t loader_find_material(const char* name) {
    return name_index_lookup(loader.material_name_index, name, loader.material_name_count,
                             [](int32_t i) -> const char* { return loader.material_names[i]; });
}

void loader_release_material_names() {
    for (int32_t i = 0; i < loader.material_name_count; ++i)
        std::free(loader.material_names[i]);
    std::free(loader.material_names);
    loader.material_names = nullptr;
    loader.material_name_count = loader.material_name_capacity = 0;
}
