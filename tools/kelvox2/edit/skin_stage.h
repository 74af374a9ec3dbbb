// SkinStage: shows a skin file under edit in a plug-in built on this
// framework. Such a plug-in reads the skin script "Kelvox2Skin.txt" (and the
// images it names) from the folder of its library file, so the stage is a
// private temporary folder holding a copy of the library, the skin copied in
// under that name, and links to the images beside the skin. It watches the
// skin's folder (inotify) and says when the skin or an image changed.
//
// The folder and everything in it are removed on destruction.
#pragma once

#include <string>
#include <vector>

namespace kelvox2 {

class SkinStage {
public:
    SkinStage() = default;
    ~SkinStage();
    SkinStage(const SkinStage&) = delete;
    SkinStage& operator=(const SkinStage&) = delete;

    // Makes the folder, copies the library into it and starts watching the
    // skin's folder. False with a reason.
    bool create(const std::string& pluginPath, const std::string& skinPath, std::string& error);
    // The library copy to load.
    const std::string& pluginCopy() const { return pluginCopy_; }
    const std::string& skinPath() const { return skinPath_; }

    // Copies the skin file in and links the images beside it anew. False
    // with a reason when the skin can't be read; the stage then keeps what
    // it held.
    bool stage(std::string& error);

    // The descriptor to wait on for changes (-1 without a watch).
    int watchFd() const { return watchFd_; }
    // Reads the pending notifications; true when one of them concerned the
    // skin or an image beside it.
    bool takeChanges();

private:
    void removeLinks();

    std::string folder_;
    std::string pluginCopy_;
    std::string skinPath_;
    std::string skinFolder_;
    std::string skinName_;
    std::vector<std::string> links_;
    int watchFd_ = -1;
};

}  // namespace kelvox2
