#include "audio_writer.h"

#include <sndfile.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstring>

namespace kx {

namespace {

std::string lowerExtension(const std::string& path) {
    size_t dot = path.find_last_of('.');
    size_t slash = path.find_last_of('/');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return {};
    std::string ext = path.substr(dot + 1);
    for (char& c : ext) c = char(std::tolower(static_cast<unsigned char>(c)));
    return ext;
}

int formatFor(const std::string& path) {
    std::string ext = lowerExtension(path);
    if (ext == "wav") return SF_FORMAT_WAV | SF_FORMAT_FLOAT;
    if (ext == "flac") return SF_FORMAT_FLAC | SF_FORMAT_PCM_24;
    if (ext == "aif" || ext == "aiff") return SF_FORMAT_AIFF | SF_FORMAT_FLOAT;
    return 0;
}

}  // namespace

// An output that was never closed is unfinished: it does not replace anything.
AudioWriter::~AudioWriter() { discard(); }

bool AudioWriter::supportedExtension(const std::string& path) { return formatFor(path) != 0; }

bool AudioWriter::open(const std::string& path, int sampleRate, int channels, std::string& error) {
    int format = formatFor(path);
    if (!format) {
        error = path + ": unknown output format (use .wav, .flac or .aiff)";
        return false;
    }
    if (channels < 1) {
        error = path + ": nothing to write: the plug-in has no audio outputs";
        return false;
    }
    SF_INFO info{};
    info.samplerate = sampleRate;
    info.channels = channels;
    info.format = format;
    if (!sf_format_check(&info)) {
        error = path + ": the format cannot hold " + std::to_string(channels) + " channels at " +
                std::to_string(sampleRate) + " Hz";
        return false;
    }
    // The audio goes to a file beside the target and replaces it on close,
    // so that a failed render leaves an earlier file of that name as it was.
    const std::string partial = path + ".partial";
    file_ = sf_open(partial.c_str(), SFM_WRITE, &info);
    if (!file_) {
        error = path + ": cannot create: " + sf_strerror(nullptr);
        return false;
    }
    partial_ = partial;
    // Integer formats clip rather than wrap on overs.
    sf_command(file_, SFC_SET_CLIPPING, nullptr, SF_TRUE);
    path_ = path;
    channels_ = channels;
    return true;
}

template <class T>
bool AudioWriter::writeFrames(const T* const* channels, size_t frames, std::string& error) {
    if (!file_) {
        error = "no open output file";
        return false;
    }
    interleaved_.resize(frames * size_t(channels_));
    for (size_t i = 0; i < frames; ++i)
        for (int c = 0; c < channels_; ++c) interleaved_[i * channels_ + c] = channels[c][i];
    sf_count_t n = sf_writef_double(file_, interleaved_.data(), sf_count_t(frames));
    if (n != sf_count_t(frames)) {
        error = path_ + ": write failed: " + sf_strerror(file_);
        return false;
    }
    return true;
}

bool AudioWriter::write(const float* const* channels, size_t frames, std::string& error) {
    return writeFrames(channels, frames, error);
}

bool AudioWriter::write(const double* const* channels, size_t frames, std::string& error) {
    return writeFrames(channels, frames, error);
}

bool AudioWriter::close(std::string& error) {
    if (!file_) return true;
    sf_write_sync(file_);
    int rc = sf_close(file_);
    file_ = nullptr;
    if (rc != 0) {
        error = path_ + ": closing failed: " + sf_error_number(rc);
        return false;
    }
    if (std::rename(partial_.c_str(), path_.c_str()) != 0) {
        error = path_ + ": cannot replace: " + std::strerror(errno);
        return false;
    }
    partial_.clear();
    return true;
}

void AudioWriter::discard() {
    if (file_) {
        sf_close(file_);
        file_ = nullptr;
    }
    if (!partial_.empty()) std::remove(partial_.c_str());
    partial_.clear();
}

}  // namespace kx
