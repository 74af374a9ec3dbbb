// The instrument's skin without a window or a host: an in-process instance
// with a quiet host callback, its skin, a canvas of the skin's size, and the
// replay of pointer events. Shared by the snapshot and check-skin commands.
#pragma once

#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>

#include "editor/link_launcher.h"
#include "graphics/canvas.h"
#include "plugin/effect.h"
#include "skin/skin.h"
#include "skin/skin_window.h"

namespace kelvox2 {

// An instrument created in this process (no plug-in file), with a host
// callback that answers the version, the rate and its names and otherwise
// stays quiet.
std::unique_ptr<kx::KEffect> createInProcessInstrument();

// The instrument's entry point as this program links it, for a PluginHost
// that drives an in-process instance (PluginHost::create).
AEffect* inProcessEntry(audioMasterCallback host);
// The instrument behind an effect that inProcessEntry made.
kx::KEffect* inProcessEffect(AEffect* effect);

// Stands in for the editor window: always live, counts repaint requests.
class HeadlessWindow : public kx::KSkinWindow {
public:
    bool isLive() const override { return true; }
    void invalidate() override { ++invalidations; }
    // A replayed press on a link opens it, as the editor window would.
    void openLink(const char* target) override { kx::openLink(target); }
    int invalidations = 0;
};

// A skin shown on a canvas as the editor window would show it: opened on its
// start page, repainted after every event.
class SkinView {
public:
    // The skin is not owned. Refuses (canvas() null) sizes beyond the
    // canvas's limit, as the editor does.
    explicit SkinView(kx::KSkin& skin);
    ~SkinView();

    kx::KCanvas* canvas() { return canvas_.get(); }
    void paint();
    // True for a page the skin has (1..pageCount); else false with the page
    // count in `error`.
    bool hasPage(int page, std::string& error) const;
    // One event line: "down X Y [shift] [ctrl]", "up X Y [shift] [ctrl]",
    // "rdown"/"rup" likewise, "move X Y [shift]", "page N", "lost". False with
    // a reason for a line that isn't one.
    bool replay(const std::string& line, std::string& error);

private:
    kx::KSkin& skin_;
    HeadlessWindow window_;
    std::unique_ptr<kx::KCanvas> canvas_;
};

}  // namespace kelvox2
