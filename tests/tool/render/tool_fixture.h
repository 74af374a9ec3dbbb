// Running the built kelvox2 tool as a user does, in a folder of its own per
// test, and reading back what it wrote.
#pragma once

#include "kelvox2/host/fx_preset.h"
#include "support/command_run.h"

#include <gtest/gtest.h>
#include <sndfile.h>

#include <sys/wait.h>
#include <unistd.h>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace kx::tooltest {

namespace fs = std::filesystem;

struct RunResult {
    int exitCode = -1;
    std::string output;  // stdout and stderr together
};

// `arguments` go through the shell; `environment` is put before the command.
inline RunResult run(const std::string& arguments, const std::string& environment = "") {
    const testing::CommandRun run = testing::runTool(arguments, environment);
    RunResult result;
    result.exitCode = run.status;
    result.output = run.out;
    return result;
}

struct Audio {
    int rate = 0;
    int channels = 0;
    int format = 0;              // libsndfile's SF_FORMAT_* of the file
    std::vector<float> samples;  // interleaved
    size_t frames() const { return channels ? samples.size() / size_t(channels) : 0; }
};

inline bool readAudio(const std::string& path, Audio& audio) {
    SF_INFO info{};
    SNDFILE* f = sf_open(path.c_str(), SFM_READ, &info);
    if (!f)
        return false;
    audio.rate = info.samplerate;
    audio.channels = info.channels;
    audio.format = info.format;
    audio.samples.resize(size_t(info.frames) * size_t(info.channels));
    sf_count_t got = sf_readf_float(f, audio.samples.data(), info.frames);
    sf_close(f);
    return got == info.frames;
}

inline std::string readBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

inline void writeBytes(const std::string& path, const void* data, size_t size) {
    std::ofstream(path, std::ios::binary).write(static_cast<const char*>(data), std::streamsize(size));
}

// A single-track MIDI file at 120 bpm and 480 ticks per quarter: the given
// track events (delta times included), then the end of the track.
inline std::vector<unsigned char> midiFile(const std::vector<unsigned char>& events) {
    const unsigned char tempo[] = {0x00, 0xFF, 0x51, 0x03, 0x07, 0xA1, 0x20};  // 120 bpm
    const unsigned char end[] = {0x00, 0xFF, 0x2F, 0x00};
    const uint32_t n = uint32_t(sizeof tempo + events.size() + sizeof end);
    std::vector<unsigned char> file = {'M',
                                       'T',
                                       'h',
                                       'd',
                                       0,
                                       0,
                                       0,
                                       6,
                                       0,
                                       0,
                                       0,
                                       1,
                                       0x01,
                                       0xE0,  // 480 per quarter
                                       'M',
                                       'T',
                                       'r',
                                       'k',
                                       uint8_t(n >> 24),
                                       uint8_t(n >> 16),
                                       uint8_t(n >> 8),
                                       uint8_t(n)};
    for (unsigned char b : tempo)
        file.push_back(b);
    for (unsigned char b : events)
        file.push_back(b);
    for (unsigned char b : end)
        file.push_back(b);
    return file;
}

class ToolTest : public ::testing::Test {
protected:
    void SetUp() override {
        dir_ = fs::temp_directory_path() / ("kx_tool_" + std::to_string(::getpid()) + "_" +
                                            ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(dir_);
        fs::create_directories(dir_);
    }
    void TearDown() override { fs::remove_all(dir_); }
    std::string path(const std::string& name) const { return (dir_ / name).string(); }
    static std::string demo() { return std::string(KX_SOURCE_DIR) + "/demo/demo.mid"; }
    static std::string plugin() { return KX_PLUGIN_PATH; }

    // The program the tool saves after typing the settings, as stored floats.
    std::vector<float> savedProgram(const std::string& settings) {
        const std::string fxp = path("saved.fxp");
        fs::remove(fxp);
        RunResult r = run("render " + settings + " --save-fxp " + fxp);
        EXPECT_EQ(r.exitCode, 0) << settings << "\n" << r.output;
        FxProgram program;
        std::string error;
        if (!readFxpFile(fxp.c_str(), program, error))
            return {};
        return program.params;
    }

    fs::path dir_;
};

}  // namespace kx::tooltest
