#include "kelvox2/edit/replay_player.h"

namespace kelvox2 {

static_assert(unsigned{kReplayShift} == kx::x11::kShift && unsigned{kReplayCtrl} == kx::x11::kControl &&
                  unsigned{kReplayAlt} == kx::x11::kAlt,
              "replay modifiers are the harness's modifier bits");

bool playReplayStep(kx::x11::XTestInput& input, const ReplayStep& step, std::string& error) {
    bool ok = true;
    switch (step.kind) {
    case ReplayStep::Kind::Press:
    case ReplayStep::Kind::Release:
    case ReplayStep::Kind::Move:
    case ReplayStep::Kind::Wheel:
        // Modifiers go down first, so the motion and the button carry them.
        input.modifiers(step.modifiers, true);
        if ((step.hasPoint || step.kind == ReplayStep::Kind::Wheel) && !input.moveTo(step.x, step.y)) {
            error = "the editor window is not on the screen";
            ok = false;
        } else if (step.kind == ReplayStep::Kind::Wheel) {
            input.wheel(static_cast<unsigned>(step.button));
        } else if (step.kind != ReplayStep::Kind::Move) {
            input.button(static_cast<unsigned>(step.button), step.kind == ReplayStep::Kind::Press);
        }
        input.modifiers(step.modifiers, false);
        break;
    case ReplayStep::Kind::Key: ok = input.strokeAsTyped(step.keysym, step.modifiers, &error); break;
    case ReplayStep::Kind::Type: ok = input.type(step.text, &error); break;
    case ReplayStep::Kind::Wait: break;
    }
    return ok;
}

}  // namespace kelvox2
