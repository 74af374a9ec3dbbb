// KImgCommand: runs one of the effect's commands when released, wherever the
// pointer is then, as long as the press began on the button.
#pragma once

#include "controls/control.h"

namespace kx {

class KImageResource;

class KCommandBase : public KControl {
public:
    KCommandBase(const KControlInit& init, int command) : KControl(init), command_(command) {}
    int CursorAt(int x, int y) const override;
    bool LeftDown(bool shift, bool ctrl, int x, int y) override;
    bool LeftUp(bool shift, bool ctrl, int x, int y) override;
    void CancelCapture() override;
    bool isPressed() const { return pressed_; }

protected:
    int command_;
    bool pressed_ = false;
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
