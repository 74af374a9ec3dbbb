#include "kelvox2/commands/bench_instances.h"

#include "kelvox2/commands/command_messages.h"
#include "kelvox2/host/child_process.h"
#include "kelvox2/host/plugin_host.h"
#include "kelvox2/host/plugin_module.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <memory>

#include <malloc.h>
#include <unistd.h>

namespace kelvox2 {

namespace {

constexpr int kFurther = 16;  // instances created after the first

const CommandMessages messages("bench");

// What the process holds: resident pages and heap bytes in use.
struct Footprint {
    double residentKb = 0;
    double heapKb = 0;
};

Footprint footprint() {
    Footprint f;
    long pages = 0, resident = 0;
    if (FILE* statm = std::fopen("/proc/self/statm", "r")) {
        if (std::fscanf(statm, "%ld %ld", &pages, &resident) != 2)
            resident = 0;
        std::fclose(statm);
    }
    f.residentKb = double(resident) * double(sysconf(_SC_PAGESIZE)) / 1024.0;
    const struct mallinfo2 m = mallinfo2();
    f.heapKb = double(m.uordblks + m.hblkhd) / 1024.0;
    return f;
}

double millisecondsSince(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
}

struct Figures {
    double loadMs, loadKb;
    double firstMs, firstKb, firstHeapKb;
    double nextMs, nextKb, nextHeapKb;  // medians of time, means of memory per instance
};

// The figures as text for the parent, every number exact (hexadecimal floats).
std::string figuresText(const Figures& f) {
    char text[512];
    std::snprintf(text, sizeof text, "%a %a %a %a %a %a %a %a", f.loadMs, f.loadKb, f.firstMs, f.firstKb, f.firstHeapKb,
                  f.nextMs, f.nextKb, f.nextHeapKb);
    return text;
}

bool readFigures(const std::string& text, Figures& f) {
    return std::sscanf(text.c_str(), "%la %la %la %la %la %la %la %la", &f.loadMs, &f.loadKb, &f.firstMs, &f.firstKb,
                       &f.firstHeapKb, &f.nextMs, &f.nextKb, &f.nextHeapKb) == 8;
}

// In the child: measures, then reports the figures. Returns false with a
// message on stderr when the plug-in cannot be loaded.
bool measure(const std::string& path, kx::SharedReport& report) {
    Figures fig{};
    Footprint before = footprint();
    auto start = std::chrono::steady_clock::now();
    kx::PluginModule module;
    if (!module.open(path)) {
        // The loader's own words name the file; a file that is not there or
        // not a file is named here.
        if (module.fault() == kx::PluginModule::Fault::CannotLoad)
            messages.say(module.detail());
        else
            messages.say(path + ": " +
                         (module.fault() == kx::PluginModule::Fault::NotAFile ? "not a file" : module.detail()));
        return false;
    }
    fig.loadMs = millisecondsSince(start);
    report.setStage("creating instances");
    fig.loadKb = footprint().residentKb - before.residentKb;

    auto create = [&path](std::unique_ptr<kx::PluginHost>& host) {
        host = std::make_unique<kx::PluginHost>();
        std::string error;
        if (!host->load(path, &error)) {
            messages.say(error);
            return false;
        }
        host->open();
        return true;
    };
    std::vector<std::unique_ptr<kx::PluginHost>> hosts(kFurther + 1);
    before = footprint();
    start = std::chrono::steady_clock::now();
    if (!create(hosts[0]))
        return false;
    fig.firstMs = millisecondsSince(start);
    Footprint after = footprint();
    fig.firstKb = after.residentKb - before.residentKb;
    fig.firstHeapKb = after.heapKb - before.heapKb;

    before = after;
    std::vector<double> times;
    for (int i = 1; i <= kFurther; ++i) {
        start = std::chrono::steady_clock::now();
        if (!create(hosts[size_t(i)]))
            return false;
        times.push_back(millisecondsSince(start));
    }
    after = footprint();
    std::sort(times.begin(), times.end());
    fig.nextMs = times[times.size() / 2];
    fig.nextKb = (after.residentKb - before.residentKb) / kFurther;
    fig.nextHeapKb = (after.heapKb - before.heapKb) / kFurther;
    hosts.clear();
    module.close();
    report.setText(figuresText(fig));
    return true;
}

}  // namespace

int runInstanceBench(const std::vector<std::string>& paths) {
    std::printf("%-28s %9s %9s %10s %10s %10s %10s %10s %10s\n", "plug-in", "load ms", "load KB", "first ms",
                "first KB", "first heap", "next ms", "next KB", "next heap");
    kx::ChildOptions options;
    options.hangSeconds = 600.0;  // a slow plug-in is measured, not stopped
    options.keepDisplay = true;
    for (const std::string& path : paths) {
        const kx::ChildOutcome outcome =
            kx::runInChild([&path](kx::SharedReport& report) { measure(path, report); }, options);
        Figures fig{};
        if (outcome.end != kx::ChildOutcome::End::Finished || !readFigures(outcome.report, fig)) {
            // What the child said: why the plug-in did not load.
            std::fputs(outcome.output.c_str(), stderr);
            return messages.failure(path + ": the measurement failed");
        }
        // The file name, or the whole path when another plug-in has the same file name.
        std::string name = path.substr(path.find_last_of('/') + 1);
        for (const std::string& other : paths)
            if (other != path && other.substr(other.find_last_of('/') + 1) == name)
                name = path;
        std::printf("%-28s %9.2f %9.0f %10.2f %10.0f %10.0f %10.3f %10.0f %10.0f\n", name.substr(0, 28).c_str(),
                    fig.loadMs, fig.loadKb, fig.firstMs, fig.firstKb, fig.firstHeapKb, fig.nextMs, fig.nextKb,
                    fig.nextHeapKb);
    }
    std::printf(
        "(KB: resident memory the step added. first heap: KB in use from the allocator that the\n"
        " first instance added; next heap: the same for each further instance. next: median time\n"
        " and mean memory of %d further instances while the first stays open; editors closed)\n",
        kFurther);
    return 0;
}

}  // namespace kelvox2
