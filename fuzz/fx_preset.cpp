// The .fxp and .fxb readers on arbitrary bytes; what they accept must write
// back out without faults.
#include "kelvox2/host/fx_preset.h"

#include <cstddef>
#include <cstdint>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string error;
    kx::FxProgram program;
    if (kx::parseFxp(data, size, program, error))
        (void)kx::writeFxp(program);
    kx::FxBank bank;
    if (kx::parseFxb(data, size, bank, error))
        (void)kx::writeFxb(bank);
    return 0;
}
