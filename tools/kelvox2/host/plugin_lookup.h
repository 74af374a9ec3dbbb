// Finding a plug-in the user names. A path (anything with a '/', or a file
// in the current folder) is taken as it is; a bare name is looked for, as
// given or with ".so" added, ignoring letter case, in the folders of VST_PATH
// (separated by ':'), then ~/.vst, /usr/local/lib/vst and /usr/lib/vst; failing
// that, as the start of one plug-in's file name (an ambiguous start is refused
// with the plug-ins it could mean).
#pragma once

#include <string>
#include <vector>

namespace kx {

// The folders searched for bare names, in order.
std::vector<std::string> pluginSearchFolders();

// The file to load; false with a message naming the folders searched.
bool locatePlugin(const std::string& nameOrPath, std::string& path, std::string& error);

}  // namespace kx
