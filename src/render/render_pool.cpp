// The drawing threads: a pool that lives from render_threads_set to
// render_shutdown and runs one set of tasks at a time with the caller. Between
// sets the threads spin a little, as the next set of a frame follows at once,
// then sleep until the next frame.
#include "render/pool.h"
#include "render/render_state.h"

#if VELMOR_THREADS

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <new>
#include <thread>
#include <vector>

namespace {

// How long a thread waits for the next set of tasks before it sleeps.
constexpr auto SPIN_TIME = std::chrono::microseconds(300);

inline void cpu_relax() {
#if VELMOR_SSE2
    _mm_pause();
#endif
}

} // namespace

struct RenderPool {
    // The set of tasks being run, in one word that threads take tasks from:
    // its number (high 32 bits), its task count (16 bits) and the next task
    // to take (low 16 bits). A thread reads the set's task and context only
    // after it has seen the number, and takes a task only while the word still
    // holds that number: so it never runs a task with another set's function.
    std::atomic<uint64_t> state{0};
    std::atomic<PoolTask> task{nullptr};
    std::atomic<void*> context{nullptr};
    std::atomic<int32_t> done{0};
    std::atomic<int32_t> sleepers{0};
    std::atomic<bool> quit{false};
    std::mutex mutex;
    std::condition_variable wake;
    std::vector<std::thread> threads;
};

namespace {

inline uint32_t set_number(uint64_t state) {
    return (uint32_t)(state >> 32);
}

// Takes and runs tasks of set number `set` until none is left.
void run_tasks(RenderPool& p, uint32_t set) {
    uint64_t s = p.state.load(std::memory_order_acquire);
    for (;;) {
        const uint32_t next = (uint32_t)s & 0xFFFF, count = ((uint32_t)s >> 16) & 0xFFFF;
        if (set_number(s) != set || next >= count) return;
        const PoolTask task = p.task.load(std::memory_order_relaxed);
        void* const context = p.context.load(std::memory_order_relaxed);
        if (!p.state.compare_exchange_weak(s, s + 1, std::memory_order_acquire)) continue;
        task(context, (int32_t)next);
        p.done.fetch_add(1, std::memory_order_release);
        s = p.state.load(std::memory_order_acquire);
    }
}

void worker(RenderPool* pool) {
    RenderPool& p = *pool;
    uint32_t seen = set_number(p.state.load(std::memory_order_acquire));
    auto idle_since = std::chrono::steady_clock::now();
    for (int spins = 0;; ++spins) {
        if (p.quit.load(std::memory_order_acquire)) return;
        const uint32_t set = set_number(p.state.load(std::memory_order_acquire));
        if (set != seen) {
            run_tasks(p, set);
            seen = set;
            spins = 0;
            idle_since = std::chrono::steady_clock::now();
            continue;
        }
        cpu_relax();
        if ((spins & 255) != 255 || std::chrono::steady_clock::now() - idle_since < SPIN_TIME)
            continue;
        std::unique_lock<std::mutex> lock(p.mutex);
        p.sleepers.fetch_add(1);
        p.wake.wait(lock, [&] { return p.quit.load() || set_number(p.state.load()) != seen; });
        p.sleepers.fetch_sub(1);
        idle_since = std::chrono::steady_clock::now();
    }
}

} // namespace

int32_t pool_default_threads() {
    const unsigned cores = std::thread::hardware_concurrency();
    return cores == 0 ? 1 : (int32_t)cores;
}

RenderPool* pool_create(int32_t count) {
    if (count < 2) return nullptr;
    RenderPool* pool = new (std::nothrow) RenderPool;
    if (pool == nullptr) return nullptr;
    try {
        for (int32_t i = 1; i < count; ++i)
            pool->threads.emplace_back(worker, pool);
    } catch (...) {
        // Fewer threads than asked for still draw the same pixels.
    }
    if (pool->threads.empty()) {
        delete pool;
        return nullptr;
    }
    return pool;
}

void pool_destroy(RenderPool* pool) {
    if (pool == nullptr) return;
    {
        std::lock_guard<std::mutex> lock(pool->mutex);
        pool->quit.store(true);
    }
    pool->wake.notify_all();
    for (std::thread& t : pool->threads)
        t.join();
    delete pool;
}

int32_t pool_threads(const RenderPool* pool) {
    return pool == nullptr ? 1 : (int32_t)pool->threads.size() + 1;
}

void pool_run(RenderPool* pool, PoolTask task, void* context, int32_t count) {
    if (pool == nullptr || count < 2 || count > 0xFFFF) {
        for (int32_t i = 0; i < count; ++i)
            task(context, i);
        return;
    }
    RenderPool& p = *pool;
    p.task.store(task, std::memory_order_relaxed);
    p.context.store(context, std::memory_order_relaxed);
    p.done.store(0, std::memory_order_relaxed);
    const uint32_t set = set_number(p.state.load(std::memory_order_relaxed)) + 1;
    p.state.store((uint64_t)set << 32 | (uint64_t)count << 16); // publishes the fields above
    if (p.sleepers.load() > 0) {
        std::lock_guard<std::mutex> lock(p.mutex);
        p.wake.notify_all();
    }
    run_tasks(p, set);
    while (p.done.load(std::memory_order_acquire) != count)
        cpu_relax();
}

#else

struct RenderPool {};

int32_t pool_default_threads() {
    return 1;
}

RenderPool* pool_create(int32_t) {
    return nullptr;
}

void pool_destroy(RenderPool*) {}

int32_t pool_threads(const RenderPool*) {
    return 1;
}

void pool_run(RenderPool*, PoolTask task, void* context, int32_t count) {
    for (int32_t i = 0; i < count; ++i)
        task(context, i);
}

#endif
