// The floating-point state that the drawing core's bits depend on, set by the
// program itself: the C runtime's start-up leaves the x87 at 64-bit precision,
// but a DLL loaded into the process may narrow it (Direct3D drivers do) or
// change the rounding, and then the sines taken in long double come out other.
#include "platform/win32/win32_backend.h"

#include <xmmintrin.h>

namespace {

constexpr unsigned short x87_precision_mask = 0x0300; // 0x0300: 64-bit significand
constexpr unsigned short x87_rounding_mask = 0x0C00;  // 0: to nearest
constexpr unsigned sse_rounding_mask = 0x6000;        // 0: to nearest
constexpr unsigned sse_flush_to_zero = 0x8000;
constexpr unsigned sse_denormals_are_zero = 0x0040;

} // namespace

void win32_set_float_control() {
    unsigned short x87 = 0;
    __asm__ volatile("fnstcw %0" : "=m"(x87));
    x87 = (unsigned short)((x87 & ~(x87_precision_mask | x87_rounding_mask)) | x87_precision_mask);
    __asm__ volatile("fldcw %0" : : "m"(x87));
    _mm_setcsr(_mm_getcsr() & ~(sse_rounding_mask | sse_flush_to_zero | sse_denormals_are_zero));
}
