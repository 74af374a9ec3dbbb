// Counts heap allocations while the audio callbacks run. This program
// replaces the global allocation functions, so it stays apart from the other
// suites.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <new>

#include "../instrument/synth_host.h"

#if defined(__has_feature)
#if __has_feature(address_sanitizer)
#define KX_UNDER_ASAN 1
#endif
#endif
#if defined(__SANITIZE_ADDRESS__)
#define KX_UNDER_ASAN 1
#endif

namespace {

std::atomic<bool> counting{false};
std::atomic<int> allocations{0};
// While counting: the allocation with this number (1 = the first) fails.
std::atomic<int> failAt{0};
// Blocks handed out minus blocks given back while `tracking`.
std::atomic<bool> tracking{false};
std::atomic<long> live{0};

#ifndef KX_UNDER_ASAN
void* allocate(std::size_t size) {
    if (counting.load(std::memory_order_relaxed)) {
        const int n = allocations.fetch_add(1, std::memory_order_relaxed) + 1;
        if (n == failAt.load(std::memory_order_relaxed))
            throw std::bad_alloc();
    }
    if (void* p = std::malloc(size ? size : 1)) {
        if (tracking.load(std::memory_order_relaxed))
            live.fetch_add(1, std::memory_order_relaxed);
        return p;
    }
    throw std::bad_alloc();
}

void release(void* p) noexcept {
    if (p && tracking.load(std::memory_order_relaxed))
        live.fetch_sub(1, std::memory_order_relaxed);
    std::free(p);
}

void* allocateAligned(std::size_t size, std::align_val_t align) {
    if (counting.load(std::memory_order_relaxed))
        allocations.fetch_add(1, std::memory_order_relaxed);
    const std::size_t a = static_cast<std::size_t>(align);
    if (void* p = std::aligned_alloc(a, (size + a - 1) / a * a))
        return p;
    throw std::bad_alloc();
}
#endif

}  // namespace

#ifndef KX_UNDER_ASAN
// GCC pairs these with the library's own allocation functions otherwise.
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"

void* operator new(std::size_t size) { return allocate(size); }
void* operator new[](std::size_t size) { return allocate(size); }
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
    try {
        return allocate(size);
    } catch (...) {
        return nullptr;
    }
}
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept {
    try {
        return allocate(size);
    } catch (...) {
        return nullptr;
    }
}
void* operator new(std::size_t size, std::align_val_t align) { return allocateAligned(size, align); }
void* operator new[](std::size_t size, std::align_val_t align) { return allocateAligned(size, align); }
void operator delete(void* p) noexcept { release(p); }
void operator delete[](void* p) noexcept { release(p); }
void operator delete(void* p, std::size_t) noexcept { release(p); }
void operator delete[](void* p, std::size_t) noexcept { release(p); }
void operator delete(void* p, std::align_val_t) noexcept { std::free(p); }
void operator delete[](void* p, std::align_val_t) noexcept { std::free(p); }
void operator delete(void* p, std::size_t, std::align_val_t) noexcept { std::free(p); }
void operator delete[](void* p, std::size_t, std::align_val_t) noexcept { std::free(p); }
#endif

namespace kx::test {
namespace {

TEST(AudioThread, ProcessingAllocatesNothing) {
#ifdef KX_UNDER_ASAN
    GTEST_SKIP() << "the sanitizer owns the allocation functions";
#endif
    SynthHost host;
    host.setTime(true, 0.0, 128.0);
    Instance inst;
    inst.set(kLFODepth, 1.0f);
    inst.set(kLFOWave, 1.0f);  // random shape: draws at each wrap
    inst.set(kPorta2, 0.5f);

    // Lists are built before counting starts; only the callbacks are counted.
    EventList lists[4];
    for (int b = 0; b < 4; ++b) {
        for (int k = 0; k < 64; ++k)
            lists[b].noteOn(k * 4, (k * 7 + b) % 128, k % 3 == 0 ? 0 : 90, k % 16);
        lists[b].add(100, 0xE0, 3, 90);
        lists[b].sysexAt(10);
        lists[b].build();
    }
    std::vector<float> out(512);
    std::vector<double> outDouble(512);
    float* outs[1] = {out.data()};
    double* outsDouble[1] = {outDouble.data()};

    allocations = 0;
    counting = true;
    for (int round = 0; round < 50; ++round) {
        EventList& list = lists[round % 4];
        inst.dispatch(effProcessEvents, 0, 0, reinterpret_cast<VstEvents*>(list.block.get()));
        if (round % 2)
            inst.effect->processReplacing(inst.effect, nullptr, outs, 512);
        else
            inst.effect->processDoubleReplacing(inst.effect, nullptr, outsDouble, 512);
        host.time.ppqPos += 1.0;
    }
    counting = false;
    EXPECT_EQ(allocations.load(), 0);

    // The counter itself works.
    counting = true;
    auto* probe = new int(3);
    counting = false;
    delete probe;
    EXPECT_EQ(allocations.load(), 1);
}

// Hosts automate parameters from the audio thread between (or inside) blocks:
// storing the value, refreshing its texts and re-applying the program must
// not reach the heap either, whatever value the host sends.
TEST(AudioThread, AutomationAllocatesNothing) {
#ifdef KX_UNDER_ASAN
    GTEST_SKIP() << "the sanitizer owns the allocation functions";
#endif
    SynthHost host;
    Instance inst;
    std::vector<float> out(256);
    float* outs[1] = {out.data()};
    const float values[] = {0.0f, 0.37f, 1.0f, -1.0f, 2.5f, 1e30f, -1e30f, 3.4e38f, -3.4e38f, 1e-40f};

    allocations = 0;
    counting = true;
    for (float v : values) {
        for (int i = 0; i < kSynthParamCount; ++i)
            inst.set(i, v);
        (void)inst.get(kMainLvl);
        inst.effect->processReplacing(inst.effect, nullptr, outs, 256);
    }
    counting = false;
    EXPECT_EQ(allocations.load(), 0);
}

// Each allocation of an instance's construction, skin included, failing in
// turn: the failure comes out as bad_alloc (the entry point turns it into no
// effect) and whatever was built is freed again.
TEST(Construction, AFailedAllocationLeavesNothingBehind) {
#ifdef KX_UNDER_ASAN
    GTEST_SKIP() << "the sanitizer owns the allocation functions";
#endif
    // A first instance sets up what the process keeps (tables, registries).
    delete createEffectInstance(&SynthHost::callback);
    allocations = 0;
    counting = true;
    delete createEffectInstance(&SynthHost::callback);
    counting = false;
    const int total = allocations.load();
    ASSERT_GT(total, 0);
    for (int n = 1; n <= total; ++n) {
        allocations = 0;
        failAt = n;
        live = 0;
        tracking = true;
        counting = true;
        AudioEffect* effect = nullptr;
        try {
            effect = createEffectInstance(&SynthHost::callback);
        } catch (const std::bad_alloc&) {
        }
        counting = false;
        delete effect;  // built anyway when the failed allocation was optional
        tracking = false;
        EXPECT_EQ(live.load(), 0) << "allocation " << n << " of " << total;
    }
    failAt = 0;
}

}  // namespace
}  // namespace kx::test
