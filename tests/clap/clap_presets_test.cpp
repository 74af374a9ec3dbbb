// The factory sounds as CLAP presets: listed by the discovery factory under
// the names the sound list documents, and loaded with the values the VST
// 2.4 instance gets from the factory bank file.
#include "clap/clap_fixture.h"
#include "kelvox2/host/fx_preset.h"

#include <fstream>

namespace kx::testing {
namespace {

// The names in docs/sounds.md's table, in program order.
std::vector<std::string> documentedNames() {
    std::ifstream in(std::string(KX_SOURCE_DIR) + "/docs/sounds.md");
    std::vector<std::string> names;
    std::string line;
    while (std::getline(in, line)) {
        if (line.size() < 3 || line[0] != '|' || line[2] < '0' || line[2] > '9')
            continue;
        const size_t start = line.find('|', 1) + 2;
        names.push_back(line.substr(start, line.find(" |", start) - start));
    }
    return names;
}

struct Indexed {
    std::vector<clap_preset_discovery_location> locations;
    std::vector<std::string> names, keys, pluginIds;
    std::vector<uint32_t> flags;
};

TEST_F(ClapTest, DiscoveryListsTheTenFactorySoundsInsideThePlugin) {
    const auto* factory =
        static_cast<const clap_preset_discovery_factory*>(clap.entry()->get_factory(CLAP_PRESET_DISCOVERY_FACTORY_ID));
    ASSERT_NE(factory, nullptr);
    EXPECT_EQ(clap.entry()->get_factory(CLAP_PRESET_DISCOVERY_FACTORY_ID_COMPAT), factory);
    ASSERT_EQ(factory->count(factory), 1u);
    EXPECT_EQ(factory->get_descriptor(factory, 1), nullptr);
    const clap_preset_discovery_provider_descriptor* d = factory->get_descriptor(factory, 0);
    ASSERT_NE(d, nullptr);

    Indexed seen;
    clap_preset_discovery_indexer indexer{};
    indexer.interface_version = CLAP_VERSION;
    indexer.name = "tests";
    indexer.indexer_data = &seen;
    indexer.declare_filetype = [](const clap_preset_discovery_indexer*, const clap_preset_discovery_filetype*) {
        return true;
    };
    indexer.declare_location = [](const clap_preset_discovery_indexer* i, const clap_preset_discovery_location* l) {
        static_cast<Indexed*>(i->indexer_data)->locations.push_back(*l);
        return true;
    };
    indexer.declare_soundpack = [](const clap_preset_discovery_indexer*, const clap_preset_discovery_soundpack*) {
        return true;
    };
    indexer.get_extension = [](const clap_preset_discovery_indexer*, const char*) -> const void* { return nullptr; };
    EXPECT_EQ(factory->create(factory, &indexer, "org.example.other"), nullptr);
    const clap_preset_discovery_provider* provider = factory->create(factory, &indexer, d->id);
    ASSERT_NE(provider, nullptr);
    ASSERT_TRUE(provider->init(provider));
    ASSERT_EQ(seen.locations.size(), 1u);
    EXPECT_EQ(seen.locations[0].kind, CLAP_PRESET_DISCOVERY_LOCATION_PLUGIN);
    EXPECT_EQ(seen.locations[0].location, nullptr);
    EXPECT_EQ(seen.locations[0].flags, CLAP_PRESET_DISCOVERY_IS_FACTORY_CONTENT);

    clap_preset_discovery_metadata_receiver receiver{};
    receiver.receiver_data = &seen;
    receiver.begin_preset = [](const clap_preset_discovery_metadata_receiver* r, const char* name, const char* key) {
        static_cast<Indexed*>(r->receiver_data)->names.push_back(name);
        static_cast<Indexed*>(r->receiver_data)->keys.push_back(key);
        return true;
    };
    receiver.add_plugin_id = [](const clap_preset_discovery_metadata_receiver* r, const clap_universal_plugin_id* id) {
        static_cast<Indexed*>(r->receiver_data)->pluginIds.push_back(std::string(id->abi) + ":" + id->id);
    };
    receiver.set_flags = [](const clap_preset_discovery_metadata_receiver* r, uint32_t flags) {
        static_cast<Indexed*>(r->receiver_data)->flags.push_back(flags);
    };
    ASSERT_TRUE(provider->get_metadata(provider, CLAP_PRESET_DISCOVERY_LOCATION_PLUGIN, nullptr, &receiver));
    const std::vector<std::string> names = documentedNames();
    ASSERT_EQ(names.size(), 10u);
    EXPECT_EQ(seen.names, names);
    ASSERT_EQ(seen.keys.size(), 10u);
    for (size_t k = 0; k < seen.keys.size(); ++k)
        EXPECT_EQ(seen.keys[k], std::to_string(k));
    EXPECT_EQ(seen.pluginIds, std::vector<std::string>(10, std::string("clap:") + kClapId));
    EXPECT_EQ(seen.flags, std::vector<uint32_t>(10, CLAP_PRESET_DISCOVERY_IS_FACTORY_CONTENT));
    EXPECT_FALSE(provider->get_metadata(provider, CLAP_PRESET_DISCOVERY_LOCATION_FILE, "/tmp/x.fxb", &receiver));
    provider->destroy(provider);
}

// Program k of the bank file, applied to the VST 2.4 instance as a host
// applies one program, leaves the same bank chunk as CLAP's preset k.
TEST_F(ClapTest, LoadingPresetKGivesTheFactoryBanksProgramK) {
    FxBank bank;
    std::string error;
    ASSERT_TRUE(readFxbFile(KX_FACTORY_BANK, bank, error)) << error;
    ASSERT_EQ(bank.programs.size(), 10u);
    const auto* load = clap.extension<clap_plugin_preset_load>(CLAP_EXT_PRESET_LOAD);
    ASSERT_NE(load, nullptr);
    EXPECT_EQ(clap.extension<clap_plugin_preset_load>(CLAP_EXT_PRESET_LOAD_COMPAT), load);
    loadVst(44100.0, 256);
    ASSERT_EQ(params->count(clap.plugin()), 30u);

    for (int k = 0; k < 10; ++k) {
        SCOPED_TRACE("preset " + std::to_string(k));
        const int rescans = clap.rescans;
        ASSERT_TRUE(load->from_location(clap.plugin(), CLAP_PRESET_DISCOVERY_LOCATION_PLUGIN, nullptr,
                                        std::to_string(k).c_str()));
        EXPECT_GT(clap.rescans, rescans);
        EXPECT_EQ(clap.presetsLoaded.back(), std::to_string(k));

        const FxProgram& program = bank.programs[k];
        ASSERT_EQ(program.params.size(), 30u);
        for (int i = 0; i < 30; ++i)
            vst.setParameter(i, program.params[i]);
        vst.setProgramName(program.name);
        EXPECT_EQ(clap.saveState(4096), vst.getChunk(false));
        for (uint32_t i = 0; i < 30; ++i) {
            clap_param_info info;
            ASSERT_TRUE(params->get_info(clap.plugin(), i, &info));
            EXPECT_EQ(text(info.id, value(info.id)), vstText(static_cast<int>(i))) << info.name;
        }
    }
}

TEST_F(ClapTest, UnknownPresetsAreRefusedAndReported) {
    const auto* load = clap.extension<clap_plugin_preset_load>(CLAP_EXT_PRESET_LOAD);
    ASSERT_NE(load, nullptr);
    const std::vector<uint8_t> before = clap.saveState(4096);
    for (const char* key : {"10", "-1", "1x", "", "99999999999999999999"})
        EXPECT_FALSE(load->from_location(clap.plugin(), CLAP_PRESET_DISCOVERY_LOCATION_PLUGIN, nullptr, key)) << key;
    EXPECT_FALSE(load->from_location(clap.plugin(), CLAP_PRESET_DISCOVERY_LOCATION_PLUGIN, nullptr, nullptr));
    EXPECT_FALSE(load->from_location(clap.plugin(), CLAP_PRESET_DISCOVERY_LOCATION_FILE, "/no/such.fxb", "0"));
    EXPECT_EQ(clap.presetErrors.size(), 7u);
    EXPECT_TRUE(clap.presetsLoaded.empty());
    EXPECT_EQ(clap.saveState(4096), before);
}

}  // namespace
}  // namespace kx::testing
