#include "chunk_writer.h"

#include <cstdio>
#include <cstring>
#include <stdexcept>

namespace {

void put_le(ChunkWriter& w, uint64_t value, int size) {
    for (int i = 0; i < size; ++i)
        w.bytes.push_back((uint8_t)(value >> (8 * i)));
}

} // namespace

void chunk_begin(ChunkWriter& w, uint16_t id) {
    w.open_chunks.push_back(w.bytes.size());
    put_le(w, id, 2);
    put_le(w, 0, 4);
}

void chunk_end(ChunkWriter& w) {
    if (w.open_chunks.empty()) throw std::logic_error("chunk_end without chunk_begin");
    size_t start = w.open_chunks.back();
    w.open_chunks.pop_back();
    uint32_t length = (uint32_t)(w.bytes.size() - start);
    for (int i = 0; i < 4; ++i)
        w.bytes[start + 2 + i] = (uint8_t)(length >> (8 * i));
}

void chunk_empty(ChunkWriter& w, uint16_t id) {
    chunk_begin(w, id);
    chunk_end(w);
}

void chunk_u8(ChunkWriter& w, uint8_t value) {
    put_le(w, value, 1);
}
void chunk_u16(ChunkWriter& w, uint16_t value) {
    put_le(w, value, 2);
}
void chunk_u32(ChunkWriter& w, uint32_t value) {
    put_le(w, value, 4);
}

void chunk_f32(ChunkWriter& w, float value) {
    uint32_t bits;
    std::memcpy(&bits, &value, 4);
    put_le(w, bits, 4);
}

void chunk_f32s(ChunkWriter& w, std::initializer_list<float> values) {
    for (float v : values)
        chunk_f32(w, v);
}

void chunk_name(ChunkWriter& w, const std::string& text) {
    chunk_raw(w, text.data(), text.size());
    chunk_u8(w, 0);
}

void chunk_raw(ChunkWriter& w, const void* data, size_t size) {
    const uint8_t* p = static_cast<const uint8_t*>(data);
    w.bytes.insert(w.bytes.end(), p, p + size);
}

bool chunk_write_file(const ChunkWriter& w, const std::string& path) {
    if (!w.open_chunks.empty()) return false;
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return false;
    bool ok =
        w.bytes.empty() || std::fwrite(w.bytes.data(), 1, w.bytes.size(), f) == w.bytes.size();
    return std::fclose(f) == 0 && ok;
}
