// What the two halves of the backend's check program share.
#pragma once

#include <cstdint>

// Prints "FAILED: what (value)" when ok is false and counts it.
void check(bool ok, const char* what, long value = 0);
// A pixel pattern that differs from its neighbours in every channel.
uint32_t pattern(uint32_t i);
// The windowed display on a desktop of width x height: its window, messages,
// clipped primary and scaled blits.
void windowed_checks(int32_t desktop_width, int32_t desktop_height);
