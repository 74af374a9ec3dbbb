// Writes rendered audio through libsndfile in one of the tool's formats:
// 32-bit float WAV, 16- or 24-bit WAV, 24-bit FLAC, 32-bit float AIFF.
// The file goes through OutputFile: it replaces an earlier file of its name
// only once complete, and a symbolic link keeps pointing at it.
#pragma once

#include "kelvox2/host/output_file.h"

#include <cstddef>
#include <string>
#include <vector>

struct sf_private_tag;

namespace kx {

enum class AudioFormat { Float, Wav16, Wav24, Flac, Aiff };

// The --format names: "float", "wav16", "wav24", "flac", "aiff".
bool audioFormatFromName(const std::string& name, AudioFormat& format);
// .wav (float), .flac, .aif/.aiff; false for any other extension.
bool audioFormatFromExtension(const std::string& path, AudioFormat& format);
// The extensions a format's files carry ("wav", "flac", "aiff").
const char* audioFormatExtension(AudioFormat format);
// "32-bit float WAV" and the like.
const char* describeAudioFormat(AudioFormat format);
// Integer samples: what lies beyond full scale is clipped.
bool isIntegerFormat(AudioFormat format);

class AudioWriter {
public:
    AudioWriter() = default;
    ~AudioWriter();
    AudioWriter(const AudioWriter&) = delete;
    AudioWriter& operator=(const AudioWriter&) = delete;

    // Fails for a file that cannot be created or a format that cannot hold
    // the channels and rate, with a message in our words.
    bool open(const std::string& path, AudioFormat format, int sampleRate, int channels, std::string& error);
    // channels[c][i] for each of the file's channels, frames samples each.
    bool write(const float* const* channels, size_t frames, std::string& error);
    bool write(const double* const* channels, size_t frames, std::string& error);
    // Finishes the file and puts it in place of any earlier file at the path;
    // false when the last writes did not reach the disk or it could not.
    bool close(std::string& error);
    // Closes and deletes a half-written file; an earlier file at the path
    // stays. Destruction without close does the same.
    void discard();

private:
    template <class T>
    bool writeFrames(const T* const* channels, size_t frames, std::string& error);
    // head, then what went wrong in libsndfile: the system's reason in our
    // words, else the library's own text marked as such.
    std::string failure(const std::string& head, int savedErrno) const;

    sf_private_tag* file_ = nullptr;
    OutputFile out_;
    int channels_ = 0;
    std::vector<double> interleaved_;
};

}  // namespace kx
