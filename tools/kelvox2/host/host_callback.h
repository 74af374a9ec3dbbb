// The host callback every plug-in this tool creates is given, and the
// answers the tool's hosts share. Each host is a HostAnswers: a policy for
// what the callback answers. PluginHost is the plain one (answers from
// settings, records edits), the validate battery's Instance the
// strict-checking one (checks every call), and quietHostCallback the quiet
// one (an in-process instrument without a host: names and rates only).
//
// The callback finds its HostAnswers through the effect's user field, and
// while an entry point runs or an effect closes (when the record may not be
// known or no longer be trusted) through the one being served on this
// thread. Safe from any thread.
#pragma once

#include "plugin/vst_abi.h"

namespace kx {

class HostAnswers {
public:
    virtual VstIntPtr answer(VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr, float opt) = 0;

protected:
    ~HostAnswers() = default;
};

// Runs a VST 2.4 entry point with the host callback; calls it makes before
// it returns go to `answers`. The record as it came back (maybe null or
// unusable: the caller checks it, then attaches it).
AEffect* runEntry(VstPluginMainProc entry, HostAnswers& answers);
// From now on the effect's calls go to `answers`.
void attachEffect(AEffect* effect, HostAnswers& answers);
// effClose, its calls going to `answers`; the record is gone afterwards.
void closeEffect(AEffect* effect, HostAnswers& answers);

// What a host says about itself.
struct HostIdentity {
    VstInt32 version = kVstVersion;  // audioMasterVersion; 0 plays a VST 1 host
    const char* vendor = "";         // empty: the request writes nothing and answers 0
    const char* product = "";
    VstInt32 vendorVersion = 0;
    const char* const* canDo = nullptr;  // what canDo answers 1 for, ending with null
};

// The answer to a request about the host itself (version, names, language,
// canDo) into `result`; false for any other request.
bool answerAboutHost(const HostIdentity& host, VstInt32 opcode, void* ptr, VstIntPtr& result);

// The quiet policy, for an instrument created in this process with no
// other host: the version, 44.1 kHz, blocks of 1024 and its names.
VstIntPtr quietHostCallback(AEffect* effect, VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr, float opt);

}  // namespace kx
