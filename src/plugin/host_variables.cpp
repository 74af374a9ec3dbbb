// Named variables through which skin labels show host and build information.
#include "plugin/effect.h"

#include "params/number_text.h"
#include "plugin/text_limits.h"

#include <cstdio>
#include <cstring>

namespace kx {

namespace {

constexpr int kMaxVariableName = 63;
constexpr int kVariableValueSize = 128;

void copyWithin(char* output, int size, const char* text) {
    if (size >= 1)
        copyText(output, text, size - 1);
}

}  // namespace

void KEffect::getVariable(char* output, int size, const char* name) {
    if (!output || size < 1)
        return;
    output[0] = '\0';
    if (!name)
        return;
    const bool vendor = std::strcmp(name, "HostVend") == 0;
    if (vendor || std::strcmp(name, "HostName") == 0) {
        char host[kTextScratchSize] = {};
        if (vendor)
            getHostVendorString(host);
        else
            getHostProductString(host);
        host[kTextScratchSize - 1] = '\0';
        copyWithin(output, size, host[0] ? host : "Unknown");
        return;
    }
    const char* text = nullptr;
    if (std::strcmp(name, "PlugVer") == 0)
        text = getPlugVersion();
    else if (std::strcmp(name, "PlugBuild") == 0)
        text = getPlugBuild();
    else if (std::strcmp(name, "Platform") == 0)
        text = getPlatform();
    else if (std::strcmp(name, "BuildDate") == 0)
        text = getBuildDate();
    else if (std::strcmp(name, "SRate") == 0)
        formatValue(output, size, getSampleRate(), 1);
    else if (std::strcmp(name, "Inputs") == 0)
        std::snprintf(output, static_cast<size_t>(size), "%d", static_cast<int>(getInputArrangement().numChannels));
    else if (std::strcmp(name, "Outputs") == 0)
        std::snprintf(output, static_cast<size_t>(size), "%d", static_cast<int>(getOutputArrangement().numChannels));
    if (text)
        copyWithin(output, size, text);
}

void KEffect::expandVariables(char* output, int size, const char* text) {
    if (!output || size < 1)
        return;
    const int last = size - 1;  // the terminator's place
    int out = 0;
    if (text) {
        const char* p = text;
        while (*p && out < last) {
            if (p[0] == '$' && p[1] == '{') {
                p += 2;
                char name[kMaxVariableName + 1];
                int n = 0;
                for (; *p && *p != '}'; ++p)
                    if (n < kMaxVariableName)
                        name[n++] = *p;
                name[n] = '\0';
                if (*p == '}')
                    ++p;
                char value[kVariableValueSize];
                getVariable(value, kVariableValueSize, name);
                for (const char* v = value; *v && out < last; ++v)
                    output[out++] = *v;
            } else {
                output[out++] = *p++;
            }
        }
    }
    output[out] = '\0';
}

}  // namespace kx
