#include "kelvox2/validate/report.h"

#include <cctype>
#include <cstdint>

namespace kx::validate {

namespace {

std::string fourCharacters(VstInt32 id) {
    std::string s;
    for (int shift = 24; shift >= 0; shift -= 8) {
        const auto c = static_cast<unsigned char>((static_cast<std::uint32_t>(id) >> shift) & 0xFF);
        s += std::isprint(c) ? static_cast<char>(c) : '?';
    }
    return s;
}

const char* verdictWord(Verdict v) { return v == Verdict::Pass ? "PASS" : v == Verdict::Fail ? "FAIL" : "SKIP"; }

std::string jsonString(const std::string& s) {
    std::string out = "\"";
    for (const unsigned char c : s) {
        switch (c) {
        case '"': out += "\\\""; break;
        case '\\': out += "\\\\"; break;
        case '\n': out += "\\n"; break;
        case '\r': out += "\\r"; break;
        case '\t': out += "\\t"; break;
        default:
            if (c < 0x20 || c >= 0x7F) {
                char escaped[8];
                std::snprintf(escaped, sizeof escaped, "\\u%04x", c);
                out += escaped;
            } else {
                out += static_cast<char>(c);
            }
        }
    }
    return out + "\"";
}

std::string jsonList(const std::vector<std::string>& items) {
    std::string out = "[";
    for (std::size_t i = 0; i < items.size(); ++i)
        out += (i ? ", " : "") + jsonString(items[i]);
    return out + "]";
}

}  // namespace

void Totals::add(const TestResult& t) {
    switch (t.findings.verdict) {
    case Verdict::Pass: ++passed; break;
    case Verdict::Fail: ++failed; break;
    case Verdict::Skip: ++skipped; break;
    }
}

void printPluginHeading(FILE* out, const PluginResult& plugin) {
    const PluginFacts& f = plugin.facts;
    std::fprintf(out, "%s - %s\n", f.name.empty() ? "(no name)" : f.name.c_str(), f.path.c_str());
    if (!plugin.loaded)
        return;
    std::fprintf(out, "  '%s' version %d, %s, %d parameter%s, %d program%s, %d in / %d out%s%s%s\n",
                 fourCharacters(f.uniqueID).c_str(), f.version, f.isSynth() ? "instrument" : "effect", f.numParams,
                 f.numParams == 1 ? "" : "s", f.numPrograms, f.numPrograms == 1 ? "" : "s", f.numInputs, f.numOutputs,
                 f.canDouble() ? ", 64-bit" : "", f.programChunks() ? ", chunks" : "",
                 f.hasEditor() ? ", editor" : ", no editor");
}

void printTestLine(FILE* out, const TestResult& t) {
    const Findings& f = t.findings;
    std::string what;
    if (f.verdict == Verdict::Skip) {
        what = f.skipReason;
    } else if (f.verdict == Verdict::Fail) {
        // A crash or a hang heads the failures (runTest puts it there).
        what = !f.failures.empty() ? f.failures.front() : !t.ending.empty() ? t.ending : "failed";
    } else {
        for (const std::string& s : f.seen)
            what += (what.empty() ? "" : "; ") + s;
    }
    std::fprintf(out, "  %s %-10s (%.1f s) %s\n", verdictWord(f.verdict), t.name.c_str(), t.seconds, what.c_str());
    if (f.verdict == Verdict::Fail) {
        for (std::size_t i = 1; i < f.failures.size(); ++i)
            std::fprintf(out, "       also: %s\n", f.failures[i].c_str());
        if (!t.ending.empty() && !f.seen.empty())
            std::fprintf(out, "       before that: %s\n", f.seen.back().c_str());
    }
    for (const std::string& n : f.notes)
        std::fprintf(out, "       note: %s\n", n.c_str());
    if (f.verdict == Verdict::Fail && !t.output.empty()) {
        std::fprintf(out, "       the process printed last:\n");
        std::size_t start = 0;
        while (start < t.output.size()) {
            std::size_t end = t.output.find('\n', start);
            if (end == std::string::npos)
                end = t.output.size();
            std::fprintf(out, "         | %s\n", t.output.substr(start, end - start).c_str());
            start = end + 1;
        }
    }
    std::fflush(out);
}

void printTotals(FILE* out, const Totals& totals, const char* what) {
    std::fprintf(out, "%s: %d passed, %d failed, %d skipped\n", what, totals.passed, totals.failed, totals.skipped);
}

void writeJson(FILE* out, const Settings& settings, const std::vector<PluginResult>& plugins, const Totals& totals) {
    std::fprintf(out, "{\n  \"level\": %d,\n  \"seed\": %llu,\n  \"plugins\": [", settings.level,
                 static_cast<unsigned long long>(settings.seed));
    for (std::size_t p = 0; p < plugins.size(); ++p) {
        const PluginResult& plugin = plugins[p];
        const PluginFacts& f = plugin.facts;
        std::fprintf(out, "%s\n    {\n      \"path\": %s,\n      \"loaded\": %s,\n      \"name\": %s,\n", p ? "," : "",
                     jsonString(f.path).c_str(), plugin.loaded ? "true" : "false", jsonString(f.name).c_str());
        std::fprintf(out,
                     "      \"vendor\": %s,\n      \"product\": %s,\n      \"uniqueID\": %s,\n      \"version\": %d,\n"
                     "      \"flags\": %d,\n      \"parameters\": %d,\n      \"programs\": %d,\n"
                     "      \"inputs\": %d,\n      \"outputs\": %d,\n      \"tests\": [",
                     jsonString(f.vendor).c_str(), jsonString(f.product).c_str(),
                     jsonString(fourCharacters(f.uniqueID)).c_str(), f.version, f.flags, f.numParams, f.numPrograms,
                     f.numInputs, f.numOutputs);
        for (std::size_t i = 0; i < plugin.tests.size(); ++i) {
            const TestResult& t = plugin.tests[i];
            const char* result = t.findings.verdict == Verdict::Pass   ? "pass"
                                 : t.findings.verdict == Verdict::Fail ? "fail"
                                                                       : "skip";
            std::fprintf(out,
                         "%s\n        {\"name\": %s, \"result\": \"%s\", \"seconds\": %.3f, \"ending\": %s, "
                         "\"seen\": %s, \"failures\": %s, \"notes\": %s, \"skipReason\": %s, \"output\": %s}",
                         i ? "," : "", jsonString(t.name).c_str(), result, t.seconds, jsonString(t.ending).c_str(),
                         jsonList(t.findings.seen).c_str(), jsonList(t.findings.failures).c_str(),
                         jsonList(t.findings.notes).c_str(), jsonString(t.findings.skipReason).c_str(),
                         jsonString(t.output).c_str());
        }
        std::fprintf(out, "\n      ]\n    }");
    }
    std::fprintf(out, "\n  ],\n  \"passed\": %d,\n  \"failed\": %d,\n  \"skipped\": %d,\n  \"ok\": %s\n}\n",
                 totals.passed, totals.failed, totals.skipped, totals.failed == 0 ? "true" : "false");
}

}  // namespace kx::validate
