#include "controls/links.h"

#include "controls/link_target.h"
#include "graphics/resource.h"

namespace kx {

int KUrl::CursorAt(int, int) const { return kCursorHand; }

bool KUrl::LeftDown(bool, bool, int, int) {
    if (host_ && isOpenableLink(target_.c_str()))
        host_->OpenLink(target_.c_str());
    return false;  // the press never captures
}

void KImgUrl::Draw(KCanvas& canvas) { image_->drawFrame(canvas, 0, 0, 0); }

void KImg::Draw(KCanvas& canvas) { image_->drawFrame(canvas, 0, 0, 0); }

}  // namespace kx
