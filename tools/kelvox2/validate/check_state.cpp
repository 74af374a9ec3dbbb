// Test 7: what a host saves and restores. Chunks (bank and program) and
// parameter values carried to a second instance, program switching with
// edits kept per program, program names read and renamed, and chunks that
// are not this plug-in's (another plug-in's, cut short, damaged) refused or
// survived.
#include "kelvox2/validate/check_common.h"

#include <cmath>
#include <cstring>

namespace kx::validate {

namespace {

// Every parameter of the current program, and its display.
struct Snapshot {
    std::vector<float> values;
    std::vector<std::string> displays;
    std::string name;
};

Snapshot snapshot(Check& check, Instance& instance) {
    Snapshot s;
    for (int i = 0; i < paramCount(check); ++i) {
        s.values.push_back(instance.getParameter(i));
        s.displays.push_back(instance.paramDisplay(i));
    }
    s.name = instance.programName();
    return s;
}

// Reports the first difference; true when equal.
bool compare(Check& check, const char* kind, const char* what, const Snapshot& want, const Snapshot& got) {
    for (std::size_t i = 0; i < want.values.size() && i < got.values.size(); ++i) {
        const float a = want.values[i], b = got.values[i];
        const bool same = a == b || (std::isnan(a) && std::isnan(b)) || std::fabs(a - b) <= 1e-6f;
        if (!same || want.displays[i] != got.displays[i]) {
            check.fail(kind, "%s: parameter %zu is %.9g ('%s') instead of %.9g ('%s')", what, i, static_cast<double>(b),
                       got.displays[i].c_str(), static_cast<double>(a), want.displays[i].c_str());
            return false;
        }
    }
    if (want.name != got.name) {
        check.fail(kind, "%s: the program is named '%s' instead of '%s'", what, got.name.c_str(), want.name.c_str());
        return false;
    }
    return true;
}

void randomise(Check& check, Instance& instance) {
    for (int i = 0; i < paramCount(check); ++i)
        instance.setParameter(i, static_cast<float>(check.uniform01()));
}

void chunks(Check& check, Module& module) {
    // Hosts keep state in chunks only when the plug-in declares them.
    if (!check.facts.programChunks()) {
        check.saw("no chunks declared");
        return;
    }
    Instance a(module, check), b(module, check);
    if (!a.create() || !b.create())
        return;
    a.start(44100, 512);
    b.start(44100, 512);
    const int programs = std::min(programCount(check), check.byLevel(4, 32));
    check.stage("bank chunk carried to a second instance");
    std::vector<Snapshot> bank;
    for (int p = 0; p < programs; ++p) {
        a.dispatch(effSetProgram, 0, p);
        randomise(check, a);
        a.setProgramName("Validate " + std::to_string(p));
        bank.push_back(snapshot(check, a));
    }
    a.dispatch(effSetProgram, 0, 0);
    const std::vector<std::uint8_t> bankChunk = a.chunk(false);
    if (bankChunk.empty()) {
        check.fail("no-chunk", "the plug-in declares chunks but effGetChunk gives none");
        return;
    }
    b.setChunk(bankChunk, false);
    for (int p = 0; p < programs; ++p) {
        b.dispatch(effSetProgram, 0, p);
        char what[64];
        std::snprintf(what, sizeof what, "bank chunk, program %d", p);
        if (!compare(check, "bank-chunk", what, bank[static_cast<std::size_t>(p)], snapshot(check, b)))
            break;
    }
    holdNote(b);
    for (int k = 0; k < 8; ++k)
        b.process(512);

    check.stage("program chunk carried to a second instance");
    const int source = programs > 2 ? 2 : 0;
    a.dispatch(effSetProgram, 0, source);
    randomise(check, a);
    const Snapshot want = snapshot(check, a);
    const std::vector<std::uint8_t> programChunk = a.chunk(true);
    b.dispatch(effSetProgram, 0, programs > 1 ? 1 : 0);
    b.setChunk(programChunk, true);
    Snapshot got = snapshot(check, b);
    compare(check, "program-chunk", "program chunk", want, got);
    check.saw("bank chunk (%zu bytes, %d programs) and program chunk (%zu bytes) carried over", bankChunk.size(),
              programs, programChunk.size());
}

void parameterValues(Check& check, Module& module) {
    check.stage("parameter values carried to a second instance");
    Instance a(module, check), b(module, check);
    if (!a.create() || !b.create())
        return;
    const int rounds = check.byLevel(2, 10);
    for (int r = 0; r < rounds; ++r) {
        randomise(check, a);
        const Snapshot want = snapshot(check, a);
        for (int i = 0; i < paramCount(check); ++i)
            b.setParameter(i, want.values[static_cast<std::size_t>(i)]);
        Snapshot got = snapshot(check, b);
        got.name = want.name;  // names travel with programs, not values
        if (!compare(check, "values", "values read from one instance and set on another", want, got))
            break;
    }
    check.saw("parameter values carried to a second instance %d times", rounds);
}

void programs(Check& check, Module& module) {
    Instance instance(module, check);
    if (!instance.create())
        return;
    instance.start(44100, 512);
    const int count = programCount(check);
    if (count < 1) {
        check.saw("no programs");
        return;
    }
    check.stage("program names");
    for (int p = 0; p < count; ++p)
        instance.programNameIndexed(p);

    check.stage("programs switched while a note sounds, edits kept per program");
    const int switched = std::min(count, check.byLevel(4, 32));
    const int probe = paramCount(check) > 0 ? 0 : -1;
    std::vector<Snapshot> edited;
    holdNote(instance);
    for (int p = 0; p < switched; ++p) {
        instance.dispatch(effSetProgram, 0, p);
        instance.process(512);
        if (instance.dispatch(effGetProgram) != p) {
            check.fail("program", "effSetProgram %d, then effGetProgram answers %lld", p,
                       static_cast<long long>(instance.dispatch(effGetProgram)));
            return;
        }
        randomise(check, instance);
        instance.process(512);
        edited.push_back(snapshot(check, instance));
    }
    for (int p = switched - 1; p >= 0 && probe >= 0; --p) {
        instance.dispatch(effSetProgram, 0, p);
        instance.process(512);
        char what[96];
        std::snprintf(what, sizeof what, "program %d after switching away and back", p);
        if (!compare(check, "program-edits", what, edited[static_cast<std::size_t>(p)], snapshot(check, instance)))
            break;
    }

    check.stage("programs renamed");
    const std::string names[] = {"A", "Twenty-three characters", "Validate 3", "x"};
    int renamed = 0;
    for (int p = 0; p < std::min(count, 4); ++p) {
        instance.dispatch(effSetProgram, 0, p);
        const std::string& name = names[p % 4];
        instance.setProgramName(name);
        const std::string now = instance.programName();
        bool indexedGiven = false;
        const std::string indexed = instance.programNameIndexed(p, &indexedGiven);
        if (now != name || (indexedGiven && indexed != name)) {
            check.fail("rename", "program %d renamed '%s' reads back as '%s' (indexed: '%s')", p, name.c_str(),
                       now.c_str(), indexed.c_str());
            break;
        }
        ++renamed;
    }
    check.saw("%d programs named, %d switched while sounding with their edits kept, %d renamed", count, switched,
              renamed);
}

void foreignChunks(Check& check, Module& module) {
    Instance donor(module, check);
    if (!donor.create())
        return;
    const std::vector<std::uint8_t> own = donor.chunk(false);
    const std::vector<std::uint8_t> ownProgram = donor.chunk(true);
    donor.close();

    std::vector<std::pair<std::string, std::vector<std::uint8_t>>> chunks;
    chunks.push_back({"an empty chunk", {}});
    chunks.push_back({"one byte", {0x42}});
    // What another plug-in's state looks like: a preset file's header, text.
    const char fxp[] =
        "CcnK\0\0\0\x40"
        "FPCh\0\0\0\x01"
        "abcd\0\0\0\x01\0\0\0\x10"
        "Foreign program\0";
    chunks.push_back({"another plug-in's program", std::vector<std::uint8_t>(fxp, fxp + sizeof fxp)});
    const char xml[] = "<?xml version=\"1.0\"?><state plugin=\"other\"><param id=\"1\" value=\"0.5\"/></state>";
    chunks.push_back({"another plug-in's XML state", std::vector<std::uint8_t>(xml, xml + sizeof xml - 1)});
    for (int k = 0; k < check.byLevel(2, 12); ++k) {
        std::vector<std::uint8_t> noise(static_cast<std::size_t>(check.uniform(1, 70000)));
        for (auto& byte : noise)
            byte = static_cast<std::uint8_t>(check.uniform(0, 255));
        chunks.push_back({"random bytes", noise});
    }
    if (!own.empty()) {
        chunks.push_back({"its own bank cut in half", {own.begin(), own.begin() + static_cast<long>(own.size() / 2)}});
        std::vector<std::uint8_t> flipped = own;
        for (std::size_t i = 0; i < flipped.size(); i += 7)
            flipped[i] ^= 0xFF;
        chunks.push_back({"its own bank damaged", flipped});
        chunks.push_back({"its own bank given as a program", own});
        std::vector<std::uint8_t> longer = own;
        longer.insert(longer.end(), 1000, 0x7F);
        chunks.push_back({"its own bank with bytes added", longer});
    }
    if (!ownProgram.empty())
        chunks.push_back({"its own program given as a bank", ownProgram});

    int refused = 0;
    for (std::size_t k = 0; k < chunks.size(); ++k) {
        for (bool program : {false, true}) {
            check.stage("%s offered as a %s chunk", chunks[k].first.c_str(), program ? "program" : "bank");
            Instance instance(module, check);
            if (!instance.create())
                return;
            instance.start(44100, 512);
            if (instance.setChunk(chunks[k].second, program) == 0)
                ++refused;
            // Survived: the host reads everything back and plays.
            for (int i = 0; i < paramCount(check); ++i) {
                instance.getParameter(i);
                instance.paramDisplay(i);
            }
            for (int p = 0; p < programCount(check); ++p)
                instance.programNameIndexed(p);
            holdNote(instance);
            for (int b = 0; b < 8; ++b)
                instance.process(512);
            instance.chunk(false);
        }
    }
    check.saw(
        "%zu foreign or damaged chunks each offered as bank and as program: %d of %zu offers refused, the "
        "others survived",
        chunks.size(), refused, 2 * chunks.size());
}

}  // namespace

void checkState(Check& check) {
    Module module;
    if (!loadModule(check, module))
        return;
    chunks(check, module);
    parameterValues(check, module);
    programs(check, module);
    foreignChunks(check, module);
}

}  // namespace kx::validate
