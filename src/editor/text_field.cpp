#include "editor/text_field.h"

#include <algorithm>
#include <cstring>

#include "graphics/text_renderer.h"

namespace kx {

namespace {

// The system's default look of an edit control.
constexpr KColour kFieldBackground{255, 255, 255, 255};
constexpr KColour kFieldText{0, 0, 0, 255};
constexpr KColour kSelectionBackground{0, 120, 215, 255};
constexpr KColour kSelectionText{255, 255, 255, 255};
// Room kept right of a scrolled caret so that it stays visible.
constexpr int kCaretMargin = 2;

bool isText(unsigned char c) { return c >= 0x20 && c != 0x7F; }

}  // namespace

KTextField::KTextField() = default;
KTextField::~KTextField() = default;

// ---- Editing -----------------------------------------------------------------

void KTextField::setText(const char* text) {
    length_ = 0;
    if (text)
        while (length_ < kMaxLength && text[length_])
            ++length_;
    if (length_)
        std::memcpy(text_, text, size_t(length_));
    text_[length_] = '\0';
    anchor_ = caret_ = length_;
    scroll_ = 0;
    modified_ = false;
}

size_t KTextField::getText(char* out, size_t size) const {
    if (!out || size == 0)
        return 0;
    size_t n = std::min(size - 1, size_t(length_));
    std::memcpy(out, text_, n);
    out[n] = '\0';
    return n;
}

void KTextField::select(int start, int end) {
    if (start < 0) {
        anchor_ = caret_;
        return;
    }
    if (end < 0 || end > length_)
        end = length_;
    anchor_ = std::min(start, length_);
    caret_ = end;
}

void KTextField::removeSelection() {
    int from = selectionStart(), to = selectionEnd();
    modified_ = modified_ || from != to;
    std::memmove(text_ + from, text_ + to, size_t(length_ - to) + 1);
    length_ -= to - from;
    anchor_ = caret_ = from;
}

bool KTextField::insert(const char* text, size_t count) {
    const bool hadSelection = hasSelection();
    removeSelection();
    size_t room = size_t(kMaxLength - length_);
    size_t n = std::min(count, room);
    if (n == 0 || !text)
        return hadSelection;
    std::memmove(text_ + caret_ + n, text_ + caret_, size_t(length_ - caret_) + 1);
    std::memcpy(text_ + caret_, text, n);
    length_ += int(n);
    caret_ += int(n);
    modified_ = true;
    anchor_ = caret_;
    return true;
}

bool KTextField::character(unsigned char c) {
    if (!isText(c))
        return false;
    char one = char(c);
    return insert(&one, 1);
}

bool KTextField::keyDown(unsigned virtualKey, bool shift, bool control, KWindowSystem* paste) {
    auto moveTo = [&](int index) {
        caret_ = std::clamp(index, 0, length_);
        if (!shift)
            anchor_ = caret_;
        return true;
    };
    switch (virtualKey) {
    case VK_LEFT:
        if (hasSelection() && !shift)
            return moveTo(selectionStart());
        return moveTo(caret_ - 1);
    case VK_RIGHT:
        if (hasSelection() && !shift)
            return moveTo(selectionEnd());
        return moveTo(caret_ + 1);
    case VK_HOME: return moveTo(0);
    case VK_END: return moveTo(length_);
    case VK_BACK:
    case VK_DELETE:
        if (!hasSelection()) {
            int at = virtualKey == VK_BACK ? caret_ - 1 : caret_;
            if (at < 0 || at >= length_)
                return false;
            anchor_ = at;
            caret_ = at + 1;
        }
        removeSelection();
        return true;
    case 'A':
        if (!control)
            return false;
        select(0, -1);
        return true;
    case 'V':
    case VK_INSERT:
        if ((virtualKey == 'V' && !control) || (virtualKey == VK_INSERT && !shift) || !paste)
            return false;
        {
            char pasted[kMaxLength + 1];
            size_t n = paste->clipboardText(pasted, sizeof pasted);
            // One line only; other control characters are no text either.
            size_t kept = 0;
            for (size_t i = 0; i < n && pasted[i] != '\r' && pasted[i] != '\n'; ++i)
                if (isText(static_cast<unsigned char>(pasted[i])))
                    pasted[kept++] = pasted[i];
            insert(pasted, kept);
        }
        return true;
    default: return false;
    }
}

// ---- Layout and drawing ------------------------------------------------------

int KTextField::advance(unsigned char c) const {
    if (!font_)
        return 0;
    const char one[2] = {char(c), '\0'};
    return measureText(*font_, one);
}

int KTextField::offsetOf(int index) const {
    long long x = 0;
    for (int i = 0; i < index && i < length_; ++i)
        x += advance(static_cast<unsigned char>(text_[i]));
    return int(std::min<long long>(x, 1 << 30));
}

int KTextField::origin() {
    int textWidth = offsetOf(length_);
    if (textWidth <= width_) {
        scroll_ = 0;
        return (width_ - textWidth) / 2;
    }
    int caretX = offsetOf(caret_);
    if (caretX - scroll_ > width_ - kCaretMargin)
        scroll_ = caretX - (width_ - kCaretMargin);
    if (caretX - scroll_ < 0)
        scroll_ = caretX;
    scroll_ = std::clamp(scroll_, 0, textWidth - width_ + kCaretMargin);
    return -scroll_;
}

int KTextField::xOf(int index) { return origin() + offsetOf(index); }

int KTextField::indexAt(int x) {
    int left = origin();
    for (int i = 0; i < length_; ++i) {
        int w = advance(static_cast<unsigned char>(text_[i]));
        if (x < left + w / 2)
            return i;
        left += w;
    }
    return length_;
}

void KTextField::resize(int width, int height) {
    width_ = std::max(width, 0);
    height_ = std::max(height, 0);
    if (canvas_ && (canvas_->width() != width_ || canvas_->height() != height_))
        canvas_.reset();
}

const KCanvas* KTextField::draw() {
    if (width_ <= 0 || height_ <= 0)
        return nullptr;
    if (!canvas_)
        canvas_ = std::make_unique<KCanvas>(width_, height_);
    KCanvas& canvas = *canvas_;
    canvas.resetClip();
    canvas.fillRect(0, 0, width_, height_, kFieldBackground);
    const int left = origin();
    const KRect line{left, 0, width_, height_};
    const int from = left + offsetOf(selectionStart()), to = left + offsetOf(selectionEnd());
    const bool showSelection = focused_ && hasSelection();
    if (showSelection)
        canvas.fillRect(from, 0, to - from, height_, kSelectionBackground);
    if (font_) {
        renderText(canvas, *font_, kFieldText, text_, line, kAlignLeft);
        if (showSelection) {
            canvas.setClip(from, 0, to - from, height_);
            renderText(canvas, *font_, kSelectionText, text_, line, kAlignLeft);
            canvas.resetClip();
        }
    }
    if (focused_ && !hasSelection())
        canvas.fillRect(left + offsetOf(caret_), 1, 1, std::max(height_ - 2, 1), kFieldText);
    return canvas_.get();
}

// ---- Messages ------------------------------------------------------------------

KLResult KTextField::windowProcedure(KWindowSystem& system, KWindowHandle window, unsigned message, KWParam wParam,
                                     KLParam lParam) {
    try {
        auto* field = static_cast<KTextField*>(system.extraData(window));
        if (message == WM_NCCREATE) {
            delete field;
            system.setExtraData(window, new KTextField);
            return 1;
        }
        if (!field)
            return system.defWindowProc(window, message, wParam, lParam);
        if (message == WM_NCDESTROY) {
            system.setExtraData(window, nullptr);
            delete field;
            return 0;
        }
        return field->handle(system, window, message, wParam, lParam);
    } catch (...) {
        return -1;
    }
}

KLResult KTextField::handle(KWindowSystem& system, KWindowHandle window, unsigned message, KWParam wParam,
                            KLParam lParam) {
    bool changed = false;
    switch (message) {
    case WM_SETTEXT:
        setText(reinterpret_cast<const char*>(lParam));
        changed = true;
        break;
    case WM_GETTEXT: return KLResult(getText(reinterpret_cast<char*>(lParam), size_t(wParam)));
    case EM_GETMODIFY: return modified_ ? 1 : 0;
    case EM_SETMODIFY: modified_ = wParam != 0; return 0;
    case EM_SETSEL:
        select(int(static_cast<intptr_t>(wParam)), int(lParam));
        changed = true;
        break;
    case WM_SETFONT:
        setFont(reinterpret_cast<const PlatformFont*>(wParam));
        changed = true;
        break;
    case WM_SIZE:
        resize(int(loWord(static_cast<KWParam>(lParam))), int(hiWord(static_cast<KWParam>(lParam))));
        changed = true;
        break;
    case WM_PAINT:
        if (const KCanvas* canvas = draw())
            system.present(window, *canvas);
        return 0;
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
        focused_ = message == WM_SETFOCUS;
        selecting_ = false;
        changed = true;
        break;
    case WM_KEYDOWN:
        changed = keyDown(unsigned(wParam), system.isKeyDown(VK_SHIFT), system.isKeyDown(VK_CONTROL), &system);
        break;
    case WM_CHAR: changed = character(static_cast<unsigned char>(wParam)); break;
    case WM_LBUTTONDOWN: {
        int at = indexAt(pointX(lParam));
        caret_ = at;
        if (!(wParam & MK_SHIFT))
            anchor_ = at;
        selecting_ = true;
        changed = true;
        break;
    }
    case WM_MOUSEMOVE:
        if (selecting_ && (wParam & MK_LBUTTON)) {
            caret_ = indexAt(pointX(lParam));
            changed = true;
        }
        break;
    case WM_LBUTTONUP: selecting_ = false; break;
    default: return system.defWindowProc(window, message, wParam, lParam);
    }
    if (changed)
        system.invalidate(window);
    return 0;
}

}  // namespace kx
