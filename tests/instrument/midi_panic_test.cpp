// A host's panic: the channel-mode controllers All Notes Off (123) and All
// Sound Off (120), sent at a sample like any other event.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>

#include "synth_host.h"

namespace kx::test {
namespace {

constexpr int kAt = 100;  // the panic's sample in the block

// Two keys held into their sustain, then `panic` adds its events to a block
// of which kAt + 3000 samples are rendered.
std::vector<float> heldThen(const std::function<void(EventList&)>& panic) {
    Instance inst;
    Random::setState(11, 22);
    EventList keys;
    keys.noteOn(0, 60);
    keys.noteOn(5, 64);
    keys.send(inst);
    inst.render(2000);
    EventList block;
    panic(block);
    block.send(inst);
    return inst.render(kAt + 3000);
}

bool sameBits(const std::vector<float>& a, const std::vector<float>& b, size_t from, size_t to) {
    return std::memcmp(a.data() + from, b.data() + from, (to - from) * sizeof(float)) == 0;
}

float peak(const std::vector<float>& v, size_t from, size_t to) {
    float p = 0;
    for (size_t i = from; i < to; ++i)
        p = std::max(p, std::fabs(v[i]));
    return p;
}

TEST(MidiPanic, AllNotesOffReleasesLikeANoteOffOfEveryHeldKey) {
    SynthHost host;
    const auto panic = heldThen([](EventList& l) { l.add(kAt, 0xB3, 123, 0); });  // any channel
    const auto noteOffs = heldThen([](EventList& l) {
        l.noteOff(kAt, 60);
        l.noteOff(kAt, 64);
    });
    const auto nothing = heldThen([](EventList&) {});
    EXPECT_TRUE(sameBits(panic, noteOffs, 0, panic.size()));
    EXPECT_TRUE(sameBits(panic, nothing, 0, kAt));
    EXPECT_FALSE(sameBits(panic, nothing, kAt, kAt + 1));
    EXPECT_GT(peak(nothing, 2000, 3000), 0.1f);  // held, it keeps sounding
    EXPECT_LT(peak(panic, 2000, 3000), 1e-5f);   // the 10 ms release has run out
}

TEST(MidiPanic, AllSoundOffCutsAtItsSampleReleaseTailIncluded) {
    SynthHost host;
    const auto nothing = heldThen([](EventList&) {});
    const auto held = heldThen([](EventList& l) { l.add(kAt, 0xB0, 120, 0); });
    EXPECT_TRUE(sameBits(held, nothing, 0, kAt));
    EXPECT_GT(peak(held, kAt - 50, kAt), 0.1f);
    EXPECT_LT(peak(held, kAt, held.size()), 2e-6f);  // only the anti-denormal offset

    // A key released with a long tail: the tail stops too.
    Instance inst;
    inst.set(kRel1, 1.0f);
    inst.set(kRel2, 1.0f);
    inst.set(kRel3, 1.0f);
    EventList note;
    note.noteOn(0, 60);
    note.noteOff(1000, 60);
    note.add(1500, 0xBF, 120, 0);
    note.send(inst);
    const auto out = inst.render(3000);
    EXPECT_GT(peak(out, 1400, 1500), 0.1f);
    EXPECT_LT(peak(out, 1500, 3000), 2e-6f);
    EXPECT_TRUE(inst.synth->getVoice().noteStack.empty());
}

TEST(MidiPanic, OtherControllersChangeNothing) {
    SynthHost host;
    const auto nothing = heldThen([](EventList&) {});
    const auto others = heldThen([](EventList& l) {
        for (int cc : {1, 7, 64, 121, 122, 124, 125, 126, 127})
            l.add(kAt, 0xB0, cc, 0);
    });
    EXPECT_TRUE(sameBits(others, nothing, 0, nothing.size()));
}

}  // namespace
}  // namespace kx::test
