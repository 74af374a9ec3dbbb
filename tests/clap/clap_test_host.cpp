#include "clap/clap_test_host.h"

#if defined(_WIN32)
#include <windows.h>
#else
#include <dlfcn.h>
#endif

#include <algorithm>
#include <cstring>

namespace kx::testing {

namespace {

ClapTestHost* hostOf(const clap_host* host) { return static_cast<ClapTestHost*>(host->host_data); }

const clap_host_params kParams = {
    [](const clap_host* h, uint32_t) { ++hostOf(h)->rescans; },
    [](const clap_host*, clap_id, uint32_t) {},
    [](const clap_host* h) { ++hostOf(h)->flushRequests; },
};

const clap_host_timer_support kTimers = {
    [](const clap_host* h, uint32_t, clap_id* id) {
        static clap_id next = 1;
        *id = next++;
        hostOf(h)->timers.push_back(*id);
        return true;
    },
    [](const clap_host* h, clap_id id) {
        auto& t = hostOf(h)->timers;
        auto it = std::find(t.begin(), t.end(), id);
        if (it == t.end())
            return false;
        t.erase(it);
        return true;
    },
};

const clap_host_posix_fd_support kFds = {
    [](const clap_host* h, int fd, uint32_t) {
        hostOf(h)->fds.push_back(fd);
        return true;
    },
    [](const clap_host*, int, uint32_t) { return true; },
    [](const clap_host* h, int fd) {
        auto& f = hostOf(h)->fds;
        auto it = std::find(f.begin(), f.end(), fd);
        if (it == f.end())
            return false;
        f.erase(it);
        return true;
    },
};

const clap_host_preset_load kPresetLoad = {
    [](const clap_host* h, uint32_t, const char*, const char*, int32_t, const char* message) {
        hostOf(h)->presetErrors.push_back(message ? message : "");
    },
    [](const clap_host* h, uint32_t, const char*, const char* key) {
        hostOf(h)->presetsLoaded.push_back(key ? key : "");
    },
};

struct Stream {
    std::vector<uint8_t>* bytes;
    size_t chunk;
    size_t position;
};

}  // namespace

ClapTestHost::ClapTestHost() {
    host_.version = CLAP_VERSION;
    host_.host_data = this;
    host_.name = "kelvox2 tests";
    host_.vendor = "";
    host_.url = "";
    host_.host_version = "1.0";
    host_.get_extension = [](const clap_host* h, const char* id) -> const void* {
        if (std::strcmp(id, CLAP_EXT_PARAMS) == 0)
            return &kParams;
        if (std::strcmp(id, CLAP_EXT_TIMER_SUPPORT) == 0)
            return hostOf(h)->offerTimers ? &kTimers : nullptr;
        if (std::strcmp(id, CLAP_EXT_POSIX_FD_SUPPORT) == 0)
            return &kFds;
        if (std::strcmp(id, CLAP_EXT_PRESET_LOAD) == 0)
            return &kPresetLoad;
        return nullptr;
    };
    host_.request_restart = [](const clap_host*) {};
    host_.request_process = [](const clap_host*) {};
    host_.request_callback = [](const clap_host*) {};
}

ClapTestHost::~ClapTestHost() { release(); }

void ClapTestHost::release() {
    if (plugin_) {
        deactivate();
        plugin_->destroy(plugin_);
        plugin_ = nullptr;
    }
    if (entry_) {
        entry_->deinit();
        entry_ = nullptr;
    }
    if (module_) {
#if defined(_WIN32)
        FreeLibrary(static_cast<HMODULE>(module_));
#else
        dlclose(module_);
#endif
        module_ = nullptr;
    }
}

bool ClapTestHost::load(const std::string& path, const char* id, std::string* error) {
#if defined(_WIN32)
    // Linux paths, which wine resolves once the separators are Windows'.
    std::string windowsPath = path;
    std::replace(windowsPath.begin(), windowsPath.end(), '/', '\\');
    module_ = LoadLibraryA(windowsPath.c_str());
    if (!module_) {
        *error = "LoadLibraryA failed for " + windowsPath;
        return false;
    }
    const auto* entry = reinterpret_cast<const clap_plugin_entry*>(
        reinterpret_cast<void*>(GetProcAddress(static_cast<HMODULE>(module_), "clap_entry")));
#else
    module_ = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!module_) {
        *error = dlerror();
        return false;
    }
    const auto* entry = static_cast<const clap_plugin_entry*>(dlsym(module_, "clap_entry"));
#endif
    if (!entry || entry->version.major < 1 || !entry->init(path.c_str())) {
        *error = "no usable clap_entry";
        return false;
    }
    entry_ = entry;
    factory_ = static_cast<const clap_plugin_factory*>(entry_->get_factory(CLAP_PLUGIN_FACTORY_ID));
    if (!factory_) {
        *error = "no plug-in factory";
        return false;
    }
    plugin_ = factory_->create_plugin(factory_, &host_, id);
    if (!plugin_ || !plugin_->init(plugin_)) {
        *error = "the plug-in was not created";
        return false;
    }
    return true;
}

bool ClapTestHost::activate(double rate, uint32_t maxFrames) {
    if (!plugin_->activate(plugin_, rate, 1, maxFrames))
        return false;
    active_ = true;
    processing_ = plugin_->start_processing(plugin_);
    return processing_;
}

void ClapTestHost::deactivate() {
    if (processing_)
        plugin_->stop_processing(plugin_);
    processing_ = false;
    if (active_)
        plugin_->deactivate(plugin_);
    active_ = false;
}

void ClapTestHost::add(const void* event, uint32_t size) {
    Slot slot{};
    std::memcpy(slot.bytes, event, size);
    events_.push_back(slot);
}

void ClapTestHost::note(uint32_t time, bool on, int key, double velocity, int channel) {
    clap_event_note e{};
    e.header = {sizeof e, time, CLAP_CORE_EVENT_SPACE_ID, on ? CLAP_EVENT_NOTE_ON : CLAP_EVENT_NOTE_OFF, 0};
    e.note_id = -1;
    e.port_index = 0;
    e.channel = static_cast<int16_t>(channel);
    e.key = static_cast<int16_t>(key);
    e.velocity = velocity;
    add(&e, sizeof e);
}

void ClapTestHost::midi(uint32_t time, uint8_t status, uint8_t data1, uint8_t data2) {
    clap_event_midi e{};
    e.header = {sizeof e, time, CLAP_CORE_EVENT_SPACE_ID, CLAP_EVENT_MIDI, 0};
    e.data[0] = status;
    e.data[1] = data1;
    e.data[2] = data2;
    add(&e, sizeof e);
}

void ClapTestHost::param(uint32_t time, clap_id id, double plain) {
    clap_event_param_value e{};
    e.header = {sizeof e, time, CLAP_CORE_EVENT_SPACE_ID, CLAP_EVENT_PARAM_VALUE, 0};
    e.param_id = id;
    e.note_id = -1;
    e.port_index = e.channel = e.key = -1;
    e.value = plain;
    add(&e, sizeof e);
}

namespace {

struct Lists {
    std::vector<const clap_event_header*> in;
    std::vector<std::vector<uint8_t>>* out;
    clap_input_events inList;
    clap_output_events outList;

    Lists(std::vector<const clap_event_header*> events, std::vector<std::vector<uint8_t>>* outEvents)
        : in(std::move(events)), out(outEvents) {
        std::stable_sort(in.begin(), in.end(), [](auto* a, auto* b) { return a->time < b->time; });
        inList.ctx = this;
        inList.size = [](const clap_input_events* l) {
            return static_cast<uint32_t>(static_cast<Lists*>(l->ctx)->in.size());
        };
        inList.get = [](const clap_input_events* l, uint32_t i) -> const clap_event_header* {
            auto& v = static_cast<Lists*>(l->ctx)->in;
            return i < v.size() ? v[i] : nullptr;
        };
        outList.ctx = this;
        outList.try_push = [](const clap_output_events* l, const clap_event_header* e) {
            const auto* bytes = reinterpret_cast<const uint8_t*>(e);
            static_cast<Lists*>(l->ctx)->out->emplace_back(bytes, bytes + e->size);
            return true;
        };
    }
};

}  // namespace

template <typename Sample>
std::vector<Sample> ClapTestHost::run(uint32_t frames, const clap_event_transport* transport) {
    std::vector<const clap_event_header*> pointers;
    for (const Slot& s : events_)
        pointers.push_back(reinterpret_cast<const clap_event_header*>(s.bytes));
    Lists lists(pointers, &outEvents);
    std::vector<Sample> samples(frames, Sample(-7));  // anything unwritten shows
    Sample* channel = samples.data();
    clap_audio_buffer output{};
    if constexpr (sizeof(Sample) == 4)
        output.data32 = reinterpret_cast<float**>(&channel);
    else
        output.data64 = reinterpret_cast<double**>(&channel);
    output.channel_count = 1;
    clap_process p{};
    p.steady_time = steadyTime_;
    p.frames_count = frames;
    p.transport = transport;
    p.audio_outputs = &output;
    p.audio_outputs_count = 1;
    p.in_events = &lists.inList;
    p.out_events = &lists.outList;
    plugin_->process(plugin_, &p);
    steadyTime_ += frames;
    events_.clear();
    return samples;
}

std::vector<float> ClapTestHost::process(uint32_t frames, const clap_event_transport* transport) {
    return run<float>(frames, transport);
}

std::vector<double> ClapTestHost::process64(uint32_t frames, const clap_event_transport* transport) {
    return run<double>(frames, transport);
}

void ClapTestHost::flush() {
    std::vector<const clap_event_header*> pointers;
    for (const Slot& s : events_)
        pointers.push_back(reinterpret_cast<const clap_event_header*>(s.bytes));
    Lists lists(pointers, &outEvents);
    extension<clap_plugin_params>(CLAP_EXT_PARAMS)->flush(plugin_, &lists.inList, &lists.outList);
    events_.clear();
}

std::vector<uint8_t> ClapTestHost::saveState(size_t chunk) {
    std::vector<uint8_t> bytes;
    Stream s{&bytes, chunk, 0};
    clap_ostream stream{&s, [](const clap_ostream* o, const void* data, uint64_t size) -> int64_t {
                            auto* st = static_cast<Stream*>(o->ctx);
                            const size_t n = std::min<uint64_t>(size, st->chunk);
                            const auto* b = static_cast<const uint8_t*>(data);
                            st->bytes->insert(st->bytes->end(), b, b + n);
                            return static_cast<int64_t>(n);
                        }};
    const auto* state = extension<clap_plugin_state>(CLAP_EXT_STATE);
    if (!state || !state->save(plugin_, &stream))
        bytes.clear();
    return bytes;
}

bool ClapTestHost::loadState(const std::vector<uint8_t>& bytes, size_t chunk) {
    std::vector<uint8_t> copy = bytes;
    Stream s{&copy, chunk, 0};
    clap_istream stream{&s, [](const clap_istream* i, void* data, uint64_t size) -> int64_t {
                            auto* st = static_cast<Stream*>(i->ctx);
                            const size_t n = std::min<uint64_t>({size, st->chunk, st->bytes->size() - st->position});
                            if (n > 0)  // an empty state has no bytes to copy from
                                std::memcpy(data, st->bytes->data() + st->position, n);
                            st->position += n;
                            return static_cast<int64_t>(n);
                        }};
    const auto* state = extension<clap_plugin_state>(CLAP_EXT_STATE);
    return state && state->load(plugin_, &stream);
}

}  // namespace kx::testing
