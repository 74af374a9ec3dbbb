// The CLAP 1.2 preset interfaces: loading a preset by location and the
// preset discovery factory through which a host indexes them. Same rules as
// clap_abi.h: plain C records, conventional spellings, layouts asserted.
#pragma once

#include "formats/clap/clap_abi.h"

extern "C" {

inline constexpr const char* CLAP_EXT_PRESET_LOAD = "clap.preset-load/2";
inline constexpr const char* CLAP_EXT_PRESET_LOAD_COMPAT = "clap.preset-load.draft/2";
inline constexpr const char* CLAP_PRESET_DISCOVERY_FACTORY_ID = "clap.preset-discovery-factory/2";
inline constexpr const char* CLAP_PRESET_DISCOVERY_FACTORY_ID_COMPAT = "clap.preset-discovery-factory/draft-2";

inline constexpr uint32_t CLAP_PRESET_DISCOVERY_LOCATION_FILE = 0;
inline constexpr uint32_t CLAP_PRESET_DISCOVERY_LOCATION_PLUGIN = 1;
inline constexpr uint32_t CLAP_PRESET_DISCOVERY_IS_FACTORY_CONTENT = 1u << 0;

struct clap_plugin_preset_load {
    bool(CLAP_ABI* from_location)(const clap_plugin* plugin, uint32_t location_kind, const char* location,
                                  const char* load_key);
};

struct clap_host_preset_load {
    void(CLAP_ABI* on_error)(const clap_host* host, uint32_t location_kind, const char* location, const char* load_key,
                             int32_t os_error, const char* msg);
    void(CLAP_ABI* loaded)(const clap_host* host, uint32_t location_kind, const char* location, const char* load_key);
};

struct clap_universal_plugin_id {
    const char* abi;  // "clap"
    const char* id;
};

struct clap_preset_discovery_metadata_receiver {
    void* receiver_data;
    void(CLAP_ABI* on_error)(const clap_preset_discovery_metadata_receiver* receiver, int32_t os_error,
                             const char* error_message);
    bool(CLAP_ABI* begin_preset)(const clap_preset_discovery_metadata_receiver* receiver, const char* name,
                                 const char* load_key);
    void(CLAP_ABI* add_plugin_id)(const clap_preset_discovery_metadata_receiver* receiver,
                                  const clap_universal_plugin_id* plugin_id);
    void(CLAP_ABI* set_soundpack_id)(const clap_preset_discovery_metadata_receiver* receiver, const char* soundpack_id);
    void(CLAP_ABI* set_flags)(const clap_preset_discovery_metadata_receiver* receiver, uint32_t flags);
    void(CLAP_ABI* add_creator)(const clap_preset_discovery_metadata_receiver* receiver, const char* creator);
    void(CLAP_ABI* set_description)(const clap_preset_discovery_metadata_receiver* receiver, const char* description);
    void(CLAP_ABI* set_timestamps)(const clap_preset_discovery_metadata_receiver* receiver, uint64_t creation_time,
                                   uint64_t modification_time);
    void(CLAP_ABI* add_feature)(const clap_preset_discovery_metadata_receiver* receiver, const char* feature);
    void(CLAP_ABI* add_extra_info)(const clap_preset_discovery_metadata_receiver* receiver, const char* key,
                                   const char* value);
};

struct clap_preset_discovery_filetype {
    const char* name;
    const char* description;
    const char* file_extension;  // without the dot; empty: any file
};

struct clap_preset_discovery_location {
    uint32_t flags;
    const char* name;
    uint32_t kind;
    const char* location;  // null for LOCATION_PLUGIN
};

struct clap_preset_discovery_soundpack {
    uint32_t flags;
    const char* id;
    const char* name;
    const char* description;
    const char* homepage_url;
    const char* vendor;
    const char* image_path;
    uint64_t release_timestamp;
};

struct clap_preset_discovery_provider_descriptor {
    clap_version version;
    const char* id;
    const char* name;
    const char* vendor;
};

struct clap_preset_discovery_provider {
    const clap_preset_discovery_provider_descriptor* desc;
    void* provider_data;
    bool(CLAP_ABI* init)(const clap_preset_discovery_provider* provider);
    void(CLAP_ABI* destroy)(const clap_preset_discovery_provider* provider);
    bool(CLAP_ABI* get_metadata)(const clap_preset_discovery_provider* provider, uint32_t location_kind,
                                 const char* location, const clap_preset_discovery_metadata_receiver* receiver);
    const void*(CLAP_ABI* get_extension)(const clap_preset_discovery_provider* provider, const char* id);
};

struct clap_preset_discovery_indexer {
    clap_version interface_version;
    const char* name;
    const char* vendor;
    const char* url;
    const char* version;
    void* indexer_data;
    bool(CLAP_ABI* declare_filetype)(const clap_preset_discovery_indexer* indexer,
                                     const clap_preset_discovery_filetype* filetype);
    bool(CLAP_ABI* declare_location)(const clap_preset_discovery_indexer* indexer,
                                     const clap_preset_discovery_location* location);
    bool(CLAP_ABI* declare_soundpack)(const clap_preset_discovery_indexer* indexer,
                                      const clap_preset_discovery_soundpack* soundpack);
    const void*(CLAP_ABI* get_extension)(const clap_preset_discovery_indexer* indexer, const char* id);
};

struct clap_preset_discovery_factory {
    uint32_t(CLAP_ABI* count)(const clap_preset_discovery_factory* factory);
    const clap_preset_discovery_provider_descriptor*(CLAP_ABI* get_descriptor)(
        const clap_preset_discovery_factory* factory, uint32_t index);
    const clap_preset_discovery_provider*(CLAP_ABI* create)(const clap_preset_discovery_factory* factory,
                                                            const clap_preset_discovery_indexer* indexer,
                                                            const char* provider_id);
};

}  // extern "C"

#define KX_CLAP_ASSERT(cond) static_assert(cond, #cond)
KX_CLAP_ASSERT(sizeof(clap_plugin_preset_load) == 8 && sizeof(clap_host_preset_load) == 16);
KX_CLAP_ASSERT(sizeof(clap_universal_plugin_id) == 16);
KX_CLAP_ASSERT(sizeof(clap_preset_discovery_metadata_receiver) == 88);
KX_CLAP_ASSERT(sizeof(clap_preset_discovery_filetype) == 24);
KX_CLAP_ASSERT(sizeof(clap_preset_discovery_location) == 32 && offsetof(clap_preset_discovery_location, kind) == 16);
KX_CLAP_ASSERT(sizeof(clap_preset_discovery_soundpack) == 64);
KX_CLAP_ASSERT(sizeof(clap_preset_discovery_provider_descriptor) == 40);
KX_CLAP_ASSERT(sizeof(clap_preset_discovery_provider) == 48);
KX_CLAP_ASSERT(sizeof(clap_preset_discovery_indexer) == 88 &&
               offsetof(clap_preset_discovery_indexer, declare_filetype) == 56);
KX_CLAP_ASSERT(sizeof(clap_preset_discovery_factory) == 24);
#undef KX_CLAP_ASSERT
