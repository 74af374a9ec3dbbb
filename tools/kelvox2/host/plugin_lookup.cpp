#include "plugin_lookup.h"

#include "params/number_text.h"

#include <dirent.h>
#include <sys/stat.h>
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
    std::string searched;
    for (const std::string& folder : pluginSearchFolders()) {
        for (const std::string& name : {nameOrPath, hasSuffix ? std::string() : nameOrPath + ".so"}) {
            if (name.empty())
                continue;
            std::string found = findInFolder(folder, name);
            if (!found.empty()) {
                path = found;
                return true;
            }
        }
        searched += (searched.empty() ? "" : ", ") + folder;
    }
    error = "no plug-in '" + nameOrPath + "' here or in " + searched + " (give a path, or set VST_PATH)";
    return false;
}

}  // namespace kx
