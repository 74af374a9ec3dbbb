#include "kelvox2/validate/test_host.h"

#include "kelvox2/validate/alloc_counter.h"
#include "kelvox2/validate/audio_check.h"

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <numbers>

namespace kx::validate {

namespace {

// What audioMasterGetCurrentProcessLevel answers on this thread.
thread_local int tProcessLevel = 1;

constexpr int kMaxChannels = 64;

std::int64_t threadCpuNanoseconds() {
    timespec t{};
    ::clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return std::int64_t{t.tv_sec} * 1000000000 + t.tv_nsec;
}

}  // namespace

// ---- Module ------------------------------------------------------------------

bool Module::load(const std::string& path, std::string* error) {
    unload();
    auto fail = [&](const std::string& why) {
        if (error)
            *error = why;
        unload();
        return false;
    };
    if (!module_.open(path)) {
        switch (module_.fault()) {
        case PluginModule::Fault::CannotOpen: return fail("cannot open '" + path + "': " + module_.detail());
        case PluginModule::Fault::NotAFile: return fail("'" + path + "' is not a file");
        default: return fail("cannot load it as a module: " + module_.detail());
        }
    }
    entry_ = vst2Entry(module_);
    if (!entry_)
        return fail("it exports neither VSTPluginMain nor main");
    return true;
}

void Module::unload() {
    entry_ = nullptr;
    module_.close();
}

// ---- Instance ----------------------------------------------------------------

Instance::Instance(Module& module, Check& check) : module_(module), check_(check) {}

Instance::~Instance() { close(); }

bool Instance::create() {
    if (!module_.loaded()) {
        check_.fail("entry", "the module is not loaded");
        return false;
    }
    AEffect* e = runEntry(module_.entry(), *this);
    if (!e) {
        check_.fail("entry", "the entry point gave no effect");
        return false;
    }
    if (e->magic != kEffectMagic || !e->dispatcher) {
        check_.fail("entry", "the entry point gave a record without the VST magic number or a dispatcher");
        return false;
    }
    attachEffect(e, *this);
    effect_ = e;
    numInputs_ = e->numInputs;
    numOutputs_ = e->numOutputs;
    if (numInputs_ < 0 || numInputs_ > kMaxChannels || numOutputs_ < 0 || numOutputs_ > kMaxChannels) {
        check_.fail("channels", "the record claims %d inputs and %d outputs", e->numInputs, e->numOutputs);
        numInputs_ = numInputs_ < 0 ? 0 : numInputs_ > kMaxChannels ? kMaxChannels : numInputs_;
        numOutputs_ = numOutputs_ < 0 ? 0 : numOutputs_ > kMaxChannels ? kMaxChannels : numOutputs_;
    }
    dispatch(effOpen);
    return true;
}

void Instance::close() {
    if (!effect_)
        return;
    if (running_)
        stop();
    AEffect* e = effect_;
    effect_ = nullptr;
    closeEffect(e, *this);
}

VstIntPtr Instance::dispatch(VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr, float opt) {
    if (!effect_ || opcode == effClose)
        return 0;  // closing goes through close()
    return effect_->dispatcher(effect_, opcode, index, value, ptr, opt);
}

void Instance::start(double rate, int maxBlock, bool doublePrecision) {
    if (running_)
        stop();
    rate_ = rate;
    maxBlock_ = maxBlock < 1 ? 1 : maxBlock;
    rateForCallback_.store(rate);
    blockForCallback_.store(maxBlock_);
    const std::size_t frames = static_cast<std::size_t>(maxBlock_) + kGuardFrames;
    auto size = [frames](auto& channels, auto& pointers, int count) {
        channels.resize(static_cast<std::size_t>(count));
        pointers.resize(static_cast<std::size_t>(count > 0 ? count : 1), nullptr);
        for (int c = 0; c < count; ++c) {
            channels[static_cast<std::size_t>(c)].assign(frames, 0);
            pointers[static_cast<std::size_t>(c)] = channels[static_cast<std::size_t>(c)].data();
        }
    };
    size(inFloat_, inFloatPtr_, numInputs_);
    size(outFloat_, outFloatPtr_, numOutputs_);
    size(inDouble_, inDoublePtr_, numInputs_);
    size(outDouble_, outDoublePtr_, numOutputs_);
    last_.assign(static_cast<std::size_t>(numOutputs_), std::vector<double>());
    for (auto& l : last_)
        l.reserve(frames);
    time_ = VstTimeInfo{};
    inputPhase_ = 0.0;

    dispatch(effSetSampleRate, 0, 0, nullptr, static_cast<float>(rate));
    dispatch(effSetBlockSize, 0, maxBlock_);
    if (effect_ && (effect_->flags & effFlagsCanDoubleReplacing))
        dispatch(effSetProcessPrecision, 0, doublePrecision ? 1 : 0);
    dispatch(effMainsChanged, 0, 1);
    dispatch(effStartProcess);
    running_ = true;
}

void Instance::stop() {
    dispatch(effStopProcess);
    dispatch(effMainsChanged, 0, 0);
    running_ = false;
}

void Instance::changeRateWhileRunning(double rate) {
    rate_ = rate;
    rateForCallback_.store(rate);
    dispatch(effSetSampleRate, 0, 0, nullptr, static_cast<float>(rate));
}

void Instance::advanceTransport() {
    const bool first = time_.samplePos == 0.0 && !(time_.flags & kVstTransportPlaying);
    time_.sampleRate = rate_;
    time_.tempo = tempo;
    time_.ppqPos = time_.samplePos / rate_ * tempo / 60.0;
    time_.barStartPos = std::floor(time_.ppqPos / 4.0) * 4.0;
    time_.timeSigNumerator = 4;
    time_.timeSigDenominator = 4;
    timespec now{};
    ::clock_gettime(CLOCK_MONOTONIC, &now);
    time_.nanoSeconds = double(now.tv_sec) * 1e9 + double(now.tv_nsec);
    time_.flags = kVstTransportPlaying | kVstNanosValid | kVstPpqPosValid | kVstTempoValid | kVstBarsValid |
                  kVstTimeSigValid | (first ? kVstTransportChanged : 0);
}

void Instance::sendEvents(EventList& list) {
    VstEvents* events = list.build();
    if (!events)
        return;
    const int level = tProcessLevel;
    tProcessLevel = 2;
    alloc_counter::reset();
    alloc_counter::begin();
    dispatch(effProcessEvents, 0, 0, events);
    alloc_counter::end();
    tProcessLevel = level;
    if (const std::uint64_t n = alloc_counter::count()) {
        heapCalls_ += n;
        if (firstHeapBlock_ < 0)
            firstHeapBlock_ = blocks_;
    }
    list.poison();
}

template <typename T>
void Instance::runBlock(int frames) {
    constexpr bool kDouble = sizeof(T) == sizeof(double);
    auto& outs = [this]() -> auto& {
        if constexpr (kDouble)
            return outDouble_;
        else
            return outFloat_;
    }
    ();
    auto& ins = [this]() -> auto& {
        if constexpr (kDouble)
            return inDouble_;
        else
            return inFloat_;
    }
    ();
    T** outPtr = [this]() {
        if constexpr (kDouble)
            return outDoublePtr_.data();
        else
            return outFloatPtr_.data();
    }();
    T** inPtr = [this]() {
        if constexpr (kDouble)
            return inDoublePtr_.data();
        else
            return inFloatPtr_.data();
    }();

    for (auto& channel : outs)
        fillMarker(channel.data(), static_cast<std::size_t>(frames) + kGuardFrames);
    // Inputs: a quiet 441 Hz sine, the same on every channel.
    const double step = 2.0 * std::numbers::pi * 441.0 / rate_;
    for (auto& channel : ins)
        for (int i = 0; i < frames; ++i)
            channel[static_cast<std::size_t>(i)] = static_cast<T>(inputLevel * std::sin(inputPhase_ + step * i));
    inputPhase_ = std::fmod(inputPhase_ + step * frames, 2.0 * std::numbers::pi);
    advanceTransport();

    const int level = tProcessLevel;
    tProcessLevel = 2;
    alloc_counter::reset();
    const std::int64_t cpu0 = threadCpuNanoseconds();
    alloc_counter::begin();
    if constexpr (kDouble)
        effect_->processDoubleReplacing(effect_, inPtr, outPtr, frames);
    else
        effect_->processReplacing(effect_, inPtr, outPtr, frames);
    alloc_counter::end();
    lastCpuNs_ = threadCpuNanoseconds() - cpu0;
    tProcessLevel = level;
    if (const std::uint64_t n = alloc_counter::count()) {
        heapCalls_ += n;
        ++blocksWithHeapCalls_;
        if (firstHeapBlock_ < 0)
            firstHeapBlock_ = blocks_;
    }
    time_.samplePos += frames;

    const char* path = kDouble ? "64-bit" : "32-bit";
    for (std::size_t c = 0; c < outs.size(); ++c) {
        const T* data = outs[c].data();
        if (const SampleFault f = firstFault(data, frames)) {
            const int ch = static_cast<int>(c);
            switch (f.what) {
            case SampleFault::What::Unwritten:
                check_.fail("sample-unwritten",
                            "output %d: sample %d of a %d-frame %s block left as the host filled it", ch, f.index,
                            frames, path);
                break;
            case SampleFault::What::NotANumber:
                check_.fail("sample-nan", "output %d: NaN at sample %d of a %d-frame %s block (block %d)", ch, f.index,
                            frames, path, blocks_);
                break;
            case SampleFault::What::Infinite:
                check_.fail("sample-inf", "output %d: infinity at sample %d of a %d-frame %s block (block %d)", ch,
                            f.index, frames, path, blocks_);
                break;
            case SampleFault::What::Denormal:
                check_.fail("sample-denormal", "output %d: denormal %g at sample %d of a %d-frame %s block", ch,
                            f.value, f.index, frames, path);
                break;
            case SampleFault::What::TooLoud:
                check_.fail("sample-loud", "output %d: %.1f dBFS (%g) at sample %d, above +40 dBFS", ch,
                            dbfs(std::fabs(f.value)), f.value, f.index);
                break;
            case SampleFault::What::None: break;
            }
        }
        if (const int g = firstGuardWrite(data + frames, kGuardFrames); g >= 0)
            check_.fail("block-overrun", "output %d: wrote sample %d, past the end of a %d-frame %s block",
                        static_cast<int>(c), frames + g, frames, path);
        last_[c].assign(data, data + frames);
    }
    ++blocks_;
}

void Instance::process(int frames, bool doublePrecision) {
    if (!effect_)
        return;
    if (frames < 0)
        frames = 0;
    if (frames > maxBlock_) {
        check_.fail("host", "the battery asked for %d frames with a block size of %d", frames, maxBlock_);
        frames = maxBlock_;
    }
    if (doublePrecision && (effect_->flags & effFlagsCanDoubleReplacing) && effect_->processDoubleReplacing) {
        runBlock<double>(frames);
    } else if (effect_->processReplacing) {
        runBlock<float>(frames);
    } else {
        check_.fail("no-process", "the record has no processReplacing");
    }
    check_.beat();
}

double Instance::lastPeak() const {
    double peak = 0.0;
    for (const auto& channel : last_)
        peak = std::max(peak, peakOf(channel.data(), static_cast<int>(channel.size())));
    return peak;
}

void Instance::setParameter(int index, float value) {
    if (effect_ && effect_->setParameter)
        effect_->setParameter(effect_, index, value);
}

float Instance::getParameter(int index) {
    return effect_ && effect_->getParameter ? effect_->getParameter(effect_, index) : 0.0f;
}

VstIntPtr Instance::answer(VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr, float opt) {
    (void)value;
    static constexpr const char* kCanDo[] = {
        "sendVstEvents",       "sendVstMidiEvent", "sendVstTimeInfo", "receiveVstEvents",
        "receiveVstMidiEvent", "startStopProcess", "supplyIdle",      nullptr};
    static constexpr HostIdentity kSelf{kVstVersion, "Kelvox2 tools", "kelvox2 validate", 1200, kCanDo};
    VstIntPtr result = 0;
    if (answerAboutHost(kSelf, opcode, ptr, result))
        return result;
    const int params = effect_ ? effect_->numParams : 0;
    switch (opcode) {
    case audioMasterAutomate:
        ++log.automate;
        if (effect_ && (index < 0 || index >= params))
            check_.fail("automate-index", "audioMasterAutomate for parameter %d of %d", index, params);
        else if (!std::isfinite(opt))
            check_.fail("automate-value", "audioMasterAutomate for parameter %d with the value %g", index,
                        static_cast<double>(opt));
        else if ((opt < 0.0f || opt > 1.0f) && check_.firstTime("automate-range"))
            check_.note("audioMasterAutomate sends values outside 0..1 (first seen: %g for parameter %d)",
                        static_cast<double>(opt), index);
        return 1;
    case audioMasterIdle: ++log.idleRequests; return 1;
    case audioMasterWantMidi: return 1;
    case audioMasterGetTime: ++log.getTime; return hostTimeAvailable ? reinterpret_cast<VstIntPtr>(&time_) : 0;
    case audioMasterProcessEvents: return 1;
    case audioMasterSizeWindow: ++log.sizeWindow; return 0;
    case audioMasterGetSampleRate: return static_cast<VstIntPtr>(rateForCallback_.load());
    case audioMasterGetBlockSize: return blockForCallback_.load();
    case audioMasterGetCurrentProcessLevel: return tProcessLevel;
    case audioMasterGetAutomationState: return 1;
    case audioMasterUpdateDisplay: return 1;
    case audioMasterBeginEdit:
        ++log.beginEdit;
        ++log.openEdits;
        if (effect_ && (index < 0 || index >= params))
            check_.fail("automate-index", "audioMasterBeginEdit for parameter %d of %d", index, params);
        return 1;
    case audioMasterEndEdit:
        ++log.endEdit;
        --log.openEdits;
        if (effect_ && (index < 0 || index >= params))
            check_.fail("automate-index", "audioMasterEndEdit for parameter %d of %d", index, params);
        return 1;
    default: return 0;
    }
}

}  // namespace kx::validate
