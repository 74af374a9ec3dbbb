// TrueType fonts that a skin carries (InstallTTF): installed from the
// library's embedded data for the rest of the process.
#pragma once

namespace kx {

// Looks fileName up in the embedded data (never on disk) and installs the
// font under the skin's name for it. False when the file is not found or is
// not a font; nothing is registered then. Installing a file twice installs it
// twice. Threads: where the skin is parsed.
bool installFont(const char* name, const char* fileName);

// removeInstalledFonts() (text_renderer.h) forgets them all at unload.

}  // namespace kx
