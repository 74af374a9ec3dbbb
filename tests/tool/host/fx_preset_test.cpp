#include "kelvox2/host/fx_preset.h"

#include <gtest/gtest.h>

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>

namespace kx {
namespace {

uint32_t be32At(const std::vector<uint8_t>& b, size_t at) {
    return uint32_t(b[at]) << 24 | uint32_t(b[at + 1]) << 16 | uint32_t(b[at + 2]) << 8 | b[at + 3];
}

FxProgram sampleProgram(const char* name, float base) {
    FxProgram p;
    p.fxID = fourCC('k', 'v', 'M', 't');
    p.fxVersion = 1200;
    p.name = name;
    for (int i = 0; i < 30; ++i)
        p.params.push_back(base + i / 64.0f);
    return p;
}

TEST(FxPreset, ProgramLayoutIsBigEndianAndRoundTrips) {
    FxProgram p = sampleProgram("Glide Lead", 0.125f);
    std::vector<uint8_t> b = writeFxp(p);
    ASSERT_EQ(b.size(), 56u + 4 * 30);
    EXPECT_EQ(std::memcmp(b.data(), "CcnK", 4), 0);
    EXPECT_EQ(be32At(b, 4), 48u + 4 * 30);
    EXPECT_EQ(std::memcmp(b.data() + 8, "FxCk", 4), 0);
    EXPECT_EQ(be32At(b, 12), 1u);
    EXPECT_EQ(std::memcmp(b.data() + 16, "kvMt", 4), 0);
    EXPECT_EQ(be32At(b, 20), 1200u);
    EXPECT_EQ(be32At(b, 24), 30u);
    EXPECT_STREQ(reinterpret_cast<const char*>(b.data() + 28), "Glide Lead");
    EXPECT_EQ(b[28 + 27], 0);
    EXPECT_EQ(be32At(b, 56), 0x3E000000u);  // 0.125f

    FxProgram back;
    std::string error;
    ASSERT_TRUE(parseFxp(b.data(), b.size(), back, error)) << error;
    EXPECT_EQ(back.fxID, p.fxID);
    EXPECT_EQ(back.fxVersion, 1200);
    EXPECT_EQ(back.name, "Glide Lead");
    EXPECT_FALSE(back.isChunk);
    EXPECT_EQ(back.params, p.params);
}

TEST(FxPreset, LongNamesAreCutToTheField) {
    FxProgram p = sampleProgram("A name much longer than twenty-eight characters", 0);
    std::vector<uint8_t> b = writeFxp(p);
    FxProgram back;
    std::string error;
    ASSERT_TRUE(parseFxp(b.data(), b.size(), back, error)) << error;
    EXPECT_EQ(back.name, p.name.substr(0, 27));
    // a foreign file that fills all 28 bytes still reads as a terminated name
    std::memset(b.data() + 28, 'x', 28);
    ASSERT_TRUE(parseFxp(b.data(), b.size(), back, error)) << error;
    EXPECT_EQ(back.name, std::string(28, 'x'));
}

TEST(FxPreset, BankLayoutAndRoundTrip) {
    FxBank bank;
    bank.fxID = fourCC('k', 'v', 'M', 't');
    bank.fxVersion = 1200;
    bank.currentProgram = 3;
    for (int i = 0; i < 10; ++i) {
        char name[8];
        std::snprintf(name, sizeof name, "P%d", i);
        bank.programs.push_back(sampleProgram(name, i * 0.01f));
    }
    std::vector<uint8_t> b = writeFxb(bank);
    ASSERT_EQ(b.size(), 156u + 10 * (56 + 4 * 30));
    EXPECT_EQ(be32At(b, 4), 148u + 10 * (56 + 4 * 30));
    EXPECT_EQ(std::memcmp(b.data() + 8, "FxBk", 4), 0);
    EXPECT_EQ(be32At(b, 12), 2u);
    EXPECT_EQ(be32At(b, 24), 10u);
    EXPECT_EQ(be32At(b, 28), 3u);
    for (size_t i = 32; i < 156; ++i)
        ASSERT_EQ(b[i], 0) << i;
    EXPECT_EQ(std::memcmp(b.data() + 156, "CcnK", 4), 0);

    FxBank back;
    std::string error;
    ASSERT_TRUE(parseFxb(b.data(), b.size(), back, error)) << error;
    EXPECT_EQ(back.currentProgram, 3);
    ASSERT_EQ(back.programs.size(), 10u);
    EXPECT_EQ(back.programs[7].name, "P7");
    EXPECT_EQ(back.programs[7].params, bank.programs[7].params);

    // version 1 has no current program
    b[15] = 1;
    ASSERT_TRUE(parseFxb(b.data(), b.size(), back, error)) << error;
    EXPECT_EQ(back.currentProgram, 0);
}

TEST(FxPreset, ChunkFormsCarryTheBytes) {
    FxProgram p;
    p.fxID = 42;
    p.isChunk = true;
    p.chunkNumParams = 30;
    p.chunk = {1, 2, 3, 4, 5};
    std::vector<uint8_t> b = writeFxp(p);
    EXPECT_EQ(std::memcmp(b.data() + 8, "FPCh", 4), 0);
    EXPECT_EQ(be32At(b, 4), 52u + 5);
    EXPECT_EQ(be32At(b, 24), 30u);
    EXPECT_EQ(be32At(b, 56), 5u);
    FxProgram back;
    std::string error;
    ASSERT_TRUE(parseFxp(b.data(), b.size(), back, error)) << error;
    EXPECT_TRUE(back.isChunk);
    EXPECT_EQ(back.chunk, p.chunk);

    FxBank bank;
    bank.isChunk = true;
    bank.chunkNumPrograms = 10;
    bank.chunk.assign(300, 7);
    b = writeFxb(bank);
    EXPECT_EQ(std::memcmp(b.data() + 8, "FBCh", 4), 0);
    EXPECT_EQ(be32At(b, 4), 152u + 300);
    EXPECT_EQ(be32At(b, 156), 300u);
    FxBank bankBack;
    ASSERT_TRUE(parseFxb(b.data(), b.size(), bankBack, error)) << error;
    EXPECT_EQ(bankBack.chunk, bank.chunk);
    EXPECT_EQ(bankBack.chunkNumPrograms, 10);
}

TEST(FxPreset, WrongByteSizeIsToleratedButShortContentIsNot) {
    std::vector<uint8_t> b = writeFxp(sampleProgram("x", 0.5f));
    b[4] = b[5] = b[6] = b[7] = 0xFF;  // byteSize lies: the counts decide
    FxProgram back;
    std::string error;
    EXPECT_TRUE(parseFxp(b.data(), b.size(), back, error)) << error;

    std::vector<uint8_t> cut(b.begin(), b.end() - 1);
    EXPECT_FALSE(parseFxp(cut.data(), cut.size(), back, error));
    EXPECT_NE(error.find("byte 24: 30 parameters need 120 bytes, 119 left"), std::string::npos) << error;

    for (size_t n = 0; n < kFxpHeaderBytes; ++n)
        EXPECT_FALSE(parseFxp(b.data(), n, back, error)) << n;

    std::vector<uint8_t> notPreset = b;
    notPreset[8] = 'Q';
    EXPECT_FALSE(parseFxp(notPreset.data(), notPreset.size(), back, error));
    EXPECT_NE(error.find("byte 8"), std::string::npos) << error;

    FxProgram chunky;
    chunky.isChunk = true;
    chunky.chunk.assign(16, 1);
    std::vector<uint8_t> c = writeFxp(chunky);
    c[56] = 0x7F;  // chunk size far beyond the file
    EXPECT_FALSE(parseFxp(c.data(), c.size(), back, error));
    EXPECT_NE(error.find("byte 56: chunk size"), std::string::npos) << error;

    FxBank bank;
    bank.programs.assign(2, sampleProgram("y", 0));
    std::vector<uint8_t> fb = writeFxb(bank);
    fb[27] = 200;  // claims 200 programs
    FxBank bankBack;
    EXPECT_FALSE(parseFxb(fb.data(), fb.size(), bankBack, error));
    fb[27] = 2;
    fb.resize(fb.size() - 4);
    EXPECT_FALSE(parseFxb(fb.data(), fb.size(), bankBack, error));
    EXPECT_EQ(error.rfind("program 1: ", 0), 0u) << error;
}

TEST(FxPreset, AFailedSaveKeepsTheEarlierFile) {
    const std::string path = ::testing::TempDir() + "kx_keep_" + std::to_string(::getpid()) + ".fxb";
    std::string error;
    const std::vector<uint8_t> old = writeFxp(sampleProgram("Old", 0.25f));
    ASSERT_TRUE(writeFile(path.c_str(), old, error)) << error;

    // A child whose files may not grow past 64 KiB fails to save 1 MiB, as a
    // full disk would.
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        std::signal(SIGXFSZ, SIG_IGN);
        rlimit limit{65536, 65536};
        ::setrlimit(RLIMIT_FSIZE, &limit);
        std::string why;
        ::_exit(writeFile(path.c_str(), std::vector<uint8_t>(1 << 20, 7), why) ? 1 : 0);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0) << "the save was reported as done";

    std::ifstream in(path, std::ios::binary);
    std::stringstream kept;
    kept << in.rdbuf();
    EXPECT_EQ(kept.str(), std::string(old.begin(), old.end()));
    EXPECT_NE(::access((path + ".partial").c_str(), F_OK), 0);
    std::remove(path.c_str());
}

}  // namespace
}  // namespace kx
