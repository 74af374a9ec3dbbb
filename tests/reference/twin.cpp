#include "twin.h"

#include "plugin/effect.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <iostream>
#include <limits>
#include <sstream>

#if defined(__SSE__)
#include <xmmintrin.h>
#endif

namespace kx::ref {

namespace {

namespace fs = std::filesystem;

// One folder per test process for the module copies; removed at exit. The
// copies stay until then so that no later copy can reuse the file identity
// of a module that is still mapped.
class CopyFolder {
public:
    CopyFolder() {
        std::string pattern = (fs::temp_directory_path() / "kx_reference_XXXXXX").string();
        if (::mkdtemp(pattern.data()))
            folder_ = pattern;
    }
    ~CopyFolder() {
        std::error_code ignored;
        if (!folder_.empty())
            fs::remove_all(folder_, ignored);
    }
    // A fresh copy of the module; empty on failure.
    std::string copy(std::string* error) {
        if (folder_.empty()) {
            *error = "no temporary folder";
            return {};
        }
        fs::path dir = fs::path(folder_) / std::to_string(next_++);
        std::error_code ec;
        fs::create_directory(dir, ec);
        fs::path target = dir / fs::path(KX_PLUGIN_PATH).filename();
        if (!ec)
            fs::copy_file(KX_PLUGIN_PATH, target, ec);
        if (ec) {
            *error = "cannot copy the module: " + ec.message();
            return {};
        }
        return target.string();
    }

private:
    std::string folder_;
    int next_ = 0;
};

CopyFolder& copies() {
    static CopyFolder folder;
    return folder;
}

KEffect* effectOf(const PluginHost& host) {
    return static_cast<KEffect*>(static_cast<AudioEffect*>(host.effect()->object));
}

}  // namespace

// The SSE control and status bits that a block must leave as it found them
// (flags excluded: they only record what happened).
unsigned controlState() {
#if defined(__SSE__)
    return _mm_getcsr() & ~0x3Fu;
#else
    return 0;
#endif
}

VstMidiEvent midi(int deltaFrames, int status, int data1, int data2) {
    return makeMidiEvent(deltaFrames, static_cast<unsigned char>(status), static_cast<unsigned char>(data1),
                         static_cast<unsigned char>(data2));
}

bool Twin::start(std::string* error, double hostRate, float rate) {
    const std::string path = copies().copy(error);
    if (path.empty())
        return false;
    host_.hostSampleRate = hostRate;
    if (!host_.load(path, error))
        return false;
    // The host answers its rate as an integer.
    model_ = std::make_unique<RefSynth>(static_cast<double>(static_cast<VstIntPtr>(hostRate)));
    host_.open();
    if (rate > 0)
        setSampleRate(rate);
    host_.setBlockSize(512);
    resume();
    return true;
}

bool Twin::startBeside(Twin& first, std::string* error) {
    host_.hostSampleRate = first.host_.hostSampleRate;
    if (!host_.load(first.host_.path(), error))
        return false;
    model_ = std::make_unique<RefSynth>(static_cast<double>(static_cast<VstIntPtr>(host_.hostSampleRate)),
                                        &first.model().random());
    host_.open();
    setSampleRate(44100.0f);
    host_.setBlockSize(512);
    resume();
    return true;
}

void Twin::setParameter(int index, float value) {
    host_.setParameter(index, value);
    model_->setParameter(index, value);
}

void Twin::setSampleRate(float rate) {
    host_.setSampleRate(rate);
    model_->setSampleRate(rate);
}

void Twin::suspend() {
    host_.mainsChanged(false);
    model_->suspend();
}

void Twin::resume() {
    host_.mainsChanged(true);
    model_->resume();
}

void Twin::setProgram(int program) {
    host_.setProgram(program);
    // The dispatcher passes on only numbers below 10 (-1 included).
    if (program < 10)
        model_->setProgram(program);
}

void Twin::executeCommand(int command, bool shift, bool control) {
    effectOf(host_)->executeCommand(command, shift, control);
    model_->executeCommand(command, shift, control);
}

void Twin::setTime(const VstTimeInfo* info) {
    timeEnabled_ = info != nullptr;
    if (info)
        time_ = *info;
    host_.timeInfoEnabled = timeEnabled_;
    if (info)
        host_.timeInfo = *info;
}

void Twin::events(const std::vector<VstMidiEvent>& list, const std::vector<VstEvent*>& extra) {
    EventList hostList;
    for (const VstMidiEvent& e : list)
        hostList.add(e);
    host_.processEvents(hostList.build(extra));
    model_->processEvents(list);
}

void Twin::render(int frames, bool doublePrecision) {
    std::vector<double> expected(static_cast<size_t>(frames > 0 ? frames : 0));
    std::vector<double> actual(expected.size());
    const VstTimeInfo* info = timeEnabled_ ? &time_ : nullptr;
    // The model renders doubles in both cases: the float path is compared
    // with the double it should have rounded.
    model_->processDouble(expected.data(), frames, info);
    if (doublePrecision) {
        std::vector<double> out(expected.size() + 1, std::numeric_limits<double>::quiet_NaN());
        double* outputs[1] = {out.data()};
        const unsigned before = controlState();
        host_.processDoubleReplacing(nullptr, outputs, frames);
        result_.controlStateChanges += controlState() != before;
        result_.overruns += !std::isnan(out.back());
        actual.assign(out.begin(), out.begin() + static_cast<long>(expected.size()));
    } else {
        std::vector<float> out(expected.size() + 1, std::numeric_limits<float>::quiet_NaN());
        float* outputs[1] = {out.data()};
        const unsigned before = controlState();
        host_.processReplacing(nullptr, outputs, frames);
        result_.controlStateChanges += controlState() != before;
        result_.overruns += !std::isnan(out.back());
        for (size_t i = 0; i < expected.size(); ++i)
            actual[i] = out[i];
    }
    for (size_t i = 0; i < expected.size(); ++i) {
        const double m = expected[i];
        const double p = actual[i];
        const double diff = std::fabs(p - m);
        const double tolerance =
            doublePrecision ? kDoubleTolerance : std::fabs(m) * 1.1920928955078125e-07 + kDoubleTolerance;
        if (!(diff <= tolerance) && result_.firstBad < 0) {
            result_.firstBad = result_.samples + static_cast<long>(i);
            result_.pluginAtBad = p;
            result_.modelAtBad = m;
        }
        if (!doublePrecision && static_cast<float>(p) != static_cast<float>(m))
            ++result_.floatNotRounded;
        double& largest = doublePrecision ? result_.maxDiff : result_.maxFloatDiff;
        if (diff > largest || std::isnan(diff))
            largest = std::isnan(diff) ? std::numeric_limits<double>::infinity() : diff;
        if (std::fabs(m) > result_.peak)
            result_.peak = std::fabs(m);
    }
    result_.samples += static_cast<long>(expected.size());
    if (!doublePrecision)
        result_.floatSamples += static_cast<long>(expected.size());
    modelSamples_.insert(modelSamples_.end(), expected.begin(), expected.end());
}

void Twin::renderBlocks(int frames, int blockSize, bool doublePrecision) {
    while (frames > 0) {
        const int n = frames < blockSize ? frames : blockSize;
        render(n, doublePrecision);
        frames -= n;
    }
}

std::vector<double> Twin::pluginStored() const {
    const std::vector<uint8_t> chunk = host_.getChunk(true);
    std::vector<double> values;
    for (int i = 0; i < kRefParamCount; ++i) {
        const size_t at = 25 + 8 * static_cast<size_t>(i);
        if (at + 8 > chunk.size())
            break;
        double v;
        std::memcpy(&v, chunk.data() + at, sizeof v);
        values.push_back(v);
    }
    return values;
}

std::string describe(const Comparison& c) {
    std::ostringstream out;
    out.precision(17);
    out << c.samples << " samples (" << c.floatSamples << " float), max difference " << c.maxDiff;
    if (c.floatSamples > 0)
        out << " (float path " << c.maxFloatDiff << ", " << c.floatNotRounded << " not the rounded double)";
    out << ", model peak " << c.peak;
    if (c.overruns)
        out << "; " << c.overruns << " blocks wrote past their end";
    if (c.controlStateChanges)
        out << "; " << c.controlStateChanges << " blocks changed the FPU control state";
    if (c.firstBad >= 0)
        out << "; first disagreement at sample " << c.firstBad << ": plug-in " << c.pluginAtBad << ", model "
            << c.modelAtBad;
    return out.str();
}

}  // namespace kx::ref

namespace kx::ref {

void report(const Comparison& c) {
    const ::testing::TestInfo* test = ::testing::UnitTest::GetInstance()->current_test_info();
    std::cout << "[ compared ] " << (test ? test->name() : "?") << ": " << describe(c) << std::endl;
}

}  // namespace kx::ref
