// Counts heap allocations while an LV2 host runs the bundle's library. The
// library carries its own C++ runtime, so its allocations are seen where
// they all end, at the C library's malloc, which this program interposes;
// it stays apart from the other suites for that reason.
#include "lv2/lv2_driver.h"

#include <atomic>
#include <cstdlib>

// The sanitizers own malloc (GCC says so with __SANITIZE_*__, clang only
// through __has_feature).
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
#define KX_OWN_MALLOC 0
#elif defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(thread_sanitizer)
#define KX_OWN_MALLOC 0
#endif
#endif
#ifndef KX_OWN_MALLOC
#define KX_OWN_MALLOC 1
#endif

namespace {

std::atomic<bool> counting{false};
std::atomic<int> allocations{0};

void count() {
    if (counting.load(std::memory_order_relaxed))
        allocations.fetch_add(1, std::memory_order_relaxed);
}

}  // namespace

#if KX_OWN_MALLOC
extern "C" {
void* __libc_malloc(size_t size);
void* __libc_calloc(size_t count, size_t size);
void* __libc_realloc(void* block, size_t size);

void* malloc(size_t size) {
    count();
    return __libc_malloc(size);
}
void* calloc(size_t n, size_t size) {
    count();
    return __libc_calloc(n, size);
}
void* realloc(void* block, size_t size) {
    count();
    return __libc_realloc(block, size);
}
}
#endif

namespace kx::testing {
namespace {

TEST(Lv2Run, AllocatesNothing) {
    if (!KX_OWN_MALLOC)
        GTEST_SKIP() << "the sanitizer owns malloc";
    Lv2Instance lv2(48000.0);
    for (float& control : lv2.controls)
        control = 0.0f;
    lv2.activate();
    std::vector<float> out(512);
    lv2.position(0, 120.0, 0.0, 1.0f);
    lv2.run(out.data(), 512);  // the first run may build what lasts

    // The count covers the runs alone; the events are written before each.
    for (int block = 0; block < 50; ++block) {
        lv2.midi(block % 512, 0x90, static_cast<unsigned char>(40 + block % 30), 100);
        lv2.position(100, 120.0 + block, block * 0.5, 1.0f);
        lv2.midi(300, 0x80, static_cast<unsigned char>(40 + block % 30), 0);
        lv2.controls[kLFODepth] = static_cast<float>(block);
        lv2.controls[kMainLvl] = block / 50.0f;
        counting = true;
        lv2.run(out.data(), 512);
        counting = false;
    }
    EXPECT_EQ(allocations.load(), 0);
    // The counter does see the library's allocations: a restore (not for
    // the audio thread) copies the chunk.
    SavedState saved = lv2.save();
    counting = true;
    EXPECT_EQ(lv2.restore(saved), LV2_STATE_SUCCESS);
    counting = false;
    EXPECT_GT(allocations.load(), 0);
}

}  // namespace
}  // namespace kx::testing
