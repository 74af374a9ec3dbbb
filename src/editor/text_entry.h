// KTextEntry: the one-line box opened over a value read-out to type a new
// value for its parameter. It wraps the system's text control (KTextField
// where the platform has none) and takes its keys, its loss of focus and its
// destruction: Return commits, Escape cancels, losing the focus (a click
// elsewhere) commits. Only an edited text is committed, as one gesture for
// the host (begin edit, the value, end edit). While it is open the editor does not repaint, and it
// holds the keyboard so that typed keys reach it inside any host.
//
// Threads: the user-interface thread.
#pragma once

#include "editor/subclassed_window.h"

namespace kx {

class KFont;
class KSkin;

class KTextEntry : public KSubclassedWindow {
public:
    static constexpr int kTextSize = 256;

    explicit KTextEntry(KSkin* skin) : skin_(skin) {}
    ~KTextEntry() override;

    // Shows the box over the rectangle (editor-window pixels) with the
    // parameter's value text, all of it selected, and gives it the keyboard.
    // Does nothing without an open editor window, an effect, a font or with
    // a negative index (the index is still recorded).
    void open(KWindow& editorWindow, int x, int y, int w, int h, const KFont* font, int parameterIndex);
    bool isOpen() const { return isLive(); }
    // Closes the box without committing (the editor is going away).
    void abandon();
    // A key the host forwarded: goes to the box like its own keys. True when
    // the box is open and took it.
    bool hostKey(bool down, unsigned virtualKey, unsigned char character, bool shift, bool control);

    int parameterIndex() const { return parameterIndex_; }
    const char* committedText() const { return text_; }

    KLResult onKeyDown(unsigned virtualKey, KLParam lParam) override;
    KLResult onKillFocus(KWindowHandle gaining) override;
    KLResult onDestroy() override;
    KLResult onAppMessage(unsigned message, KWParam wParam, KLParam lParam) override;
    KLResult onCommand(unsigned id, unsigned code, KWindowHandle control) override;

private:
    void commit();
    void destroyControl();

    KSkin* skin_;  // not owned
    int parameterIndex_ = -1;
    bool cancelled_ = false;
    bool keyboardHeld_ = false;
    bool closing_ = false;
    char text_[kTextSize] = {};
};

}  // namespace kx
