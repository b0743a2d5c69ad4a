// The drawing threads: a pool that runs one set of tasks at a time, with the
// caller's thread among them.
#pragma once

#include <cstdint>

struct RenderPool;

// Runs task(context, i) for every i below count, spread over the pool's
// threads and the caller's; returns when every task has run. Without a pool
// the caller runs them in order.
using PoolTask = void (*)(void* context, int32_t index);
void pool_run(RenderPool* pool, PoolTask task, void* context, int32_t count);
// A pool of count - 1 threads beside the caller's, or null when count < 2 or
// the build has no threads.
RenderPool* pool_create(int32_t count);
void pool_destroy(RenderPool* pool);
int32_t pool_threads(const RenderPool* pool);
// One thread per core, or 1 without threads.
int32_t pool_default_threads();
