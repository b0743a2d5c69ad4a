// A small writer of .3DS chunk files: nested chunks whose lengths are filled in
// when they are closed. Used by the tests, the fuzz seeds and make-scene.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

struct ChunkWriter {
    std::vector<uint8_t> bytes;
    std::vector<size_t> open_chunks; // offsets of the headers still open
};

// Opens a chunk: writes its id and a length that chunk_end fills in.
void chunk_begin(ChunkWriter& w, uint16_t id);
void chunk_end(ChunkWriter& w);
// A chunk that holds nothing but a header (length 6).
void chunk_empty(ChunkWriter& w, uint16_t id);

void chunk_u8(ChunkWriter& w, uint8_t value);
void chunk_u16(ChunkWriter& w, uint16_t value);
void chunk_u32(ChunkWriter& w, uint32_t value);
void chunk_f32(ChunkWriter& w, float value);
void chunk_f32s(ChunkWriter& w, std::initializer_list<float> values);
// The text and its terminating NUL.
void chunk_name(ChunkWriter& w, const std::string& text);
void chunk_raw(ChunkWriter& w, const void* data, size_t size);

// Writes the bytes; every chunk must be closed. Returns false on an I/O error.
bool chunk_write_file(const ChunkWriter& w, const std::string& path);
