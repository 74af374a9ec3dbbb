// What a host hears of the patch commands: each changed parameter as one
// gesture, so that a host which records them (automation, undo, its own
// copy of the values) ends up with the patch the command made.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "synth_host.h"

namespace kx::test {
namespace {

std::string display(Instance& inst, int index) {
    char text[64] = {};
    inst.dispatch(effGetParamDisplay, index, 0, text);
    return text;
}

// Checks that the edits are whole gestures in index order and replays their
// values into `copy` as a host's automation would; returns the indices.
std::vector<int> replayGestures(const std::vector<SynthHost::Edit>& edits, Instance& copy) {
    std::vector<int> indices;
    EXPECT_EQ(edits.size() % 3, 0u);
    for (size_t i = 0; i + 2 < edits.size(); i += 3) {
        EXPECT_EQ(edits[i].opcode, audioMasterBeginEdit) << i;
        EXPECT_EQ(edits[i + 1].opcode, audioMasterAutomate) << i;
        EXPECT_EQ(edits[i + 2].opcode, audioMasterEndEdit) << i;
        const int index = edits[i].index;
        EXPECT_EQ(edits[i + 1].index, index);
        EXPECT_EQ(edits[i + 2].index, index);
        if (!indices.empty()) {
            EXPECT_GT(index, indices.back());
        }
        indices.push_back(index);
        copy.set(index, edits[i + 1].value);
    }
    return indices;
}

TEST(CommandReport, EachChangedParameterReachesTheHostAsOneGesture) {
    SynthHost host;
    Instance inst, copy;  // `copy` is what the host knows of the patch
    Random::setState(4242, 2424);
    inst.set(kPortaRst, 0.3f);
    inst.set(kPtchBend, 0.9f);
    copy.set(kPortaRst, 0.3f);
    copy.set(kPtchBend, 0.9f);
    for (int command : {kCmdFullRandom, kCmdPartRandom, kCmdRandom, kCmdAutoLevel}) {
        SCOPED_TRACE(command);
        host.edits.clear();
        std::vector<double> before;
        for (int i = 0; i < kSynthParamCount; ++i)
            before.push_back(inst.synth->getParameterValue(i));
        inst.synth->executeCommand(command, false, false);
        const std::vector<int> reported = replayGestures(host.edits, copy);
        std::vector<int> changed;
        for (int i = 0; i < kSynthParamCount; ++i)
            if (inst.synth->getParameterValue(i) != before[static_cast<size_t>(i)])
                changed.push_back(i);
        EXPECT_EQ(reported, changed);
        for (int i = 0; i < kSynthParamCount; ++i)
            EXPECT_EQ(display(copy, i), display(inst, i)) << "parameter " << i;
    }
    // Full Random puts these back: nothing to report.
    host.edits.clear();
    inst.synth->executeCommand(kCmdFullRandom, false, false);
    for (const SynthHost::Edit& e : host.edits)
        EXPECT_TRUE(e.index != kPortaRst && e.index != kPtchBend) << e.index;
    EXPECT_GE(host.edits.size(), 3u * 20);

    // Auto Level a second time changes nothing, and says nothing.
    inst.synth->executeCommand(kCmdAutoLevel, false, false);
    host.edits.clear();
    inst.synth->executeCommand(kCmdAutoLevel, false, false);
    inst.synth->executeCommand(42, false, false);
    EXPECT_TRUE(host.edits.empty());
}

}  // namespace
}  // namespace kx::test
