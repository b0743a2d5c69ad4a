// View mode's numbers as a command line writes them, read alike by velmor,
// velmor-capture, velmor-render and the benchmarks.
#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "frame/frame.h"

namespace {

// A finite number from low to high, followed by ',' or the end; null if not.
const char* parse_number(const char* text, double low, double high, double& value) {
    char* end = nullptr;
    errno = 0;
    value = std::strtod(text, &end);
    bool ok =
        errno == 0 && end != text && (*end == ',' || *end == '\0') && value >= low && value <= high;
    return ok ? end : nullptr;
}

// A whole decimal number from low to high, followed by stop; null if not.
const char* parse_side(const char* text, long low, long high, char stop, long& value) {
    char* end = nullptr;
    errno = 0;
    value = std::strtol(text, &end, 10);
    bool ok = errno == 0 && end != text && *end == stop && value >= low && value <= high;
    return ok ? end : nullptr;
}

} // namespace

bool frame_view_parse(const char* text, ViewCamera& camera) {
    ViewCamera read = camera;
    const char* end = parse_number(text, -360.0, 360.0, read.azimuth);
    if (!end || *end != ',') return false;
    end = parse_number(end + 1, -90.0, 90.0, read.elevation);
    if (end && *end == ',') end = parse_number(end + 1, view_zoom_min, view_zoom_max, read.zoom);
    if (!end || *end != '\0') return false;
    camera = read;
    return true;
}

bool frame_size_parse(const char* text, const SizeRange& range, int32_t& width, int32_t& height) {
    long w = 0, h = 0;
    const char* end = parse_side(text, range.min_side, range.max_width, 'x', w);
    if (end) {
        if (!parse_side(end + 1, range.min_side, range.max_height, '\0', h)) return false;
    } else if (range.square && parse_side(text, range.min_side, range.max_width, '\0', w) &&
               w <= range.max_height) {
        h = w;
    } else {
        return false;
    }
    width = (int32_t)w, height = (int32_t)h;
    return true;
}

bool frame_colour_parse(const char* text, uint32_t& colour) {
    char* end = nullptr;
    const unsigned long value = std::strtoul(text, &end, 16);
    if (std::strlen(text) != 6 || end != text + 6 || text[0] == '+' || text[0] == '-') return false;
    colour = (uint32_t)value;
    return true;
}
