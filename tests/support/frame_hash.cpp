#include "support/frame_hash.h"

uint64_t frame_hash_bytes(const void* data, size_t size, uint64_t hash) {
    const unsigned char* p = (const unsigned char*)data;
    for (size_t i = 0; i < size; ++i)
        hash = (hash ^ p[i]) * 0x100000001B3ull;
    return hash;
}
