// The CLAP 1.2 binary interface, declared from its published facts: the
// plain C records, function tables, ids and constants this plug-in and its
// test host use, with the conventional spellings. Depends on nothing else.
// Only 64-bit layouts (LP64 and LLP64) are covered; the asserts below hold
// on both.
#pragma once

#include <stddef.h>
#include <stdint.h>

#if defined(_WIN32)
#define CLAP_ABI __cdecl
#else
#define CLAP_ABI
#endif

extern "C" {

typedef uint32_t clap_id;
typedef int64_t clap_beattime;
typedef int64_t clap_sectime;

inline constexpr clap_id CLAP_INVALID_ID = UINT32_MAX;
inline constexpr double CLAP_BEATTIME_FACTOR = 2147483648.0;
inline constexpr double CLAP_SECTIME_FACTOR = 2147483648.0;
inline constexpr int CLAP_NAME_SIZE = 256;
inline constexpr int CLAP_PATH_SIZE = 1024;

struct clap_version {
    uint32_t major;
    uint32_t minor;
    uint32_t revision;
};
inline constexpr clap_version CLAP_VERSION = {1, 2, 10};

struct clap_host;
struct clap_plugin;
struct clap_process;

// ---- Entry, factory, descriptor ---------------------------------------------
struct clap_plugin_entry {
    clap_version version;
    bool(CLAP_ABI* init)(const char* plugin_path);
    void(CLAP_ABI* deinit)();
    const void*(CLAP_ABI* get_factory)(const char* factory_id);
};

inline constexpr const char* CLAP_PLUGIN_FACTORY_ID = "clap.plugin-factory";

struct clap_plugin_descriptor {
    clap_version version;
    const char* id;
    const char* name;
    const char* vendor;
    const char* url;
    const char* manual_url;
    const char* support_url;
    const char* plugin_version;  // "version" in the interface's own spelling
    const char* description;
    const char* const* features;
};

struct clap_plugin_factory {
    uint32_t(CLAP_ABI* get_plugin_count)(const clap_plugin_factory* factory);
    const clap_plugin_descriptor*(CLAP_ABI* get_plugin_descriptor)(const clap_plugin_factory* factory, uint32_t index);
    const clap_plugin*(CLAP_ABI* create_plugin)(const clap_plugin_factory* factory, const clap_host* host,
                                                const char* plugin_id);
};

// ---- Plug-in and host ---------------------------------------------------------
struct clap_plugin {
    const clap_plugin_descriptor* desc;
    void* plugin_data;
    bool(CLAP_ABI* init)(const clap_plugin* plugin);
    void(CLAP_ABI* destroy)(const clap_plugin* plugin);
    bool(CLAP_ABI* activate)(const clap_plugin* plugin, double sample_rate, uint32_t min_frames_count,
                             uint32_t max_frames_count);
    void(CLAP_ABI* deactivate)(const clap_plugin* plugin);
    bool(CLAP_ABI* start_processing)(const clap_plugin* plugin);
    void(CLAP_ABI* stop_processing)(const clap_plugin* plugin);
    void(CLAP_ABI* reset)(const clap_plugin* plugin);
    int32_t(CLAP_ABI* process)(const clap_plugin* plugin, const clap_process* process);
    const void*(CLAP_ABI* get_extension)(const clap_plugin* plugin, const char* id);
    void(CLAP_ABI* on_main_thread)(const clap_plugin* plugin);
};

struct clap_host {
    clap_version version;
    void* host_data;
    const char* name;
    const char* vendor;
    const char* url;
    const char* host_version;  // "version" in the interface's own spelling
    const void*(CLAP_ABI* get_extension)(const clap_host* host, const char* extension_id);
    void(CLAP_ABI* request_restart)(const clap_host* host);
    void(CLAP_ABI* request_process)(const clap_host* host);
    void(CLAP_ABI* request_callback)(const clap_host* host);
};

// ---- Events -------------------------------------------------------------------
struct clap_event_header {
    uint32_t size;
    uint32_t time;
    uint16_t space_id;
    uint16_t type;
    uint32_t flags;
};

enum : uint16_t { CLAP_CORE_EVENT_SPACE_ID = 0 };
enum : uint32_t { CLAP_EVENT_IS_LIVE = 1, CLAP_EVENT_DONT_RECORD = 2 };
enum : uint16_t {
    CLAP_EVENT_NOTE_ON = 0,
    CLAP_EVENT_NOTE_OFF = 1,
    CLAP_EVENT_NOTE_CHOKE = 2,
    CLAP_EVENT_NOTE_END = 3,
    CLAP_EVENT_NOTE_EXPRESSION = 4,
    CLAP_EVENT_PARAM_VALUE = 5,
    CLAP_EVENT_PARAM_MOD = 6,
    CLAP_EVENT_PARAM_GESTURE_BEGIN = 7,
    CLAP_EVENT_PARAM_GESTURE_END = 8,
    CLAP_EVENT_TRANSPORT = 9,
    CLAP_EVENT_MIDI = 10,
    CLAP_EVENT_MIDI_SYSEX = 11,
    CLAP_EVENT_MIDI2 = 12,
};

struct clap_event_note {
    clap_event_header header;
    int32_t note_id;
    int16_t port_index;
    int16_t channel;
    int16_t key;
    double velocity;
};

struct clap_event_param_value {
    clap_event_header header;
    clap_id param_id;
    void* cookie;
    int32_t note_id;
    int16_t port_index;
    int16_t channel;
    int16_t key;
    double value;
};

struct clap_event_param_gesture {
    clap_event_header header;
    clap_id param_id;
};

enum : uint32_t {
    CLAP_TRANSPORT_HAS_TEMPO = 1,
    CLAP_TRANSPORT_HAS_BEATS_TIMELINE = 2,
    CLAP_TRANSPORT_HAS_SECONDS_TIMELINE = 4,
    CLAP_TRANSPORT_HAS_TIME_SIGNATURE = 8,
    CLAP_TRANSPORT_IS_PLAYING = 16,
    CLAP_TRANSPORT_IS_RECORDING = 32,
    CLAP_TRANSPORT_IS_LOOP_ACTIVE = 64,
    CLAP_TRANSPORT_IS_WITHIN_PRE_ROLL = 128,
};

struct clap_event_transport {
    clap_event_header header;
    uint32_t flags;
    clap_beattime song_pos_beats;
    clap_sectime song_pos_seconds;
    double tempo;
    double tempo_inc;
    clap_beattime loop_start_beats;
    clap_beattime loop_end_beats;
    clap_sectime loop_start_seconds;
    clap_sectime loop_end_seconds;
    clap_beattime bar_start;
    int32_t bar_number;
    uint16_t tsig_num;
    uint16_t tsig_denom;
};

struct clap_event_midi {
    clap_event_header header;
    uint16_t port_index;
    uint8_t data[3];
};

struct clap_input_events {
    void* ctx;
    uint32_t(CLAP_ABI* size)(const clap_input_events* list);
    const clap_event_header*(CLAP_ABI* get)(const clap_input_events* list, uint32_t index);
};

struct clap_output_events {
    void* ctx;
    bool(CLAP_ABI* try_push)(const clap_output_events* list, const clap_event_header* event);
};

// ---- Processing -------------------------------------------------------------
struct clap_audio_buffer {
    float** data32;
    double** data64;
    uint32_t channel_count;
    uint32_t latency;
    uint64_t constant_mask;
};

struct clap_process {
    int64_t steady_time;
    uint32_t frames_count;
    const clap_event_transport* transport;
    const clap_audio_buffer* audio_inputs;
    clap_audio_buffer* audio_outputs;
    uint32_t audio_inputs_count;
    uint32_t audio_outputs_count;
    const clap_input_events* in_events;
    const clap_output_events* out_events;
};

enum : int32_t {
    CLAP_PROCESS_ERROR = 0,
    CLAP_PROCESS_CONTINUE = 1,
    CLAP_PROCESS_CONTINUE_IF_NOT_QUIET = 2,
    CLAP_PROCESS_TAIL = 3,
    CLAP_PROCESS_SLEEP = 4,
};

// ---- Extensions -----------------------------------------------------------------
inline constexpr const char* CLAP_EXT_AUDIO_PORTS = "clap.audio-ports";
inline constexpr const char* CLAP_EXT_NOTE_PORTS = "clap.note-ports";
inline constexpr const char* CLAP_EXT_PARAMS = "clap.params";
inline constexpr const char* CLAP_EXT_STATE = "clap.state";
inline constexpr const char* CLAP_EXT_GUI = "clap.gui";
inline constexpr const char* CLAP_EXT_TIMER_SUPPORT = "clap.timer-support";
inline constexpr const char* CLAP_EXT_POSIX_FD_SUPPORT = "clap.posix-fd-support";
inline constexpr const char* CLAP_EXT_LATENCY = "clap.latency";
inline constexpr const char* CLAP_EXT_TAIL = "clap.tail";
inline constexpr const char* CLAP_EXT_RENDER = "clap.render";
inline constexpr const char* CLAP_EXT_LOG = "clap.log";
inline constexpr const char* CLAP_EXT_THREAD_CHECK = "clap.thread-check";
inline constexpr const char* CLAP_EXT_VOICE_INFO = "clap.voice-info";

// Audio ports.
enum : uint32_t {
    CLAP_AUDIO_PORT_IS_MAIN = 1,
    CLAP_AUDIO_PORT_SUPPORTS_64BITS = 2,
    CLAP_AUDIO_PORT_PREFERS_64BITS = 4,
    CLAP_AUDIO_PORT_REQUIRES_COMMON_SAMPLE_SIZE = 8,
};
inline constexpr const char* CLAP_PORT_MONO = "mono";

struct clap_audio_port_info {
    clap_id id;
    char name[CLAP_NAME_SIZE];
    uint32_t flags;
    uint32_t channel_count;
    const char* port_type;
    clap_id in_place_pair;
};

struct clap_plugin_audio_ports {
    uint32_t(CLAP_ABI* count)(const clap_plugin* plugin, bool is_input);
    bool(CLAP_ABI* get)(const clap_plugin* plugin, uint32_t index, bool is_input, clap_audio_port_info* info);
};

// Note ports.
enum : uint32_t {
    CLAP_NOTE_DIALECT_CLAP = 1,
    CLAP_NOTE_DIALECT_MIDI = 2,
    CLAP_NOTE_DIALECT_MIDI_MPE = 4,
    CLAP_NOTE_DIALECT_MIDI2 = 8,
};

struct clap_note_port_info {
    clap_id id;
    uint32_t supported_dialects;
    uint32_t preferred_dialect;
    char name[CLAP_NAME_SIZE];
};

struct clap_plugin_note_ports {
    uint32_t(CLAP_ABI* count)(const clap_plugin* plugin, bool is_input);
    bool(CLAP_ABI* get)(const clap_plugin* plugin, uint32_t index, bool is_input, clap_note_port_info* info);
};

// Parameters.
enum : uint32_t {
    CLAP_PARAM_IS_STEPPED = 1,
    CLAP_PARAM_IS_PERIODIC = 2,
    CLAP_PARAM_IS_HIDDEN = 4,
    CLAP_PARAM_IS_READONLY = 8,
    CLAP_PARAM_IS_BYPASS = 16,
    CLAP_PARAM_IS_AUTOMATABLE = 32,
    CLAP_PARAM_IS_MODULATABLE = 1024,
    CLAP_PARAM_REQUIRES_PROCESS = 32768,
    CLAP_PARAM_IS_ENUM = 65536,
};
enum : uint32_t {
    CLAP_PARAM_RESCAN_VALUES = 1,
    CLAP_PARAM_RESCAN_TEXT = 2,
    CLAP_PARAM_RESCAN_INFO = 4,
    CLAP_PARAM_RESCAN_ALL = 8,
};

struct clap_param_info {
    clap_id id;
    uint32_t flags;
    void* cookie;
    char name[CLAP_NAME_SIZE];
    char module[CLAP_PATH_SIZE];
    double min_value;
    double max_value;
    double default_value;
};

struct clap_plugin_params {
    uint32_t(CLAP_ABI* count)(const clap_plugin* plugin);
    bool(CLAP_ABI* get_info)(const clap_plugin* plugin, uint32_t param_index, clap_param_info* param_info);
    bool(CLAP_ABI* get_value)(const clap_plugin* plugin, clap_id param_id, double* out_value);
    bool(CLAP_ABI* value_to_text)(const clap_plugin* plugin, clap_id param_id, double value, char* out_buffer,
                                  uint32_t out_buffer_capacity);
    bool(CLAP_ABI* text_to_value)(const clap_plugin* plugin, clap_id param_id, const char* param_value_text,
                                  double* out_value);
    void(CLAP_ABI* flush)(const clap_plugin* plugin, const clap_input_events* in, const clap_output_events* out);
};

struct clap_host_params {
    void(CLAP_ABI* rescan)(const clap_host* host, uint32_t flags);
    void(CLAP_ABI* clear)(const clap_host* host, clap_id param_id, uint32_t flags);
    void(CLAP_ABI* request_flush)(const clap_host* host);
};

// State.
struct clap_istream {
    void* ctx;
    int64_t(CLAP_ABI* read)(const clap_istream* stream, void* buffer, uint64_t size);
};

struct clap_ostream {
    void* ctx;
    int64_t(CLAP_ABI* write)(const clap_ostream* stream, const void* buffer, uint64_t size);
};

struct clap_plugin_state {
    bool(CLAP_ABI* save)(const clap_plugin* plugin, const clap_ostream* stream);
    bool(CLAP_ABI* load)(const clap_plugin* plugin, const clap_istream* stream);
};

struct clap_host_state {
    void(CLAP_ABI* mark_dirty)(const clap_host* host);
};

// GUI.
inline constexpr const char* CLAP_WINDOW_API_X11 = "x11";
inline constexpr const char* CLAP_WINDOW_API_WIN32 = "win32";

struct clap_window {
    const char* api;
    union {
        void* cocoa;
        void* uikit;
        unsigned long x11;
        void* win32;
        void* ptr;
    };
};

struct clap_gui_resize_hints {
    bool can_resize_horizontally;
    bool can_resize_vertically;
    bool preserve_aspect_ratio;
    uint32_t aspect_ratio_width;
    uint32_t aspect_ratio_height;
};

struct clap_plugin_gui {
    bool(CLAP_ABI* is_api_supported)(const clap_plugin* plugin, const char* api, bool is_floating);
    bool(CLAP_ABI* get_preferred_api)(const clap_plugin* plugin, const char** api, bool* is_floating);
    bool(CLAP_ABI* create)(const clap_plugin* plugin, const char* api, bool is_floating);
    void(CLAP_ABI* destroy)(const clap_plugin* plugin);
    bool(CLAP_ABI* set_scale)(const clap_plugin* plugin, double scale);
    bool(CLAP_ABI* get_size)(const clap_plugin* plugin, uint32_t* width, uint32_t* height);
    bool(CLAP_ABI* can_resize)(const clap_plugin* plugin);
    bool(CLAP_ABI* get_resize_hints)(const clap_plugin* plugin, clap_gui_resize_hints* hints);
    bool(CLAP_ABI* adjust_size)(const clap_plugin* plugin, uint32_t* width, uint32_t* height);
    bool(CLAP_ABI* set_size)(const clap_plugin* plugin, uint32_t width, uint32_t height);
    bool(CLAP_ABI* set_parent)(const clap_plugin* plugin, const clap_window* window);
    bool(CLAP_ABI* set_transient)(const clap_plugin* plugin, const clap_window* window);
    void(CLAP_ABI* suggest_title)(const clap_plugin* plugin, const char* title);
    bool(CLAP_ABI* show)(const clap_plugin* plugin);
    bool(CLAP_ABI* hide)(const clap_plugin* plugin);
};

struct clap_host_gui {
    void(CLAP_ABI* resize_hints_changed)(const clap_host* host);
    bool(CLAP_ABI* request_resize)(const clap_host* host, uint32_t width, uint32_t height);
    bool(CLAP_ABI* request_show)(const clap_host* host);
    bool(CLAP_ABI* request_hide)(const clap_host* host);
    void(CLAP_ABI* closed)(const clap_host* host, bool was_destroyed);
};

// Main-thread ticks.
struct clap_plugin_timer_support {
    void(CLAP_ABI* on_timer)(const clap_plugin* plugin, clap_id timer_id);
};

struct clap_host_timer_support {
    bool(CLAP_ABI* register_timer)(const clap_host* host, uint32_t period_ms, clap_id* timer_id);
    bool(CLAP_ABI* unregister_timer)(const clap_host* host, clap_id timer_id);
};

enum : uint32_t { CLAP_POSIX_FD_READ = 1, CLAP_POSIX_FD_WRITE = 2, CLAP_POSIX_FD_ERROR = 4 };

struct clap_plugin_posix_fd_support {
    void(CLAP_ABI* on_fd)(const clap_plugin* plugin, int fd, uint32_t flags);
};

struct clap_host_posix_fd_support {
    bool(CLAP_ABI* register_fd)(const clap_host* host, int fd, uint32_t flags);
    bool(CLAP_ABI* modify_fd)(const clap_host* host, int fd, uint32_t flags);
    bool(CLAP_ABI* unregister_fd)(const clap_host* host, int fd);
};

// Latency, tail, render mode, voice info.
struct clap_plugin_latency {
    uint32_t(CLAP_ABI* get)(const clap_plugin* plugin);
};

struct clap_plugin_tail {
    uint32_t(CLAP_ABI* get)(const clap_plugin* plugin);
};

enum : int32_t { CLAP_RENDER_REALTIME = 0, CLAP_RENDER_OFFLINE = 1 };

struct clap_plugin_render {
    bool(CLAP_ABI* has_hard_realtime_requirement)(const clap_plugin* plugin);
    bool(CLAP_ABI* set)(const clap_plugin* plugin, int32_t mode);
};

struct clap_voice_info {
    uint32_t voice_count;
    uint32_t voice_capacity;
    uint64_t flags;
};

struct clap_plugin_voice_info {
    bool(CLAP_ABI* get)(const clap_plugin* plugin, clap_voice_info* info);
};

}  // extern "C"

// ---- Layout checks ---------------------------------------------------------------
#define KX_CLAP_ASSERT(cond) static_assert(cond, #cond)
KX_CLAP_ASSERT(sizeof(bool) == 1);
KX_CLAP_ASSERT(sizeof(clap_version) == 12);
KX_CLAP_ASSERT(sizeof(clap_plugin_entry) == 40 && offsetof(clap_plugin_entry, get_factory) == 32);
KX_CLAP_ASSERT(sizeof(clap_plugin_factory) == 24);
KX_CLAP_ASSERT(sizeof(clap_plugin_descriptor) == 88 && offsetof(clap_plugin_descriptor, id) == 16 &&
               offsetof(clap_plugin_descriptor, plugin_version) == 64 &&
               offsetof(clap_plugin_descriptor, features) == 80);
KX_CLAP_ASSERT(sizeof(clap_plugin) == 96 && offsetof(clap_plugin, process) == 72 &&
               offsetof(clap_plugin, on_main_thread) == 88);
KX_CLAP_ASSERT(sizeof(clap_host) == 88 && offsetof(clap_host, host_data) == 16 &&
               offsetof(clap_host, get_extension) == 56 && offsetof(clap_host, request_callback) == 80);
KX_CLAP_ASSERT(sizeof(clap_event_header) == 16 && offsetof(clap_event_header, type) == 10 &&
               offsetof(clap_event_header, flags) == 12);
KX_CLAP_ASSERT(sizeof(clap_event_note) == 40 && offsetof(clap_event_note, note_id) == 16 &&
               offsetof(clap_event_note, key) == 24 && offsetof(clap_event_note, velocity) == 32);
KX_CLAP_ASSERT(sizeof(clap_event_param_value) == 56 && offsetof(clap_event_param_value, cookie) == 24 &&
               offsetof(clap_event_param_value, note_id) == 32 && offsetof(clap_event_param_value, key) == 40 &&
               offsetof(clap_event_param_value, value) == 48);
KX_CLAP_ASSERT(sizeof(clap_event_param_gesture) == 20 && offsetof(clap_event_param_gesture, param_id) == 16);
KX_CLAP_ASSERT(sizeof(clap_event_transport) == 104 && offsetof(clap_event_transport, flags) == 16 &&
               offsetof(clap_event_transport, song_pos_beats) == 24 && offsetof(clap_event_transport, tempo) == 40 &&
               offsetof(clap_event_transport, bar_start) == 88 && offsetof(clap_event_transport, bar_number) == 96 &&
               offsetof(clap_event_transport, tsig_num) == 100 && offsetof(clap_event_transport, tsig_denom) == 102);
KX_CLAP_ASSERT(sizeof(clap_event_midi) == 24 && offsetof(clap_event_midi, port_index) == 16 &&
               offsetof(clap_event_midi, data) == 18);
KX_CLAP_ASSERT(sizeof(clap_input_events) == 24 && sizeof(clap_output_events) == 16);
KX_CLAP_ASSERT(sizeof(clap_audio_buffer) == 32 && offsetof(clap_audio_buffer, channel_count) == 16 &&
               offsetof(clap_audio_buffer, constant_mask) == 24);
KX_CLAP_ASSERT(sizeof(clap_process) == 64 && offsetof(clap_process, frames_count) == 8 &&
               offsetof(clap_process, transport) == 16 && offsetof(clap_process, audio_inputs_count) == 40 &&
               offsetof(clap_process, in_events) == 48 && offsetof(clap_process, out_events) == 56);
KX_CLAP_ASSERT(sizeof(clap_audio_port_info) == 288 && offsetof(clap_audio_port_info, flags) == 260 &&
               offsetof(clap_audio_port_info, port_type) == 272 &&
               offsetof(clap_audio_port_info, in_place_pair) == 280);
KX_CLAP_ASSERT(sizeof(clap_plugin_audio_ports) == 16 && sizeof(clap_plugin_note_ports) == 16);
KX_CLAP_ASSERT(sizeof(clap_note_port_info) == 268 && alignof(clap_note_port_info) == 4 &&
               offsetof(clap_note_port_info, name) == 12);
KX_CLAP_ASSERT(sizeof(clap_param_info) == 1320 && offsetof(clap_param_info, cookie) == 8 &&
               offsetof(clap_param_info, name) == 16 && offsetof(clap_param_info, module) == 272 &&
               offsetof(clap_param_info, min_value) == 1296 && offsetof(clap_param_info, default_value) == 1312);
KX_CLAP_ASSERT(sizeof(clap_plugin_params) == 48 && offsetof(clap_plugin_params, flush) == 40);
KX_CLAP_ASSERT(sizeof(clap_host_params) == 24);
KX_CLAP_ASSERT(sizeof(clap_istream) == 16 && sizeof(clap_ostream) == 16 && sizeof(clap_plugin_state) == 16 &&
               sizeof(clap_host_state) == 8);
KX_CLAP_ASSERT(sizeof(clap_window) == 16 && offsetof(clap_window, x11) == 8);
KX_CLAP_ASSERT(sizeof(clap_gui_resize_hints) == 12 && offsetof(clap_gui_resize_hints, aspect_ratio_width) == 4);
KX_CLAP_ASSERT(sizeof(clap_plugin_gui) == 120 && offsetof(clap_plugin_gui, set_parent) == 80 &&
               offsetof(clap_plugin_gui, hide) == 112);
KX_CLAP_ASSERT(sizeof(clap_host_gui) == 40);
KX_CLAP_ASSERT(sizeof(clap_plugin_timer_support) == 8 && sizeof(clap_host_timer_support) == 16);
KX_CLAP_ASSERT(sizeof(clap_plugin_posix_fd_support) == 8 && sizeof(clap_host_posix_fd_support) == 24);
KX_CLAP_ASSERT(sizeof(clap_plugin_latency) == 8 && sizeof(clap_plugin_tail) == 8 && sizeof(clap_plugin_render) == 16);
KX_CLAP_ASSERT(sizeof(clap_voice_info) == 16 && sizeof(clap_plugin_voice_info) == 8);
#undef KX_CLAP_ASSERT
