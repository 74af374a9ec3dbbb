// The standard VST preset (.fxp) and bank (.fxb) containers, big-endian.
// Programs are either parameter lists ('FxCk' / 'FxBk') or one opaque chunk
// from the plug-in ('FPCh' / 'FBCh'). Reading checks every count against the
// bytes present and tolerates a wrong byteSize field, as hosts do.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace kx {

constexpr int32_t fourCC(char a, char b, char c, char d) {
    return static_cast<int32_t>(uint32_t(uint8_t(a)) << 24 | uint32_t(uint8_t(b)) << 16 | uint32_t(uint8_t(c)) << 8 |
                                uint8_t(d));
}

constexpr int32_t kCcnK = fourCC('C', 'c', 'n', 'K');
constexpr int32_t kFxCk = fourCC('F', 'x', 'C', 'k');
constexpr int32_t kFPCh = fourCC('F', 'P', 'C', 'h');
constexpr int32_t kFxBk = fourCC('F', 'x', 'B', 'k');
constexpr int32_t kFBCh = fourCC('F', 'B', 'C', 'h');

constexpr size_t kFxProgramNameBytes = 28;
constexpr size_t kFxpHeaderBytes = 56;   // up to the program's content
constexpr size_t kFxbHeaderBytes = 156;  // up to the bank's content

struct FxProgram {
    int32_t fxID = 0;
    int32_t fxVersion = 0;
    std::string name;  // at most 27 characters are stored
    bool isChunk = false;
    std::vector<float> params;   // FxCk: normalised values
    std::vector<uint8_t> chunk;  // FPCh: the plug-in's program chunk
    int32_t chunkNumParams = 0;  // FPCh: the plug-in's parameter count
};

struct FxBank {
    int32_t fxID = 0;
    int32_t fxVersion = 0;
    int32_t formatVersion = 2;  // 2 stores currentProgram
    int32_t currentProgram = 0;
    bool isChunk = false;
    std::vector<FxProgram> programs;  // FxBk
    std::vector<uint8_t> chunk;       // FBCh: the plug-in's bank chunk
    int32_t chunkNumPrograms = 0;     // FBCh: the plug-in's program count
};

std::vector<uint8_t> writeFxp(const FxProgram& program);
std::vector<uint8_t> writeFxb(const FxBank& bank);

// On failure error says what is wrong and at which byte.
bool parseFxp(const uint8_t* data, size_t size, FxProgram& program, std::string& error);
bool parseFxb(const uint8_t* data, size_t size, FxBank& bank, std::string& error);

// File forms; errors start with the path.
bool readFxpFile(const char* path, FxProgram& program, std::string& error);
bool readFxbFile(const char* path, FxBank& bank, std::string& error);
// Replaces the file only once the new bytes are all written (OutputFile).
bool writeFile(const char* path, const std::vector<uint8_t>& bytes, std::string& error);

}  // namespace kx
