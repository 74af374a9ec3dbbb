#include "kelvox2/validate/battery.h"

#include "kelvox2/host/child_process.h"

#include <cstdarg>
#include <cstdio>
#include <sstream>

namespace kx::validate {

namespace {

std::string formatText(const char* format, va_list args) {
    char text[1024];
    std::vsnprintf(text, sizeof text, format, args);
    return text;
}

// One finding per line; line breaks inside a finding become blanks.
std::string oneLine(std::string s) {
    for (char& c : s)
        if (c == '\n' || c == '\r')
            c = ' ';
    return s;
}

}  // namespace

// ---- PluginFacts -------------------------------------------------------------

std::string PluginFacts::serialise() const {
    std::ostringstream out;
    out << "path=" << oneLine(path) << "\nname=" << oneLine(name) << "\nvendor=" << oneLine(vendor)
        << "\nproduct=" << oneLine(product) << "\nuniqueID=" << uniqueID << "\nversion=" << version
        << "\nnumParams=" << numParams << "\nnumPrograms=" << numPrograms << "\nnumInputs=" << numInputs
        << "\nnumOutputs=" << numOutputs << "\nflags=" << flags << "\ncategory=" << category << "\n";
    return out.str();
}

bool PluginFacts::parse(const std::string& text) {
    std::istringstream in(text);
    std::string line;
    int fields = 0;
    while (std::getline(in, line)) {
        const size_t eq = line.find('=');
        if (eq == std::string::npos)
            continue;
        const std::string key = line.substr(0, eq), value = line.substr(eq + 1);
        auto number = [&value]() { return std::strtoll(value.c_str(), nullptr, 10); };
        ++fields;
        if (key == "path")
            path = value;
        else if (key == "name")
            name = value;
        else if (key == "vendor")
            vendor = value;
        else if (key == "product")
            product = value;
        else if (key == "uniqueID")
            uniqueID = static_cast<VstInt32>(number());
        else if (key == "version")
            version = static_cast<VstInt32>(number());
        else if (key == "numParams")
            numParams = static_cast<VstInt32>(number());
        else if (key == "numPrograms")
            numPrograms = static_cast<VstInt32>(number());
        else if (key == "numInputs")
            numInputs = static_cast<VstInt32>(number());
        else if (key == "numOutputs")
            numOutputs = static_cast<VstInt32>(number());
        else if (key == "flags")
            flags = static_cast<VstInt32>(number());
        else if (key == "category")
            category = static_cast<VstIntPtr>(number());
        else
            --fields;
    }
    return fields >= 12;
}

// ---- Findings ----------------------------------------------------------------

std::string Findings::serialise() const {
    std::string out;
    out += verdict == Verdict::Pass ? "V pass\n" : verdict == Verdict::Fail ? "V fail\n" : "V skip\n";
    for (const std::string& s : seen)
        out += "S " + oneLine(s) + "\n";
    for (const std::string& s : failures)
        out += "F " + oneLine(s) + "\n";
    for (const std::string& s : notes)
        out += "N " + oneLine(s) + "\n";
    if (!skipReason.empty())
        out += "K " + oneLine(skipReason) + "\n";
    return out;
}

Findings Findings::parse(const std::string& text) {
    Findings f;
    std::istringstream in(text);
    std::string line;
    while (std::getline(in, line)) {
        if (line.size() < 2)
            continue;
        const std::string rest = line.substr(2);
        switch (line[0]) {
        case 'V': f.verdict = rest == "fail" ? Verdict::Fail : rest == "skip" ? Verdict::Skip : Verdict::Pass; break;
        case 'S': f.seen.push_back(rest); break;
        case 'F': f.failures.push_back(rest); break;
        case 'N': f.notes.push_back(rest); break;
        case 'K': f.skipReason = rest; break;
        default: break;
        }
    }
    return f;
}

// ---- Check -------------------------------------------------------------------

Check::Check(const Settings& s, const PluginFacts& f, SharedReport* report, std::uint64_t testSeed)
    : settings(s), facts(f), report_(report), rng_(testSeed) {}

int Check::byLevel(int atOne, int atTen) const {
    const int l = settings.level < 1 ? 1 : settings.level > 10 ? 10 : settings.level;
    return atOne + (atTen - atOne) * (l - 1) / 9;
}

void Check::stage(const char* format, ...) {
    va_list args;
    va_start(args, format);
    std::string text = formatText(format, args);
    va_end(args);
    {
        std::lock_guard<std::mutex> lock(mutex_);
        stage_ = text;
    }
    if (report_)
        report_->setStage(text);
}

std::string Check::currentStage() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return stage_;
}

void Check::beat() {
    if (report_)
        report_->heartbeat.fetch_add(1, std::memory_order_relaxed);
}

void Check::fail(const char* kind, const char* format, ...) {
    va_list args;
    va_start(args, format);
    std::string text = formatText(format, args);
    va_end(args);
    bool first = false;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        Kind& k = kinds_[kind];
        if (k.count++ == 0) {
            k.first = stage_.empty() ? text : text + " [" + stage_ + "]";
            kindOrder_.push_back(kind);
            first = true;
        }
    }
    if (first)
        publish(false);
}

void Check::note(const char* format, ...) {
    va_list args;
    va_start(args, format);
    std::string text = formatText(format, args);
    va_end(args);
    std::lock_guard<std::mutex> lock(mutex_);
    for (const std::string& n : notes_)
        if (n == text)
            return;
    notes_.push_back(text);
}

bool Check::firstTime(const char* kind) {
    std::lock_guard<std::mutex> lock(mutex_);
    for (const std::string& k : noted_)
        if (k == kind)
            return false;
    noted_.push_back(kind);
    return true;
}

void Check::saw(const char* format, ...) {
    va_list args;
    va_start(args, format);
    std::string text = formatText(format, args);
    va_end(args);
    std::lock_guard<std::mutex> lock(mutex_);
    seen_.push_back(text);
}

void Check::skip(const char* format, ...) {
    va_list args;
    va_start(args, format);
    std::string text = formatText(format, args);
    va_end(args);
    std::lock_guard<std::mutex> lock(mutex_);
    skipReason_ = text;
}

bool Check::failed() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return !kindOrder_.empty();
}

int Check::failuresOfKind(const char* kind) const {
    std::lock_guard<std::mutex> lock(mutex_);
    auto it = kinds_.find(kind);
    return it == kinds_.end() ? 0 : it->second.count;
}

Findings Check::findings() const {
    std::lock_guard<std::mutex> lock(mutex_);
    Findings f;
    f.seen = seen_;
    f.notes = notes_;
    for (const std::string& kind : kindOrder_) {
        const Kind& k = kinds_.at(kind);
        std::string text = k.first;
        if (k.count > 1)
            text += " (and " + std::to_string(k.count - 1) + " more like it)";
        f.failures.push_back(text);
    }
    if (!f.failures.empty())
        f.verdict = Verdict::Fail;
    else if (!skipReason_.empty())
        f.verdict = Verdict::Skip;
    f.skipReason = skipReason_;
    return f;
}

void Check::publish(bool complete) const {
    if (!report_)
        return;
    const std::string text = findings().serialise();
    std::lock_guard<std::mutex> lock(publishMutex_);
    report_->setText(text, complete);
}

// ---- The battery -------------------------------------------------------------

const std::vector<BatteryTest>& battery() {
    static const std::vector<BatteryTest> tests = {
        {"lifecycle", "open and close, many instances, instances moved between threads", checkLifecycle, false},
        {"processing", "every sample rate and block size, suspend and resume, 32 and 64 bits", checkProcessing, false},
        {"output", "finite, no denormals, below +40 dBFS, silence after release, repeatable", checkOutput, false},
        {"events", "MIDI and SysEx lists of every shape", checkEvents, false},
        {"parameters", "every value, guarded texts, the value round trip", checkParameters, false},
        {"threads", "host automation from a second thread while processing and while the editor idles", checkThreads,
         true},
        {"state", "chunks, parameter values, programs and their names, foreign chunks", checkState, false},
        {"editor", "open, idle and close, pointer and key input, two editors, the host window gone first", checkEditor,
         true},
        {"cost", "slowest block against real time, heap calls on the audio thread", checkCost, false},
    };
    return tests;
}

}  // namespace kx::validate
