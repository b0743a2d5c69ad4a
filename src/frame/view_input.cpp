// Steering view mode's camera with the mouse and keys, message by message.
// Pure functions of the camera, what the earlier messages left, and the
// message: the shell forwards its window's messages, and tests and tools
// script them.
#include <cmath>

#include "frame/frame.h"
#include "frame/view_camera.h"

namespace {

constexpr double ORBIT_PER_PIXEL = 0.4;         // degrees
constexpr double ORBIT_PER_KEY = 5.0;           // degrees
constexpr double ZOOM_STEP = 1.1;               // a wheel notch or a key
constexpr double TURN_PER_TICK = 360.0 / 600.0; // a turn in 12 s at 50 ticks a second
constexpr int32_t PAN_KEY_PARTS = 20;           // Shift + arrow pans by a 20th of the smaller side

double clamp(double v, double low, double high) {
    return v < low ? low : v > high ? high : v;
}

// Within [0, 360), where a double keeps its steps exact the longest.
double wrap_degrees(double a) {
    a = std::fmod(a, 360.0);
    return a < 0.0 ? a + 360.0 : a;
}

int32_t low_word(intptr_t v) {
    return (int16_t)(v & 0xFFFF);
}

int32_t high_word(intptr_t v) {
    return (int16_t)((v >> 16) & 0xFFFF);
}

// As a drag of right and down degrees: the model follows the pointer.
void orbit(ViewCamera& c, double right, double down) {
    c.azimuth = wrap_degrees(c.azimuth - right);
    c.elevation = clamp(c.elevation + down, -90.0, 90.0);
}

// The target moves so that what lay under the pointer at the target's depth
// stays under it after a move of dx, dy pixels.
void pan(ViewCamera& c, double dx, double dy, int32_t width, int32_t height) {
    const ViewAxes a = view_axes(c);
    const double per_pixel = view_distance(c) / view_focal_length(width, height);
    c.target[0] += per_pixel * (dy * a.up.x - dx * a.right.x);
    c.target[1] += per_pixel * (dy * a.up.y - dx * a.right.y);
    c.target[2] += per_pixel * (dy * a.up.z - dx * a.right.z);
}

void zoom_by(ViewCamera& c, int32_t steps) {
    for (; steps > 0; --steps)
        c.zoom = clamp(c.zoom * ZOOM_STEP, view_zoom_min, view_zoom_max);
    for (; steps < 0; ++steps)
        c.zoom = clamp(c.zoom / ZOOM_STEP, view_zoom_min, view_zoom_max);
}

bool button_down(ViewInput& in, uintptr_t button, ViewDrag drag, intptr_t lparam) {
    in.drag = drag;
    in.drag_button = button;
    in.x = low_word(lparam), in.y = high_word(lparam);
    return false;
}

bool button_up(ViewInput& in, uintptr_t button) {
    if (in.drag_button == button) in.drag = ViewDrag::none;
    return false;
}

bool pointer_move(ViewCamera& c, ViewInput& in, uintptr_t wparam, intptr_t lparam, int32_t width,
                  int32_t height) {
    const int32_t x = low_word(lparam), y = high_word(lparam);
    const int32_t dx = x - in.x, dy = y - in.y;
    in.x = x, in.y = y;
    // A button let go outside the window sends no message of its own.
    if ((wparam & in.drag_button) == 0) in.drag = ViewDrag::none;
    if (in.drag == ViewDrag::none || (dx == 0 && dy == 0)) return false;
    in.turntable = false;
    if (in.drag == ViewDrag::orbit)
        orbit(c, ORBIT_PER_PIXEL * dx, ORBIT_PER_PIXEL * dy);
    else
        pan(c, dx, dy, width, height);
    return true;
}

bool wheel_turn(ViewCamera& c, ViewInput& in, uintptr_t wparam) {
    const int32_t delta = high_word((intptr_t)wparam);
    if (delta == 0) return false;
    in.turntable = false;
    in.wheel += delta;
    const int32_t notches = in.wheel / VIEW_WHEEL_NOTCH;
    in.wheel -= notches * VIEW_WHEEL_NOTCH;
    zoom_by(c, notches);
    return notches != 0;
}

// An arrow as a drag that way: dx, dy are -1, 0 or 1.
bool arrow(ViewCamera& c, ViewInput& in, int32_t dx, int32_t dy, int32_t width, int32_t height) {
    in.turntable = false;
    if (!in.shift) {
        orbit(c, ORBIT_PER_KEY * dx, ORBIT_PER_KEY * dy);
        return true;
    }
    const double step = (width < height ? width : height) / (double)PAN_KEY_PARTS;
    pan(c, step * dx, step * dy, width, height);
    return true;
}

// One of the fixed views, which stops the turntable so that it stays.
bool fixed_view(ViewCamera& c, ViewInput& in, double azimuth, double elevation) {
    in.turntable = false;
    c.azimuth = azimuth, c.elevation = elevation;
    return true;
}

bool key_down(ViewCamera& c, ViewInput& in, uintptr_t key, int32_t width, int32_t height) {
    switch (key) {
    case VIEW_KEY_SHIFT:
        in.shift = true;
        return false;
    case VIEW_KEY_SPACE:
        in.turntable = !in.turntable;
        return false;
    case VIEW_KEY_HOME:
    case 'R':
        c = frame_view_start(c.up);
        return true;
    case 'U':
        c.up = c.up == UpAxis::file_z ? UpAxis::file_y : UpAxis::file_z;
        return true;
    case VIEW_KEY_LEFT:
        return arrow(c, in, -1, 0, width, height);
    case VIEW_KEY_RIGHT:
        return arrow(c, in, 1, 0, width, height);
    case VIEW_KEY_UP:
        return arrow(c, in, 0, -1, width, height);
    case VIEW_KEY_DOWN:
        return arrow(c, in, 0, 1, width, height);
    case VIEW_KEY_ADD:
    case VIEW_KEY_PLUS:
        in.turntable = false;
        zoom_by(c, 1);
        return true;
    case VIEW_KEY_SUBTRACT:
    case VIEW_KEY_MINUS:
        in.turntable = false;
        zoom_by(c, -1);
        return true;
    case '1':
    case VIEW_KEY_NUMPAD0 + 1:
        return fixed_view(c, in, 0.0, 0.0);
    case '3':
    case VIEW_KEY_NUMPAD0 + 3:
        return fixed_view(c, in, 90.0, 0.0);
    case '7':
    case VIEW_KEY_NUMPAD0 + 7:
        return fixed_view(c, in, 0.0, 90.0);
    default:
        return false;
    }
}

} // namespace

ViewInput frame_view_input_start() {
    return {true, false, ViewDrag::none, 0, 0, 0, 0};
}

bool frame_view_message(ViewCamera& camera, ViewInput& input, uint32_t message, uintptr_t wparam,
                        intptr_t lparam, int32_t width, int32_t height) {
    const bool shift = (wparam & VIEW_BUTTON_SHIFT) != 0;
    switch (message) {
    case VIEW_MESSAGE_KEYDOWN:
        return key_down(camera, input, wparam, width, height);
    case VIEW_MESSAGE_KEYUP:
        if (wparam == VIEW_KEY_SHIFT) input.shift = false;
        return false;
    case VIEW_MESSAGE_LBUTTONDOWN:
        input.shift = shift;
        return button_down(input, VIEW_BUTTON_LEFT, shift ? ViewDrag::pan : ViewDrag::orbit,
                           lparam);
    case VIEW_MESSAGE_RBUTTONDOWN:
        return button_down(input, VIEW_BUTTON_RIGHT, ViewDrag::pan, lparam);
    case VIEW_MESSAGE_MBUTTONDOWN:
        return button_down(input, VIEW_BUTTON_MIDDLE, ViewDrag::pan, lparam);
    case VIEW_MESSAGE_LBUTTONUP:
        return button_up(input, VIEW_BUTTON_LEFT);
    case VIEW_MESSAGE_RBUTTONUP:
        return button_up(input, VIEW_BUTTON_RIGHT);
    case VIEW_MESSAGE_MBUTTONUP:
        return button_up(input, VIEW_BUTTON_MIDDLE);
    case VIEW_MESSAGE_MOUSEMOVE:
        input.shift = shift;
        return pointer_move(camera, input, wparam, lparam, width, height);
    case VIEW_MESSAGE_MOUSEWHEEL:
        return wheel_turn(camera, input, wparam);
    default:
        return false;
    }
}

void frame_view_tick(ViewCamera& camera, const ViewInput& input) {
    if (input.turntable) camera.azimuth = wrap_degrees(camera.azimuth + TURN_PER_TICK);
}
