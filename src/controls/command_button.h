// KImgCommand: runs one of the effect's commands when released, wherever the
// pointer is then, as long as the press began on the button.
#pragma once

#include "controls/press_base.h"

namespace kx {

class KImageResource;

class KCommandBase : public KPressBase {
public:
    KCommandBase(const KControlInit& init, int command) : KPressBase(init), command_(command) {}

protected:
    void onPress(bool shift, bool ctrl) override;
    // Shift or Ctrl held at the press or at the release both count.
    void onRelease(bool shift, bool ctrl) override;
    // The command does not run.
    void onCancel() override;

    int command_;
    bool shift_ = false;
    bool ctrl_ = false;
};

class KImgCommand : public KCommandBase {
public:
    KImgCommand(const KControlInit& init, int command, const KImageResource* image)
        : KCommandBase(init, command), image_(image) {}
    const char* getClassName() const override { return "KImgCommand"; }
    void Draw(KCanvas& canvas) override;

private:
    const KImageResource* image_;
};

}  // namespace kx
