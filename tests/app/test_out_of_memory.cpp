// Start-up when the depth buffer or the ColourBuffer cannot be allocated. This
// binary is linked with malloc and calloc wrapped, so that an allocation of the
// screen's size can be made to fail.
#include <cstdlib>

#include "app_fixture.h"

namespace {

constexpr size_t SCREEN_BYTES = (size_t)screen_width * screen_height * 4;
int fail_screen_allocation = 0; // which allocation of SCREEN_BYTES fails (1 = first)
int screen_allocations = 0;

bool should_fail(size_t size) {
    return size == SCREEN_BYTES && ++screen_allocations == fail_screen_allocation;
}

} // namespace

extern "C" void* __real_malloc(size_t size);
extern "C" void* __real_calloc(size_t count, size_t size);

extern "C" void* __wrap_malloc(size_t size) {
    return should_fail(size) ? nullptr : __real_malloc(size);
}

extern "C" void* __wrap_calloc(size_t count, size_t size) {
    return count && should_fail(count * size) ? nullptr : __real_calloc(count, size);
}

// Start-up makes the depth buffer (render_init) before the ColourBuffer.
TEST_F(AppRun, NoDepthBufferOrColourBufferEndsStartUp) {
    write_file("Z_Test.3ds", {});
    const char* lines[] = {"velmor: cannot allocate the depth buffer\n",
                           "velmor: cannot allocate the colour buffer\n"};
    for (int which = 1; which <= 2; ++which) {
        fail_screen_allocation = which;
        screen_allocations = 0;
        EXPECT_EQ(run_ticks(2), 1);
        EXPECT_EQ(stderr_text, lines[which - 1]);
        EXPECT_EQ(headless_calls(HeadlessOp::set_timer), 0);
        EXPECT_EQ(headless_calls(HeadlessOp::display_create), 0);
        EXPECT_EQ(view_state.colour_buffer, nullptr);
        expect_all_given_back();
    }
    fail_screen_allocation = 0;
}
