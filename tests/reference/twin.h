// A freshly loaded plug-in and the reference model, driven with the same
// host traffic and compared sample by sample.
//
// The plug-in's random generator is process-wide in its module, so every
// Twin loads its own copy of the module file (a distinct file is a distinct
// load with its own statics); the model's generator then starts from the
// same seeds and both see the same draws.
#pragma once

#include "kelvox2/host/plugin_host.h"
#include "reference_model.h"

#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

namespace kx::ref {

VstMidiEvent midi(int deltaFrames, int status, int data1, int data2);
inline VstMidiEvent noteOn(int at, int key, int velocity = 100, int channel = 0) {
    return midi(at, 0x90 | channel, key, velocity);
}
inline VstMidiEvent noteOff(int at, int key, int channel = 0) { return midi(at, 0x80 | channel, key, 64); }
// Bend as the two 7-bit data bytes of the message.
inline VstMidiEvent bend(int at, int lsb, int msb) { return midi(at, 0xE0, lsb, msb); }

// How one comparison went: samples compared, the largest difference, and the
// first sample outside the tolerance with both values.
struct Comparison {
    long samples = 0;
    long floatSamples = 0;         // of which through processReplacing
    double maxDiff = 0;            // over double-path samples
    double maxFloatDiff = 0;       // float-path samples against the model's double
    long floatNotRounded = 0;      // float samples other than the model's double rounded
    double peak = 0;               // largest model magnitude: the scenario made sound
    long overruns = 0;             // blocks after which the sample past the end was written
    long controlStateChanges = 0;  // blocks after which the FPU control state differed
    long firstBad = -1;
    double pluginAtBad = 0;
    double modelAtBad = 0;
    bool ok() const { return firstBad < 0 && overruns == 0 && controlStateChanges == 0; }
};

class Twin {
public:
    static constexpr double kDoubleTolerance = 1e-9;

    // Loads a fresh module copy; the host answers hostRate to the
    // sample-rate query. Then open, effSetSampleRate(rate) (left out when
    // rate is 0), block size and resume, as a host starts a plug-in.
    bool start(std::string* error, double hostRate = 44100.0, float rate = 44100.0f);
    // A second instance from the module of a started twin: it shares that
    // module's generator, as instances in one process do.
    bool startBeside(Twin& first, std::string* error);

    // Parameter traffic reaching both sides.
    void setParameter(int index, float value);
    void setSampleRate(float rate);
    void suspend();
    void resume();
    void setProgram(int program);
    void executeCommand(int command, bool shift, bool control);

    // Host time information answered from now on (null: none).
    void setTime(const VstTimeInfo* info);

    void events(const std::vector<VstMidiEvent>& list, const std::vector<VstEvent*>& extra = {});
    // Renders frames through processDoubleReplacing (or processReplacing)
    // on both sides and compares; the plug-in's buffer starts as garbage.
    void render(int frames, bool doublePrecision = true);
    // Renders in blocks of at most blockSize.
    void renderBlocks(int frames, int blockSize, bool doublePrecision = true);

    // The plug-in's stored values of the current program, from its chunk.
    std::vector<double> pluginStored() const;

    const Comparison& result() const { return result_; }
    PluginHost& host() { return host_; }
    RefSynth& model() { return *model_; }
    // All samples the model produced so far, in order.
    const std::vector<double>& modelSamples() const { return modelSamples_; }

private:
    PluginHost host_;
    std::unique_ptr<RefSynth> model_;
    VstTimeInfo time_{};
    bool timeEnabled_ = false;
    Comparison result_;
    std::vector<double> modelSamples_;
};

// gtest-friendly summary of a comparison.
std::string describe(const Comparison& c);
// Prints the summary under the running test's name (the figures are worth
// seeing when the suite passes too).
void report(const Comparison& c);

}  // namespace kx::ref

// Asserts that the twin's outputs agreed so far and that the model made sound.
#define EXPECT_TWIN_MATCHES(twin)                                                              \
    do {                                                                                       \
        const ::kx::ref::Comparison& c_ = (twin).result();                                     \
        ::kx::ref::report(c_);                                                                 \
        EXPECT_TRUE(c_.ok()) << ::kx::ref::describe(c_);                                       \
        EXPECT_GT(c_.peak, 1e-4) << "the scenario stayed silent: " << ::kx::ref::describe(c_); \
    } while (0)

// Skips a comparison on which the plug-in and the intended behaviour are
// known to disagree, naming the disagreement; with the environment variable
// KX_REFERENCE_DISAGREEMENTS set the comparison runs (to re-check a fix).
#define SKIP_KNOWN_DISAGREEMENT(reason)                   \
    do {                                                  \
        if (!::std::getenv("KX_REFERENCE_DISAGREEMENTS")) \
            GTEST_SKIP() << "disagreement: " << (reason); \
    } while (0)
