// Link hot spots: a press opens the target through the system and never
// captures the mouse. Only web and mail links open (link_target.h); a press
// on any other does nothing.
#pragma once

#include <string>

#include "controls/control.h"

namespace kx {

class KImageResource;

class KUrl : public KControl {
public:
    KUrl(const KControlInit& init, const char* target);
    const char* getClassName() const override { return "KUrl"; }
    int CursorAt(int x, int y) const override;
    bool LeftDown(bool shift, bool ctrl, int x, int y) override;
    const char* target() const { return target_.c_str(); }

private:
    std::string target_;
    bool openable_;  // a press on any other link does nothing, so it shows no hand either
};

class KImgUrl : public KUrl {
public:
    KImgUrl(const KControlInit& init, const KImageResource* image, const char* target)
        : KUrl(init, target), image_(image) {}
    const char* getClassName() const override { return "KImgUrl"; }
    void Draw(KCanvas& canvas) override;

private:
    const KImageResource* image_;
};

// A fixed picture; ignores the mouse.
class KImg : public KControl {
public:
    KImg(const KControlInit& init, const KImageResource* image) : KControl(init), image_(image) {}
    const char* getClassName() const override { return "KImg"; }
    void Draw(KCanvas& canvas) override;

private:
    const KImageResource* image_;
};

}  // namespace kx
