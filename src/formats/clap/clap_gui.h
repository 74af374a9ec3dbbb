// ClapGui: the gui extension over the effect's editor. The editor is the
// VST 2.4 one, opened into the host's window; it runs on the host's main
// thread alone, ticked by the host's timer and woken by its watch on the
// editor's window-system connection (no thread of our own).
#pragma once

#include "formats/clap/clap_abi.h"

namespace kx::clap {

class ClapInstance;

class ClapGui {
public:
    explicit ClapGui(ClapInstance& instance) : instance_(instance) {}
    ~ClapGui() { destroy(); }
    ClapGui(const ClapGui&) = delete;
    ClapGui& operator=(const ClapGui&) = delete;

    bool isApiSupported(const char* api, bool floating) const;
    bool create(const char* api, bool floating);
    void destroy();
    bool getSize(uint32_t* width, uint32_t* height) const;
    bool setParent(const clap_window* window);
    // Idles the editor: its events, pending repaints.
    void tick();
    // The effect asked for another size (audioMasterSizeWindow).
    bool requestResize(int width, int height);

    static const clap_plugin_gui kGui;
    static const clap_plugin_timer_support kTimer;
    static const clap_plugin_posix_fd_support kFd;

private:
    void watch();
    void unwatch();

    ClapInstance& instance_;
    bool created_ = false;
    bool open_ = false;
    clap_id timer_ = CLAP_INVALID_ID;
    int fd_ = -1;
};

}  // namespace kx::clap
