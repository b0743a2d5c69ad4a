// The names of the loader's records: their copies, and the indexes that find a
// record by name in constant time. A small file of overlapping chunks can hold
// tens of thousands of records and look names up as often; searching every
// record each time took minutes.
#include <cstdlib>
#include <cstring>

#include "scene/loader.h"

char* copy_name(const char* name) {
    size_t size = std::strlen(name) + 1;
    char* copy = static_cast<char*>(std::malloc(size));
    if (copy) std::memcpy(copy, name, size);
    return copy;
}

bool name_record(char*& name, const char* kind) {
    name = copy_name(loader.name_buffer);
    return name != nullptr || loader_fail("out of memory for %s name", kind);
}

namespace {

// Twice as many slots as names, at least 16: probes stay short and one slot
// is always empty.
bool allocate_index(NameIndex& index, int32_t names) {
    size_t slots = 16;
    while (slots < 2 * (size_t)names)
        slots *= 2;
    if (slots > UINT32_MAX) return false;
    index = {(NameSlot*)allocate_cleared(slots, sizeof(NameSlot)), (uint32_t)(slots - 1), 0};
    return index.slots != nullptr;
}

// FNV-1a.
uint32_t name_hash(const char* name) {
    uint32_t hash = 2166136261u;
    for (const unsigned char* p = (const unsigned char*)name; *p; ++p)
        hash = (hash ^ *p) * 16777619u;
    return hash;
}

// The slot that holds name, or the empty slot where it would go.
NameSlot& slot_of(const NameIndex& index, const char* name) {
    uint32_t i = name_hash(name) & index.mask;
    while (index.slots[i].name && std::strcmp(index.slots[i].name, name) != 0)
        i = (i + 1) & index.mask;
    return index.slots[i];
}

} // namespace

bool name_indexes_allocate(const Scene& s) {
    if (allocate_index(loader.object_index, s.object_count) &&
        allocate_index(loader.camera_index, s.camera_count) &&
        allocate_index(loader.light_index, s.light_count) &&
        allocate_index(loader.material_index, s.material_count) &&
        allocate_index(loader.material_name_index, loader.material_name_count))
        return true;
    return loader_fail_at(-1, "out of memory for the name indexes");
}

void name_indexes_free() {
    NameIndex* indexes[] = {&loader.object_index, &loader.camera_index, &loader.light_index,
                            &loader.material_index, &loader.material_name_index};
    for (NameIndex* index : indexes) {
        std::free(index->slots);
        *index = NameIndex{};
    }
}

void name_index_add(NameIndex& index, const char* name, int32_t position) {
    NameSlot& slot = slot_of(index, name);
    if (!slot.name) slot = {name, position};
}

int32_t name_index_find(const NameIndex& index, const char* name) {
    const NameSlot& slot = slot_of(index, name);
    return slot.name ? slot.position : -1;
}
