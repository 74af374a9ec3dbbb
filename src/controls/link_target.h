// Which link targets a skin may open. A skin file placed beside the plug-in
// is anyone's to write, and the system's opener runs whatever it is handed:
// a program, a document, a share. So links open web pages and mail only.
#pragma once

namespace kx {

// True for a target that starts with "http:", "https:" or "mailto:" (any
// letter case, nothing before it).
bool isOpenableLink(const char* target);

// Why a target is not opened, for the skin's author; null when it is.
const char* linkRefusal(const char* target);

}  // namespace kx
