#include <gtest/gtest.h>

#include <cmath>

#include "math/maths.h"

// The portable sine and cosine must agree with the C library to within its
// rounding, and must round to the same float for every angle the program uses.
TEST(Trig, AgreesWithTheLibraryWithinRounding) {
    for (int i = -4000; i <= 4000; ++i) {
        double x = i * 0.00731;
        EXPECT_NEAR(math_sin(x), std::sin(x), 2.3e-16 * (1 + std::fabs(x)));
        EXPECT_NEAR(math_cos(x), std::cos(x), 2.3e-16 * (1 + std::fabs(x)));
        EXPECT_EQ((float)math_sin((float)x), (float)std::sin((double)(float)x)) << x;
    }
}

TEST(Trig, SpecialValuesAndExtendedPrecision) {
    EXPECT_EQ(math_sin(0.0), 0.0);
    EXPECT_TRUE(std::signbit(math_sin(-0.0)));
    EXPECT_EQ(math_cos(0.0), 1.0);
    EXPECT_TRUE(std::isnan(math_sin(NAN)) && std::isnan(math_sin(INFINITY)));
    EXPECT_TRUE(std::isnan(math_cosl(-INFINITY)));
    // sin(0.1f) to 22 digits: closer than a double can be.
    const long double x = 0.100000001490116119384765625L;
    EXPECT_NEAR((double)(math_sinl(x) - 0.0998334181294998977317L), 0.0, 1e-19);
}
