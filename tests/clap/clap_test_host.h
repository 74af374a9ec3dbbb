// A small CLAP host for the tests: loads a .clap file, creates one plug-in,
// hands it timed events and collects its output events, and offers the
// host-side tables a GUI needs (timers and descriptors it only records; the
// test ticks them). Single-threaded: one thread plays main and audio.
#pragma once

#include "formats/clap/clap_abi.h"
#include "formats/clap/clap_preset_abi.h"

#include <cstdint>
#include <string>
#include <vector>

namespace kx::testing {

class ClapTestHost {
public:
    ClapTestHost();
    ~ClapTestHost();
    ClapTestHost(const ClapTestHost&) = delete;
    ClapTestHost& operator=(const ClapTestHost&) = delete;

    // Loads the file, initialises its entry and creates and initialises the
    // plug-in with that id. False with a message in `error`.
    bool load(const std::string& path, const char* id, std::string* error);
    const clap_plugin_entry* entry() const { return entry_; }
    const clap_plugin_factory* factory() const { return factory_; }
    const clap_plugin* plugin() const { return plugin_; }
    template <typename Table>
    const Table* extension(const char* id) const {
        return plugin_ ? static_cast<const Table*>(plugin_->get_extension(plugin_, id)) : nullptr;
    }

    bool activate(double rate, uint32_t maxFrames);
    void deactivate();

    // Events for the next process or flush, at their frame.
    void note(uint32_t time, bool on, int key, double velocity, int channel = 0);
    void midi(uint32_t time, uint8_t status, uint8_t data1, uint8_t data2);
    void param(uint32_t time, clap_id id, double plain);
    // Any event record of at most 64 bytes, copied.
    void event(const void* record, uint32_t size) { add(record, size); }
    // One block; the events given since the last call, sorted by time.
    // Samples of the one output channel, 32-bit or 64-bit.
    std::vector<float> process(uint32_t frames, const clap_event_transport* transport = nullptr);
    std::vector<double> process64(uint32_t frames, const clap_event_transport* transport = nullptr);
    void flush();
    // The events the plug-in pushed (each a copy of its bytes), oldest first.
    std::vector<std::vector<uint8_t>> outEvents;

    // clap.state through streams moving at most `chunk` bytes per call.
    std::vector<uint8_t> saveState(size_t chunk);
    bool loadState(const std::vector<uint8_t>& bytes, size_t chunk);

    // What the plug-in asked of the host.
    int flushRequests = 0;
    int rescans = 0;
    std::vector<clap_id> timers;  // registered, not yet unregistered
    std::vector<int> fds;
    std::vector<std::string> presetsLoaded;  // load keys the plug-in said it loaded
    std::vector<std::string> presetErrors;
    bool offerTimers = true;

private:
    struct Slot {
        alignas(8) unsigned char bytes[64];
    };
    template <typename Sample>
    std::vector<Sample> run(uint32_t frames, const clap_event_transport* transport);
    void add(const void* event, uint32_t size);
    void release();

    clap_host host_{};
    void* module_ = nullptr;
    const clap_plugin_entry* entry_ = nullptr;
    const clap_plugin_factory* factory_ = nullptr;
    const clap_plugin* plugin_ = nullptr;
    bool active_ = false;
    bool processing_ = false;
    int64_t steadyTime_ = 0;
    std::vector<Slot> events_;
};

}  // namespace kx::testing
