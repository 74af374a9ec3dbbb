#include "controls/links.h"

#include "controls/link_target.h"
#include "graphics/resource.h"

namespace kx {

KUrl::KUrl(const KControlInit& init, const char* target)
    : KControl(init), target_(target), openable_(isOpenableLink(target)) {}

int KUrl::CursorAt(int, int) const { return openable_ ? kCursorHand : kCursorDefault; }

bool KUrl::LeftDown(bool, bool, int, int) {
    if (host_ && openable_)
        host_->OpenLink(target_.c_str());
    return false;  // the press never captures
}

void KImgUrl::Draw(KCanvas& canvas) { image_->drawFrame(canvas, 0, 0, 0); }

void KImg::Draw(KCanvas& canvas) { image_->drawFrame(canvas, 0, 0, 0); }

}  // namespace kx
