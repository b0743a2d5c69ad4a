// Little-endian readers over the scene file in memory. A value that the end of
// the file cuts short reads as 0, the whole value, so no handler ever sees
// stale bytes; the position still moves on to the end, as a read would.
#include <cstring>

#include "scene/loader.h"

namespace {

float float_from_bits(uint32_t bits) {
    float value;
    std::memcpy(&value, &bits, 4);
    return value;
}

// The bytes that a read of want bytes from the position gets: got of them at
// the returned address. The position moves past them.
const uint8_t* take(ByteReader& in, uint64_t want, size_t& got) {
    got = 0;
    if (in.position >= in.size) return in.data;
    uint64_t room = (uint64_t)(in.size - in.position);
    got = (size_t)(want < room ? want : room);
    const uint8_t* bytes = in.data + in.position;
    in.position += (int64_t)got;
    return bytes;
}

// Reads count values of sizeof(Value) bytes, each made from its bytes by
// decode; those the end of the file cuts short read as 0.
template <typename Value, typename Decode>
void read_array(ByteReader& in, Value* out, size_t count, Decode decode) {
    size_t got;
    const uint8_t* bytes = take(in, (uint64_t)count * sizeof(Value), got);
    size_t whole = got / sizeof(Value);
    for (size_t i = 0; i < whole; ++i)
        out[i] = decode(bytes + sizeof(Value) * i);
    for (size_t i = whole; i < count; ++i)
        out[i] = Value{};
}

} // namespace

size_t read_bytes(ByteReader& in, uint8_t* out, size_t count) {
    size_t got;
    const uint8_t* bytes = take(in, count, got);
    if (got > 0) std::memcpy(out, bytes, got);
    return got;
}

uint16_t read_u16(ByteReader& in) {
    uint8_t b[2];
    return read_bytes(in, b, 2) == 2 ? le16(b) : 0;
}

uint32_t read_u32(ByteReader& in) {
    uint8_t b[4];
    return read_bytes(in, b, 4) == 4 ? le32(b) : 0;
}

float read_f32(ByteReader& in) {
    return float_from_bits(read_u32(in));
}

void read_f32_values(ByteReader& in, float* out, size_t count) {
    read_array(in, out, count, [](const uint8_t* p) { return float_from_bits(le32(p)); });
}

void read_u16_values(ByteReader& in, uint16_t* out, size_t count) {
    read_array(in, out, count, [](const uint8_t* p) { return le16(p); });
}

void skip_bytes(ByteReader& in, uint64_t count) {
    size_t got;
    take(in, count, got);
}

NameRead read_name(ByteReader& in, char destination[64]) {
    int32_t i = 0;
    bool at_end = true;
    while (in.position < in.size) {
        char c = (char)in.data[in.position++];
        if (c == 0 || i == 63) {
            at_end = false;
            break;
        }
        destination[i++] = c;
    }
    destination[i] = '\0';
    return {i, at_end && i < 63};
}
