// What the install and package tests share.
#pragma once

#include <set>
#include <string>

#include "support/command_run.h"

namespace kx::testing {

// The files an installation puts under its prefix, relative to it.
inline std::set<std::string> installedFiles() {
    return {"bin/kelvox2",
            "lib/vst/Kelvox2.so",
            "lib/lv2/Kelvox2.lv2/Kelvox2.so",
            "lib/lv2/Kelvox2.lv2/manifest.ttl",
            "lib/lv2/Kelvox2.lv2/Kelvox2.ttl",
            "lib/lv2/Kelvox2.lv2/presets.ttl",
            "lib/clap/Kelvox2.clap",
            "share/man/man1/kelvox2.1.gz",
            "share/kelvox2/presets/factory.fxb",
            "share/doc/kelvox2/README.md",
            "share/doc/kelvox2/copyright",
            "share/doc/kelvox2/changelog.Debian.gz",
            "share/doc/kelvox2/sounds.md",
            "share/doc/kelvox2/skins.md",
            "share/doc/kelvox2/midi.md",
            "share/doc/kelvox2/editor-page1.png",
            "share/doc/kelvox2/editor-page2.png"};
}

}  // namespace kx::testing
