// Turns the factory sounds' preset text into a VST bank file (.fxb) of the
// instrument: the text is read by the instrument's own preset reader into a
// real instance, and the bank written is what a host would save of it (one
// parameter list per program). Stricter than the instrument's reader, which
// skips what it cannot read: any line it would skip fails the build here.
//
// usage: make_factory_bank SOURCE.txt OUT.fxb
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "data/byte_source.h"
#include "data/preset_reader.h"
#include "data/tokenizer.h"
#include "instrument/synth_effect.h"
#include "kelvox2/host/fx_preset.h"
#include "params/enum_param.h"
#include "plugin/vst_abi.h"

namespace {

VstIntPtr quietHost(AEffect*, VstInt32 opcode, VstInt32, VstIntPtr, void*, float) {
    return opcode == audioMasterVersion ? 2400 : opcode == audioMasterGetSampleRate ? 44100 : 0;
}

bool isNumber(const char* text) {
    if (strcasecmp(text, "-inf") == 0 || strcasecmp(text, "inf") == 0)
        return true;
    char* end = nullptr;
    errno = 0;
    std::strtod(text, &end);
    return end != text && *end == '\0' && errno == 0;
}

bool isEntry(const kx::KEnumParam& param, const char* text) {
    for (int i = 0; i < param.getEntryCount(); ++i)
        if (strcasecmp(param.getEntry(i), text) == 0)
            return true;
    return false;
}

// Every line is a statement the instrument's reader takes whole; an error
// names the first that is not.
bool check(const char* path, const kx::SynthEffect& effect, std::string& error) {
    kx::KFileSource source(path);
    if (!source.isOpen()) {
        error = std::string(path) + ": cannot be read";
        return false;
    }
    kx::KTokenizer lines(&source);
    int line = 0, programs = 0;
    while (lines.nextLine()) {
        ++line;
        const std::string where = std::string(path) + ":" + std::to_string(line) + ": ";
        if (lines.wordCount() == 0)
            continue;
        if (lines.wordIs(0, "PRESET")) {
            const char* name = lines.getWord(1);
            if (lines.wordCount() != 2 || !*name ||
                std::strlen(name) > static_cast<std::size_t>(kx::KProgramBank::kProgramNameLength)) {
                error = where + "PRESET takes one name of 1 to 24 characters";
                return false;
            }
            ++programs;
        } else if (lines.wordIs(0, "SETSTR")) {
            const int index = lines.wordCount() == 3 ? effect.findParameter(lines.getWord(1)) : -1;
            if (index < 0 || programs == 0) {
                error = where + "SETSTR takes a parameter's name and a value, after a PRESET line";
                return false;
            }
            const kx::KParam* param = effect.getParam(index);
            const auto* choices = dynamic_cast<const kx::KEnumParam*>(param);
            const char* value = lines.getWord(2);
            if (choices ? !isEntry(*choices, value) : !isNumber(value)) {
                error = where + "'" + value + "' is not a value of " + lines.getWord(1);
                return false;
            }
        } else {
            error = where + "neither PRESET nor SETSTR";
            return false;
        }
    }
    if (programs != kx::kSynthProgramCount) {
        error = std::string(path) + ": " + std::to_string(programs) + " programs, not " +
                std::to_string(kx::kSynthProgramCount);
        return false;
    }
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: make_factory_bank SOURCE.txt OUT.fxb\n");
        return 2;
    }
    kx::AudioEffect* created = kx::createEffectInstance(quietHost);
    auto* effect = static_cast<kx::SynthEffect*>(created);
    std::string error;
    if (!check(argv[1], *effect, error)) {
        std::fprintf(stderr, "make_factory_bank: %s\n", error.c_str());
        return 1;
    }
    kx::KFileSource source(argv[1]);
    kx::readPresets(effect->getBank(), &source);

    kx::FxBank bank;
    bank.fxID = kx::kSynthUniqueId;
    bank.fxVersion = kx::kSynthVendorVersion;
    for (int p = 0; p < kx::kSynthProgramCount; ++p) {
        effect->setProgram(p);
        kx::FxProgram program;
        program.fxID = bank.fxID;
        program.fxVersion = bank.fxVersion;
        program.name = effect->getBank().programName(p);
        for (int i = 0; i < kx::kSynthParamCount; ++i)
            program.params.push_back(effect->getParameter(i));
        bank.programs.push_back(program);
    }
    delete created;
    if (!kx::writeFile(argv[2], kx::writeFxb(bank), error)) {
        std::fprintf(stderr, "make_factory_bank: %s\n", error.c_str());
        return 1;
    }
    return 0;
}
