// Reading a skin script into a KSkin, and finding the script to read.
#pragma once

#include <memory>
#include <string>

#include "skin/skin_diagnostics.h"

namespace kx {

class KByteSource;
class KEffect;
class KSkin;
class KSkinFactory;

// The file name of the skin script, next to the library or built in.
inline constexpr const char* kSkinFileName = "Kelvox2Skin.txt";

// Parses the script from the source. Null when it declares no positive size
// and page count. The factory (defaults to the framework's) makes the
// controls and resources; it is pointed at the new skin while parsing. A
// UTF-8 byte-order mark at the start of the text is skipped.
std::unique_ptr<KSkin> parseSkin(KByteSource& source, KEffect* effect, KSkinFactory* factory = nullptr,
                                 KSkinDiagnostics* diagnostics = nullptr);

// The skin for an effect: the script next to the library when it parses,
// else the built-in one; null when neither does.
std::unique_ptr<KSkin> loadSkin(KEffect* effect, KSkinFactory* factory = nullptr);
// The same with the file's path given (null: straight to the built-in one).
std::unique_ptr<KSkin> loadSkinFrom(const char* path, KEffect* effect, KSkinFactory* factory = nullptr);
// The skin a library in `folder` (ending in a separator) shows: the script
// there, its PngFile images read from there too, else the built-in one.
// What loadSkin does for the library's own folder, for a tool that paints
// the skin of a plug-in file it is not.
std::unique_ptr<KSkin> loadSkinIn(const std::string& folder, KEffect* effect);

}  // namespace kx
