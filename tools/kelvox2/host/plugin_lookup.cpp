#include "kelvox2/host/plugin_lookup.h"

#include "params/number_text.h"

#include <dirent.h>
#include <sys/stat.h>
#include <algorithm>
#include <cstdlib>

namespace kx {

namespace {

bool isFile(const std::string& path) {
    struct stat st;
    return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

// The entry of `folder` named `name` ignoring letter case, or empty.
std::string findInFolder(const std::string& folder, const std::string& name) {
    if (isFile(folder + "/" + name))
        return folder + "/" + name;
    DIR* dir = ::opendir(folder.c_str());
    if (!dir)
        return {};
    std::string found;
    while (const dirent* entry = ::readdir(dir)) {
        if (equalsIgnoringCase(entry->d_name, name.c_str()) && isFile(folder + "/" + entry->d_name)) {
            found = folder + "/" + entry->d_name;
            break;
        }
    }
    ::closedir(dir);
    return found;
}

// Adds the plug-ins (.so files) of `folder` whose names start with `start`,
// ignoring letter case, unless a name is there already.
void collectStartingWith(const std::string& folder, const std::string& start, std::vector<std::string>& names,
                         std::vector<std::string>& paths) {
    DIR* dir = ::opendir(folder.c_str());
    if (!dir)
        return;
    while (const dirent* entry = ::readdir(dir)) {
        const std::string name = entry->d_name;
        if (name.size() <= 3 || name.size() < start.size() ||
            !equalsIgnoringCase(name.substr(name.size() - 3).c_str(), ".so") ||
            !equalsIgnoringCase(name.substr(0, start.size()).c_str(), start.c_str()) || !isFile(folder + "/" + name))
            continue;
        const std::string shown = name.substr(0, name.size() - 3);
        bool known = false;
        for (const std::string& n : names)
            known = known || equalsIgnoringCase(n.c_str(), shown.c_str());
        if (!known) {
            names.push_back(shown);
            paths.push_back(folder + "/" + name);
        }
    }
    ::closedir(dir);
}

}  // namespace

std::vector<std::string> pluginSearchFolders() {
    std::vector<std::string> folders;
    if (const char* list = std::getenv("VST_PATH")) {
        std::string all = list;
        size_t start = 0;
        while (start <= all.size()) {
            size_t colon = all.find(':', start);
            if (colon == std::string::npos)
                colon = all.size();
            if (colon > start)
                folders.push_back(all.substr(start, colon - start));
            start = colon + 1;
        }
    }
    if (const char* home = std::getenv("HOME"); home && *home)
        folders.push_back(std::string(home) + "/.vst");
    folders.push_back("/usr/local/lib/vst");
    folders.push_back("/usr/lib/vst");
    return folders;
}

bool locatePlugin(const std::string& nameOrPath, std::string& path, std::string& error) {
    if (nameOrPath.find('/') != std::string::npos) {
        path = nameOrPath;
        return true;
    }
    // A file of that name here; dlopen would search the library path instead.
    if (isFile(nameOrPath)) {
        path = "./" + nameOrPath;
        return true;
    }
    const bool hasSuffix =
        nameOrPath.size() > 3 && equalsIgnoringCase(nameOrPath.c_str() + nameOrPath.size() - 3, ".so");
    const std::vector<std::string> folders = pluginSearchFolders();
    for (const std::string& folder : folders) {
        for (const std::string& name : {nameOrPath, hasSuffix ? std::string() : nameOrPath + ".so"}) {
            if (name.empty())
                continue;
            std::string found = findInFolder(folder, name);
            if (!found.empty()) {
                path = found;
                return true;
            }
        }
    }
    // A start of a plug-in's name ("Nekobi" for Nekobi-vst.so), when only one
    // plug-in's name starts so; a name in an earlier folder hides the same name
    // in a later one, as it does above.
    std::vector<std::string> names, paths;
    const std::string stem = hasSuffix ? nameOrPath.substr(0, nameOrPath.size() - 3) : nameOrPath;
    for (const std::string& folder : folders)
        collectStartingWith(folder, stem, names, paths);
    if (names.size() == 1) {
        path = paths.front();
        return true;
    }
    if (names.size() > 1) {
        std::sort(names.begin(), names.end());
        std::string list;
        for (const std::string& name : names)
            list += (list.empty() ? "" : ", ") + name;
        error = "'" + nameOrPath + "' could be any of " + list + " (give more of the name)";
        return false;
    }
    std::string searched;
    for (const std::string& folder : folders)
        searched += (searched.empty() ? "" : ", ") + folder;
    error = "no plug-in '" + nameOrPath + "' here or in " + searched + " (give a path, or set VST_PATH)";
    return false;
}

}  // namespace kx
