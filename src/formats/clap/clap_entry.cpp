// The library's CLAP entry point: the factory with its one descriptor, the
// preset discovery factory, and the plug-in object's function table over
// ClapInstance.
#include "formats/clap/clap_abi.h"
#include "formats/clap/clap_extensions.h"
#include "formats/clap/clap_instance.h"
#include "formats/clap/clap_presets.h"

#include <cstring>
#include <memory>
#include <new>

#if defined(_WIN32)
#define KX_EXPORT __declspec(dllexport)
#else
#define KX_EXPORT __attribute__((visibility("default")))
#endif

namespace kx::clap {

namespace {

const char* const kFeatures[] = {"instrument", "synthesizer", "mono", nullptr};

// Projects store the id: it never changes.
const clap_plugin_descriptor kDescriptor = {
    CLAP_VERSION,
    "org.kelvox2.kelvox2",
    "Kelvox2",
    "Tamlow",
    "",
    "",
    "",
    KX_CLAP_VERSION,
    "Monophonic three-oscillator synthesizer",
    kFeatures,
};

ClapInstance* self(const clap_plugin* plugin) { return ClapInstance::from(plugin); }

// Exceptions never cross into the host.
template <typename F>
auto guarded(F f, decltype(f()) failure) noexcept -> decltype(f()) {
    try {
        return f();
    } catch (...) {
        return failure;
    }
}

// Every instance's table; each copy gets its own plugin_data.
const clap_plugin kFunctions = {
    &kDescriptor,
    nullptr,
    [](const clap_plugin* plugin) { return guarded([&] { return self(plugin)->init(); }, false); },
    [](const clap_plugin* plugin) { delete self(plugin); },
    [](const clap_plugin* plugin, double rate, uint32_t, uint32_t maxFrames) {
        return guarded([&] { return self(plugin)->activate(rate, maxFrames); }, false);
    },
    [](const clap_plugin* plugin) { self(plugin)->deactivate(); },
    [](const clap_plugin* plugin) { return self(plugin)->startProcessing(); },
    [](const clap_plugin* plugin) { self(plugin)->stopProcessing(); },
    [](const clap_plugin* plugin) { self(plugin)->reset(); },
    [](const clap_plugin* plugin, const clap_process* process) { return self(plugin)->process(process); },
    [](const clap_plugin*, const char* id) { return findExtension(id); },
    [](const clap_plugin*) {},
};

uint32_t pluginCount(const clap_plugin_factory*) { return 1; }

const clap_plugin_descriptor* pluginDescriptor(const clap_plugin_factory*, uint32_t index) {
    return index == 0 ? &kDescriptor : nullptr;
}

const clap_plugin* createPlugin(const clap_plugin_factory*, const clap_host* host, const char* id) {
    if (!host || host->version.major < 1 || !id || std::strcmp(id, kDescriptor.id) != 0)
        return nullptr;
    auto instance = std::unique_ptr<ClapInstance>(new (std::nothrow) ClapInstance(host, kFunctions));
    if (!instance || !guarded([&] { return instance->create(); }, false))
        return nullptr;
    return instance.release()->plugin();
}

const clap_plugin_factory kFactory = {pluginCount, pluginDescriptor, createPlugin};

// Nothing to set up or tear down: the effect builds what it shares when an
// instance first needs it, so repeated calls are harmless.
bool entryInit(const char*) { return true; }
void entryDeinit() {}

const void* getFactory(const char* id) {
    if (!id)
        return nullptr;
    if (std::strcmp(id, CLAP_PLUGIN_FACTORY_ID) == 0)
        return &kFactory;
    if (std::strcmp(id, CLAP_PRESET_DISCOVERY_FACTORY_ID) == 0 ||
        std::strcmp(id, CLAP_PRESET_DISCOVERY_FACTORY_ID_COMPAT) == 0)
        return &kPresetDiscoveryFactory;
    return nullptr;
}

}  // namespace

}  // namespace kx::clap

extern "C" KX_EXPORT const clap_plugin_entry clap_entry = {CLAP_VERSION, kx::clap::entryInit, kx::clap::entryDeinit,
                                                           kx::clap::getFactory};
