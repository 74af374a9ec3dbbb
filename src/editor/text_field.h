// KTextField: a one-line text control of our own, for window systems that
// offer none. It behaves as the system's "Edit" control does for the text
// entry: centred single-byte text in a given font, a selection and a caret,
// typing that replaces the selection, Backspace, Delete, Left, Right, Home,
// End (Shift extends), Ctrl+A, Ctrl+V and Shift+Insert pasting, and a click
// or drag that places the caret. It is driven by the standard messages
// (WM_SETTEXT, WM_GETTEXT, EM_SETSEL, EM_GETMODIFY, WM_SETFONT, WM_SIZE, WM_PAINT, keys,
// mouse, focus) through windowProcedure, which a binding registers as the
// procedure of its "Edit" class.
//
// Threads: the user-interface thread.
#pragma once

#include <cstddef>
#include <memory>

#include "editor/window_system.h"
#include "graphics/canvas.h"

namespace kx {

class PlatformFont;

class KTextField {
public:
    static constexpr int kMaxLength = 255;

    KTextField();
    ~KTextField();

    // The "Edit" class's procedure: keeps a field per window in the
    // window's extra data, from WM_NCCREATE to WM_NCDESTROY.
    static KLResult windowProcedure(KWindowSystem& system, KWindowHandle window, unsigned message, KWParam wParam,
                                    KLParam lParam);

    // ---- Editing -------------------------------------------------------------
    // Text beyond kMaxLength characters is cut; the caret goes to the end.
    // The text counts as unmodified again.
    void setText(const char* text);
    // Copies at most size - 1 characters, terminated; answers the count.
    size_t getText(char* out, size_t size) const;
    // EM_SETSEL: start -1 deselects; end -1 (or past the end) is the end.
    void select(int start, int end);
    // Replaces the selection; what would pass kMaxLength is left out.
    // False when nothing changed.
    bool insert(const char* text, size_t count);
    // One key; true when the text or the selection changed. paste supplies
    // the clipboard's text for Ctrl+V and Shift+Insert.
    bool keyDown(unsigned virtualKey, bool shift, bool control, KWindowSystem* paste);
    // A typed character; control characters are not text.
    bool character(unsigned char c);

    const char* text() const { return text_; }
    // EM_GETMODIFY: the user changed the text (typing, deleting, pasting)
    // since it was last set.
    bool isModified() const { return modified_; }
    int length() const { return length_; }
    int caret() const { return caret_; }
    int selectionStart() const { return anchor_ < caret_ ? anchor_ : caret_; }
    int selectionEnd() const { return anchor_ < caret_ ? caret_ : anchor_; }
    bool hasSelection() const { return anchor_ != caret_; }

    // ---- Layout and drawing ----------------------------------------------------
    void setFont(const PlatformFont* font) { font_ = font; }
    void resize(int width, int height);
    // Draws the field into its own canvas (null while it has no size).
    const KCanvas* draw();
    // The character boundary nearest to field pixel x.
    int indexAt(int x);
    // The field pixel where boundary i is drawn.
    int xOf(int index);

private:
    KLResult handle(KWindowSystem& system, KWindowHandle window, unsigned message, KWParam wParam, KLParam lParam);
    void removeSelection();
    int advance(unsigned char c) const;
    int offsetOf(int index) const;
    // Left edge of the text: centred when it fits, else scrolled so that
    // the caret stays in view.
    int origin();

    char text_[kMaxLength + 1] = {};
    int length_ = 0;
    int anchor_ = 0;
    int caret_ = 0;
    int scroll_ = 0;
    bool modified_ = false;
    bool focused_ = false;
    bool selecting_ = false;
    const PlatformFont* font_ = nullptr;  // not owned: the skin's font
    std::unique_ptr<KCanvas> canvas_;
    int width_ = 0;
    int height_ = 0;
};

}  // namespace kx
