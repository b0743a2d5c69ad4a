#include "viewarg/view_argument.h"

#include <cerrno>
#include <cstdlib>

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

} // namespace

bool view_argument_parse(const char* text, ViewCamera& camera) {
    ViewCamera read = camera;
    const char* end = parse_number(text, -360.0, 360.0, read.azimuth);
    if (!end || *end != ',') return false;
    end = parse_number(end + 1, -90.0, 90.0, read.elevation);
    if (end && *end == ',') end = parse_number(end + 1, view_zoom_min, view_zoom_max, read.zoom);
    if (!end || *end != '\0') return false;
    camera = read;
    return true;
}
