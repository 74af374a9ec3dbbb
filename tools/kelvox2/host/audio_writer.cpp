#include "kelvox2/host/audio_writer.h"

#include <sndfile.h>

#include <cctype>
#include <cerrno>

namespace kx {

namespace {

struct FormatInfo {
    AudioFormat format;
    const char* name;
    const char* extension;
    const char* description;
    int sndfileFormat;
};

const FormatInfo kFormats[] = {
    {AudioFormat::Float, "float", "wav", "32-bit float WAV", SF_FORMAT_WAV | SF_FORMAT_FLOAT},
    {AudioFormat::Wav16, "wav16", "wav", "16-bit WAV", SF_FORMAT_WAV | SF_FORMAT_PCM_16},
    {AudioFormat::Wav24, "wav24", "wav", "24-bit WAV", SF_FORMAT_WAV | SF_FORMAT_PCM_24},
    {AudioFormat::Flac, "flac", "flac", "24-bit FLAC", SF_FORMAT_FLAC | SF_FORMAT_PCM_24},
    {AudioFormat::Aiff, "aiff", "aiff", "32-bit float AIFF", SF_FORMAT_AIFF | SF_FORMAT_FLOAT},
};

const FormatInfo& info(AudioFormat format) {
    for (const FormatInfo& f : kFormats)
        if (f.format == format)
            return f;
    return kFormats[0];
}

std::string lowerExtension(const std::string& path) {
    size_t dot = path.find_last_of('.');
    size_t slash = path.find_last_of('/');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash))
        return {};
    std::string ext = path.substr(dot + 1);
    for (char& c : ext)
        c = char(std::tolower(static_cast<unsigned char>(c)));
    return ext;
}

}  // namespace

bool audioFormatFromName(const std::string& name, AudioFormat& format) {
    for (const FormatInfo& f : kFormats)
        if (name == f.name) {
            format = f.format;
            return true;
        }
    return false;
}

bool audioFormatFromExtension(const std::string& path, AudioFormat& format) {
    std::string ext = lowerExtension(path);
    if (ext == "wav")
        format = AudioFormat::Float;
    else if (ext == "flac")
        format = AudioFormat::Flac;
    else if (ext == "aif" || ext == "aiff")
        format = AudioFormat::Aiff;
    else
        return false;
    return true;
}

const char* audioFormatExtension(AudioFormat format) { return info(format).extension; }

const char* describeAudioFormat(AudioFormat format) { return info(format).description; }

bool isIntegerFormat(AudioFormat format) {
    return format == AudioFormat::Wav16 || format == AudioFormat::Wav24 || format == AudioFormat::Flac;
}

AudioWriter::~AudioWriter() { discard(); }

bool AudioWriter::open(const std::string& path, AudioFormat format, int sampleRate, int channels, std::string& error) {
    discard();
    if (channels < 1) {
        error = "nothing to write to '" + path + "': the plug-in has no audio outputs";
        return false;
    }
    SF_INFO sfInfo{};
    sfInfo.samplerate = sampleRate;
    sfInfo.channels = channels;
    sfInfo.format = info(format).sndfileFormat;
    if (!sf_format_check(&sfInfo)) {
        error = std::string(describeAudioFormat(format)) + " cannot hold " + std::to_string(channels) +
                " channels at " + std::to_string(sampleRate) + " Hz";
        return false;
    }
    if (!out_.open(path, error))
        return false;
    errno = 0;
    file_ = sf_open_fd(out_.descriptor(), SFM_WRITE, &sfInfo, SF_FALSE);
    if (!file_) {
        error = failure("cannot write '" + path + "'", errno);
        out_.discard();
        return false;
    }
    // Integer formats clip rather than wrap on overs.
    sf_command(file_, SFC_SET_CLIPPING, nullptr, SF_TRUE);
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
        for (int c = 0; c < channels_; ++c)
            interleaved_[i * channels_ + c] = channels[c][i];
    errno = 0;
    sf_count_t n = sf_writef_double(file_, interleaved_.data(), sf_count_t(frames));
    if (n != sf_count_t(frames)) {
        error = failure("writing '" + out_.path() + "' failed", errno);
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
    if (!file_)
        return true;
    // Closing writes the header's final sizes (and FLAC's last frames).
    errno = 0;
    int rc = sf_close(file_);
    int saved = errno;
    file_ = nullptr;
    if (rc != 0) {
        error = "writing '" + out_.path() + "' failed: " +
                (saved ? describeWriteError(saved) : "the audio library reports: " + std::string(sf_error_number(rc)));
        out_.discard();
        return false;
    }
    return out_.commit(error);
}

void AudioWriter::discard() {
    if (file_) {
        sf_close(file_);
        file_ = nullptr;
    }
    out_.discard();
}

std::string AudioWriter::failure(const std::string& head, int savedErrno) const {
    // libsndfile's own texts ("System error : ...") only follow as detail.
    if (savedErrno != 0 && (!file_ || sf_error(file_) == SF_ERR_SYSTEM))
        return head + ": " + describeWriteError(savedErrno);
    return head + ": the audio library reports: " + sf_strerror(file_);
}

}  // namespace kx
