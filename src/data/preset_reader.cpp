#include "data/preset_reader.h"

#include "data/byte_source.h"
#include "data/tokenizer.h"
#include "params/program_bank.h"

namespace kx {

void readPresets(KProgramBank& bank, KByteSource* source) {
    KTokenizer tokenizer(source);
    const int programCount = bank.getProgramCount();

    // Program the SETSTR lines go to: -1 before the first PRESET line, and
    // programCount (never more) once the text has named more programs than
    // the bank holds.
    int program = -1;
    while (tokenizer.nextLine()) {
        if (tokenizer.wordIs(0, "PRESET")) {
            if (tokenizer.wordCount() < 2)
                continue;  // without a name it starts no program
            tokenizer.skipWords(2);
            if (program < programCount)
                ++program;
            const char* name = tokenizer.getWord(1);
            // An empty name keeps the program's name.
            if (program < programCount && name[0] != '\0')
                bank.setProgramName(program, name);
        } else if (tokenizer.wordIs(0, "SETSTR")) {
            if (tokenizer.wordCount() < 3)
                continue;
            tokenizer.skipWords(2);
            const int index = bank.params() ? findParamByName(*bank.params(), tokenizer.getWord(1)) : -1;
            if (index < 0)
                continue;
            const char* value = tokenizer.takeWord();
            if (program >= 0 && program < programCount)
                bank.setFromText(program, index, value);
        }
    }
}

}  // namespace kx
