// Little-endian readers over the scene file. A value that the end of the file
// cuts short reads as 0, the whole value, so no handler ever sees stale bytes.
#include <cstdlib>
#include <cstring>

#include "scene/loader.h"

namespace {

constexpr size_t BLOCK_BYTES = 4096;

float float_from_bits(uint32_t bits) {
    float value;
    std::memcpy(&value, &bits, 4);
    return value;
}

// Reads count values of value_size bytes into bytes; a value the end of the
// file cuts short is cleared with everything after it.
void read_values(FILE* stream, uint8_t* bytes, size_t count, size_t value_size) {
    size_t want = count * value_size;
    size_t got = std::fread(bytes, 1, want, stream);
    size_t whole = got - got % value_size;
    std::memset(bytes + whole, 0, want - whole);
}

// Reads count values of sizeof(Value) bytes, a block at a time, each made from
// its bytes by decode.
template <typename Value, typename Decode>
void read_array(FILE* stream, Value* out, size_t count, Decode decode) {
    constexpr size_t PER_BLOCK = BLOCK_BYTES / sizeof(Value);
    uint8_t bytes[BLOCK_BYTES];
    while (count > 0) {
        size_t n = count < PER_BLOCK ? count : PER_BLOCK;
        read_values(stream, bytes, n, sizeof(Value));
        for (size_t i = 0; i < n; ++i)
            out[i] = decode(bytes + sizeof(Value) * i);
        out += n;
        count -= n;
    }
}

} // namespace

int64_t stream_tell(FILE* stream) {
#if defined(_WIN32)
    return _ftelli64(stream);
#else
    return (int64_t)ftello(stream);
#endif
}

bool stream_seek(FILE* stream, int64_t position) {
#if defined(_WIN32)
    return _fseeki64(stream, position, SEEK_SET) == 0;
#else
    return fseeko(stream, (off_t)position, SEEK_SET) == 0;
#endif
}

uint16_t read_u16(FILE* stream) {
    uint8_t b[2];
    return std::fread(b, 1, 2, stream) == 2 ? le16(b) : 0;
}

uint32_t read_u32(FILE* stream) {
    uint8_t b[4];
    return std::fread(b, 1, 4, stream) == 4 ? le32(b) : 0;
}

float read_f32(FILE* stream) {
    return float_from_bits(read_u32(stream));
}

void read_f32_values(FILE* stream, float* out, size_t count) {
    read_array(stream, out, count, [](const uint8_t* p) { return float_from_bits(le32(p)); });
}

void read_u16_values(FILE* stream, uint16_t* out, size_t count) {
    read_array(stream, out, count, [](const uint8_t* p) { return le16(p); });
}

void skip_bytes(FILE* stream, uint64_t count) {
    int64_t position = stream_tell(stream);
    if (position < 0 || position >= loader.file_size) return;
    uint64_t room = (uint64_t)(loader.file_size - position);
    stream_seek(stream, position + (int64_t)(count < room ? count : room));
}

NameRead read_name(FILE* stream, char destination[64]) {
    int32_t i = 0;
    int c = std::fgetc(stream);
    while (c != EOF) {
        if (c == 0 || i == 63) break;
        destination[i++] = (char)c;
        c = std::fgetc(stream);
    }
    destination[i] = '\0';
    return {i, c == EOF && i < 63};
}

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

const char* printable_text(const char* text, char* buffer, size_t buffer_size) {
    static const char hex[] = "0123456789ABCDEF";
    char* out = buffer;
    char* last = buffer + buffer_size - 5; // room for one escaped byte and the NUL
    for (const unsigned char* p = (const unsigned char*)text; *p && out <= last; ++p) {
        if (*p >= 0x20 && *p < 0x7F) {
            *out++ = (char)*p;
        } else {
            *out++ = '\\';
            *out++ = 'x';
            *out++ = hex[*p >> 4];
            *out++ = hex[*p & 15];
        }
    }
    *out = '\0';
    return buffer;
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
        allocate_index(loader.listed_material_index, loader.material_name_count))
        return true;
    return loader_fail_at(-1, "out of memory for the name indexes");
}

void name_indexes_free() {
    NameIndex* indexes[] = {&loader.object_index, &loader.camera_index, &loader.light_index,
                            &loader.material_index, &loader.listed_material_index};
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

void* allocate_cleared(size_t count, size_t size) {
    if (size != 0 && count > SIZE_MAX / size) return nullptr;
    return std::calloc(count == 0 ? 1 : count, size);
}

void* allocate_array(size_t count, size_t size, const char* what) {
    int64_t bytes = (int64_t)(count * size); // at most 65535 records of a few dozen bytes
    if (bytes > loader.array_bytes_left) {
        loader_fail("%s of %zu: the lists of this file claim far more memory than its size can "
                    "describe",
                    what, count);
        return nullptr;
    }
    loader.array_bytes_left -= bytes;
    void* array = allocate_cleared(count, size);
    if (!array) loader_fail("out of memory for a %s of %zu", what, count);
    return array;
}
