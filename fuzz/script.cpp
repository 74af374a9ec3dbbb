// Script and preset text from outside: every line is split into words and
// every word read in every way a reader may read it.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "data/byte_source.h"
#include "data/tokenizer.h"

namespace {

void tokenizeAll(const std::uint8_t* data, std::size_t size) {
  kx::KMemorySource source(data, size);
  kx::KTokenizer tokenizer(&source);
  while (tokenizer.nextLine()) {
    const int count = tokenizer.wordCount();
    if (count < 0 || count > kx::KTokenizer::kMaxWords) std::abort();
    for (int i = -1; i <= count; ++i) {
      const char* word = tokenizer.getWord(i);
      if ((word == nullptr) != (i < 0 || i >= count)) std::abort();
      if (word != nullptr && std::strlen(word) > 254) std::abort();
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
  return 0;
}
