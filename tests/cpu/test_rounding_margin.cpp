// Why a build whose long double is only a double (MSVC, -mlong-double-64) or
// a 128-bit quad (aarch64) draws the same frames as the x87 one: every angle
// the program turns by, and its sine and cosine, lies far from the boundary
// where rounding to float would tip to the neighbouring float. A double errs
// by about 2^-26 of a float step here; the margin must stay far above that.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "frame/frame.h"
#include "render/render.h"

namespace {

constexpr int rocking_cycle = 63; // frames until the animation angle is 0 again
const double required_margin = std::ldexp(1.0, -20);

// Distance of x from the nearest point where rounding to float changes, in
// steps of the float it rounds to (0.5 for a float itself).
double rounding_margin(long double x) {
    const float f = (float)x;
    const long double up = std::nextafter(f, INFINITY), down = std::nextafter(f, -INFINITY);
    const long double step = up - f;
    const long double to_up = std::fabs(x - (f + up) / 2), to_down = std::fabs(x - (f + down) / 2);
    return (double)(std::fmin(to_up, to_down) / step);
}

// The animation angles of one cycle, as the program's own frame work advances them.
std::vector<float> animation_angles() {
    EXPECT_EQ(render_init(screen_width, screen_height), 1);
    std::vector<uint32_t> colours(size_t(screen_width) * screen_height);
    Scene empty{};
    ViewState view{};
    view.scene = &empty;
    std::vector<float> angles;
    float angle = 0.0f;
    for (int frame = 0; frame < rocking_cycle; ++frame) {
        frame_draw(view, angle, Turning::by_index, colours.data());
        angles.push_back(angle);
    }
    render_shutdown();
    return angles;
}

} // namespace

TEST(RoundingMargin, EveryTurnOfTheProgramIsFarFromAFloatBoundary) {
    std::vector<float> turns = {-3.1415925f, -0.5235988f}; // the camera's
    for (float speed : turn_speeds)
        turns.push_back(speed * 0.031415924f); // the steady turn about X
    for (float angle : animation_angles()) {
        for (float speed : turn_speeds) {
            // The rocking turn about Y, before it is rounded to float.
            const long double rocking = math_sinl(angle) * 0.031415926 * speed;
            EXPECT_GT(rounding_margin(rocking), required_margin) << "rocking at " << angle;
            turns.push_back((float)rocking);
        }
    }
    for (float turn : turns) {
        EXPECT_GT(rounding_margin(math_sinl(turn)), required_margin) << "sine of " << turn;
        EXPECT_GT(rounding_margin(math_cosl(turn)), required_margin) << "cosine of " << turn;
    }
}
