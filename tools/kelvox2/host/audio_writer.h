// Writes rendered audio through libsndfile, the format chosen by the file's
// extension: .wav (32-bit float), .flac (24-bit), .aif/.aiff (32-bit float).
#pragma once

#include <cstddef>
#include <string>
#include <vector>

struct sf_private_tag;

namespace kx {

class AudioWriter {
public:
    AudioWriter() = default;
    ~AudioWriter();
    AudioWriter(const AudioWriter&) = delete;
    AudioWriter& operator=(const AudioWriter&) = delete;

    // Fails for an unknown extension or a file that cannot be created.
    bool open(const std::string& path, int sampleRate, int channels, std::string& error);
    // channels[c][i], frames samples each; float or double.
    bool write(const float* const* channels, size_t frames, std::string& error);
    bool write(const double* const* channels, size_t frames, std::string& error);
    // Closes the file and puts it in place of any earlier file at the path;
    // false when the last writes did not reach the disk or it could not.
    bool close(std::string& error);
    // Closes and deletes a half-written file; an earlier file at the path
    // stays. Destruction without close does the same.
    void discard();

    static bool supportedExtension(const std::string& path);

private:
    template <class T>
    bool writeFrames(const T* const* channels, size_t frames, std::string& error);

    sf_private_tag* file_ = nullptr;
    std::string path_;
    std::string partial_;  // what is being written; empty once in place
    int channels_ = 0;
    std::vector<double> interleaved_;
};

}  // namespace kx
