// Test 8: the editor as hosts and users treat it. Opened, idled and closed
// many times (with and without the host's Display in `value`); random
// pointer and key input through XTest while the host automates; two editors
// open at once; and the host's window destroyed before the editor is closed.
// Runs on an X server of the battery's own, so synthetic input never reaches
// a user's desktop.
#include "kelvox2/validate/check_common.h"
#include "kelvox2/validate/editor_driver.h"

#include <X11/Xlib.h>
#include <X11/keysym.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <thread>

#include <sys/stat.h>
#include <unistd.h>

namespace kx::validate {

namespace {

const char* const kKeys[] = {"a",     "q",      "z",        "0",      "5",         "9",       "minus", "period",
                             "space", "Return", "KP_Enter", "Escape", "BackSpace", "Delete",  "Tab",   "Left",
                             "Right", "Up",     "Down",     "Home",   "End",       "Page_Up", "F1"};

// Links in an editor open a browser; not from a test. A directory with a
// do-nothing xdg-open goes first on the PATH of this process.
class QuietLinks {
public:
    QuietLinks() {
        char pattern[] = "/tmp/kelvox2-validate-XXXXXX";
        if (!::mkdtemp(pattern))
            return;
        dir_ = pattern;
        const std::string stub = dir_ + "/xdg-open";
        std::ofstream(stub) << "#!/bin/sh\nexit 0\n";
        ::chmod(stub.c_str(), 0755);
        const char* path = std::getenv("PATH");
        ::setenv("PATH", (dir_ + ":" + (path ? path : "/usr/bin:/bin")).c_str(), 1);
    }
    ~QuietLinks() {
        if (!dir_.empty()) {
            ::unlink((dir_ + "/xdg-open").c_str());
            ::rmdir(dir_.c_str());
        }
    }

private:
    std::string dir_;
};

void openIdleClose(Check& check, Module& module, EditorHost& x) {
    Instance instance(module, check);
    if (!instance.create())
        return;
    instance.start(44100, 512);
    const int cycles = check.byLevel(3, 12);
    EditorDriver editor(instance, x);
    int closes = 0;
    for (int i = 0; i < cycles; ++i) {
        check.stage("editor opened, idled and closed (%d of %d)", i + 1, cycles);
        if (!editor.open(0, 0, i % 2 == 1))
            return;
        editor.idle(check.byLevel(5, 25));
        if (i == 0 && !editor.showsSomething())
            check.note("the editor showed one flat colour after %d idles", check.byLevel(5, 25) + 3);
        check.stage("closing the editor (close number %d)", closes + 1);
        editor.close();
        ++closes;
        // Parameters change while the editor is closed; the next open shows them.
        for (int p = 0; p < paramCount(check); p += 3)
            instance.setParameter(p, static_cast<float>(check.uniform01()));
    }
    check.saw("editor opened, idled and closed %s (Display in value every other time)", times(cycles).c_str());
}

// One random user action on the editor at screen area (ax, ay, w, h).
void randomAction(Check& check, EditorHost& x, Instance& instance, int ax, int ay, int w, int h) {
    auto somewhere = [&](int* px, int* py) {
        *px = ax + check.uniform(0, w - 1);
        *py = ay + check.uniform(0, h - 1);
    };
    int px = 0, py = 0;
    switch (check.uniform(0, 9)) {
    case 0:
    case 1:
        somewhere(&px, &py);
        x.input.moveTo(px, py);
        break;
    case 2: {  // a drag
        somewhere(&px, &py);
        x.input.moveTo(px, py);
        const int button = check.uniform(0, 3) == 0 ? 3 : 1;
        x.input.button(static_cast<unsigned>(button), true);
        for (int k = 0; k < 6; ++k) {
            px += check.uniform(-40, 40);
            py += check.uniform(-40, 40);
            x.input.moveTo(px, py);
            instance.dispatch(effEditIdle);
        }
        x.input.button(static_cast<unsigned>(button), false);
        break;
    }
    case 3: {  // a click, a double click now and then
        somewhere(&px, &py);
        x.input.moveTo(px, py);
        const int clicks = check.uniform(0, 4) == 0 ? 2 : 1;
        for (int k = 0; k < clicks; ++k) {
            x.input.button(1, true);
            x.input.button(1, false);
        }
        break;
    }
    case 4: {  // the wheel
        somewhere(&px, &py);
        x.input.moveTo(px, py);
        const int button = check.uniform(4, 5);
        x.input.button(static_cast<unsigned>(button), true);
        x.input.button(static_cast<unsigned>(button), false);
        break;
    }
    case 5: {  // a key, sometimes with Shift
        const char* key = kKeys[check.uniform(0, static_cast<int>(sizeof kKeys / sizeof kKeys[0]) - 1)];
        const bool shift = check.uniform(0, 3) == 0;
        const KeySym sym = XStringToKeysym(key);
        if (shift)
            x.input.key(XK_Shift_L, true);
        x.input.key(sym, true);
        x.input.key(sym, false);
        if (shift)
            x.input.key(XK_Shift_L, false);
        break;
    }
    case 6: {  // keys the host forwards
        const int character = check.uniform(0, 127);
        const int virt = check.uniform(0, 57);
        const float modifiers = static_cast<float>(check.uniform(0, 15));
        instance.dispatch(effEditKeyDown, character, virt, nullptr, modifiers);
        instance.dispatch(effEditKeyUp, character, virt, nullptr, modifiers);
        break;
    }
    default: {  // host automation
        const int params = paramCount(check);
        if (params > 0)
            instance.setParameter(check.uniform(0, params - 1), static_cast<float>(check.uniform01()));
        break;
    }
    }
    instance.dispatch(effEditIdle);
}

void randomInput(Check& check, Module& module, EditorHost& x) {
    if (!check.settings.syntheticInput || !x.input.available()) {
        check.note("no synthetic input: %s",
                   x.input.available() ? "the display is not the battery's own" : "the X server has no XTest");
        return;
    }
    Instance instance(module, check);
    if (!instance.create())
        return;
    instance.start(44100, 512);
    EditorDriver editor(instance, x);
    const int rounds = check.byLevel(1, 4);
    const int steps = check.byLevel(100, 500);
    for (int r = 0; r < rounds; ++r) {
        check.stage("random pointer and key input while automating (round %d of %d)", r + 1, rounds);
        if (!editor.open(0, 0, false))
            return;
        int ax = 0, ay = 0;
        editor.screenArea(&ax, &ay);
        for (int s = 0; s < steps; ++s) {
            randomAction(check, x, instance, ax, ay, editor.width(), editor.height());
            if (s % 20 == 0)
                check.beat();
        }
        x.input.releaseAll();
        editor.idle(10);
        if (instance.log.openEdits.load() > 0)
            check.fail("open-edit", "%d parameter edits begun and never ended once every button was released",
                       instance.log.openEdits.load());
        editor.close();
    }
    check.saw("%d random input steps while automating (%d automation calls and %d begin/%d end edits back)",
              rounds * steps, instance.log.automate.load(), instance.log.beginEdit.load(), instance.log.endEdit.load());
}

void twoEditors(Check& check, Module& module, EditorHost& x) {
    Instance a(module, check), b(module, check);
    if (!a.create() || !b.create())
        return;
    a.start(44100, 512);
    b.start(44100, 512);
    const int rounds = check.byLevel(1, 4);
    for (int r = 0; r < rounds; ++r) {
        check.stage("two editors open at once (round %d of %d)", r + 1, rounds);
        EditorDriver ea(a, x), eb(b, x);
        if (!ea.open(0, 0, false) || !eb.open(ea.width() + 8, 0, true))
            return;
        for (int k = 0; k < check.byLevel(10, 40); ++k) {
            ea.idle(1, 0);
            eb.idle(1, 2);
            if (x.input.available() && check.settings.syntheticInput) {
                int ax = 0, ay = 0;
                EditorDriver& e = k % 2 ? eb : ea;
                e.screenArea(&ax, &ay);
                randomAction(check, x, k % 2 ? b : a, ax, ay, e.width(), e.height());
            }
        }
        x.input.releaseAll();
        // Closed in one order, then in the other.
        if (r % 2 == 0) {
            ea.close();
            eb.idle(3);
            eb.close();
        } else {
            eb.close();
            ea.idle(3);
            ea.close();
        }
    }
    check.saw("two editors open at once %s, closed in both orders", times(rounds).c_str());
}

void hostWindowFirst(Check& check, Module& module, EditorHost& x) {
    Instance instance(module, check);
    if (!instance.create())
        return;
    instance.start(44100, 512);
    const int rounds = check.byLevel(1, 3);
    const int errorsBefore = x11::xErrorCount();
    for (int r = 0; r < rounds; ++r) {
        check.stage("host window destroyed before effEditClose (%d of %d)", r + 1, rounds);
        EditorDriver editor(instance, x);
        if (!editor.open(0, 0, false))
            return;
        editor.idle(5);
        editor.destroyParentFirst();
        // The editor must open again afterwards.
        check.stage("editor opened again after its window was destroyed");
        if (!editor.open(0, 0, false))
            return;
        editor.idle(5);
        editor.close();
    }
    const int errors = x11::xErrorCount() - errorsBefore;
    if (errors > 0)
        check.note("%d X error%s after the host window went first (last: %s)", errors, errors == 1 ? "" : "s",
                   x11::lastXError().c_str());
    check.saw("host window destroyed before close %s; the editor opened again each time", times(rounds).c_str());
}

}  // namespace

void checkEditor(Check& check) {
    if (!check.facts.hasEditor()) {
        check.skip("the plug-in has no editor");
        return;
    }
    if (check.settings.display.empty()) {
        check.skip("no X display (and no Xvfb to start one)");
        return;
    }
    XInitThreads();
    QuietLinks quiet;
    Module module;
    if (!loadModule(check, module))
        return;
    EditorHost x;
    std::string error;
    if (!x.open(check.settings.display, &error)) {
        check.fail("display", "%s", error.c_str());
        return;
    }
    openIdleClose(check, module, x);
    randomInput(check, module, x);
    twoEditors(check, module, x);
    const int errorsBefore = x11::xErrorCount();
    if (errorsBefore > 0)
        check.note("%d X error%s before the host window went first (last: %s)", errorsBefore,
                   errorsBefore == 1 ? "" : "s", x11::lastXError().c_str());
    hostWindowFirst(check, module, x);
}

}  // namespace kx::validate
