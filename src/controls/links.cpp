#include "controls/links.h"

#include "editor/link_launcher.h"
#include "skin/resource.h"

namespace kx {

int KUrl::CursorAt(int, int) const { return kControlCursorHand; }

bool KUrl::LeftDown(bool, bool, int, int) { return openLink(target_.c_str()); }

void KImgUrl::Draw(KCanvas& canvas) { image_->drawFrame(canvas, 0, 0, 0); }

void KImg::Draw(KCanvas& canvas) { image_->drawFrame(canvas, 0, 0, 0); }

}  // namespace kx
