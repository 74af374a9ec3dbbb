// Script and preset text from outside: every line is split into words and
// every word read in every way a reader may read it; then the same text is
// read as presets into the instrument's bank.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "data/byte_source.h"
#include "data/preset_reader.h"
#include "data/tokenizer.h"
#include "instrument/synth_effect.h"

namespace {

void tokenizeAll(const std::uint8_t* data, std::size_t size) {
    kx::KMemorySource source(data, size);
    kx::KTokenizer tokenizer(&source);
    while (tokenizer.nextLine()) {
        const int count = tokenizer.wordCount();
        if (count < 0 || count > kx::KTokenizer::kMaxWords)
            std::abort();
        for (int i = -1; i <= count; ++i) {
            const char* word = tokenizer.getWord(i);
            if ((word == nullptr) != (i < 0 || i >= count))
                std::abort();
            if (word != nullptr && std::strlen(word) > 254)
                std::abort();
            tokenizer.wordIs(i, "PRESET");
            tokenizer.wordAsNumber(i);
            tokenizer.wordAsInteger(i);
        }
        while (tokenizer.takeWord() != nullptr) {
        }
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    tokenizeAll(data, size);

    // One instrument for the whole run: building one per input would spend
    // the time on construction instead of on the reader.
    static kx::SynthEffect effect(nullptr);
    kx::KMemorySource source(data, size);
    kx::readPresets(effect.getBank(), &source);
    for (int p = 0; p < effect.getBank().getProgramCount(); ++p)
        if (std::strlen(effect.getBank().programName(p)) > 24)
            std::abort();
    return 0;
}
