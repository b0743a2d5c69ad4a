// The hash of drawn frames: the golden tests compare it with their stored
// values, and the end-to-end tests compare the Linux and Windows builds' by it.
#pragma once

#include <cstddef>
#include <cstdint>

constexpr uint64_t FRAME_HASH_START = 0xCBF29CE484222325ull;

// FNV-1a over the bytes, going on from hash.
uint64_t frame_hash_bytes(const void* data, size_t size, uint64_t hash = FRAME_HASH_START);
