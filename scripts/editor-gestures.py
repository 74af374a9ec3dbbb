#!/usr/bin/python3
"""Drags a dial and clicks a button of the plug-in's editor inside a host's
window through XTest, and tells from the editor's pixels whether each moved.

Used by try-hosts.sh. The editor is found as the deepest window of editor size
under the host's top-level window whose title matches --title; positions are
those of the built-in skin. Exit status 0 when every gesture moved what it
should, 1 when one did not, 2 when the editor could not be found.
"""
import argparse
import re
import sys
import time

from Xlib import X, XK, display
from Xlib.ext import xtest

# The built-in skin: the Bend Amt dial with its read-out, the Full Random
# button and the three oscillator panels that it changes.
DIAL_CENTRE = (340, 55)
DIAL_REGION = (305, 30, 75, 70)
BUTTON_CENTRE = (147, 80)
PANELS_REGION = (10, 105, 570, 290)
EDITOR_MIN_SIZE = (600, 380)


def window_title(d, w):
    for atom in ("_NET_WM_NAME", "WM_NAME"):
        try:
            prop = w.get_full_property(d.intern_atom(atom), X.AnyPropertyType)
        except Exception:
            return ""
        if prop and prop.value:
            v = prop.value
            return v.decode("utf-8", "replace") if isinstance(v, bytes) else str(v)
    return ""


def top_levels(d):
    root = d.screen().root
    prop = root.get_full_property(d.intern_atom("_NET_CLIENT_LIST"), X.AnyPropertyType)
    ids = list(prop.value) if prop else []
    return [d.create_resource_object("window", i) for i in ids]


def deepest_editor(d, w, depth=0):
    """The deepest viewable descendant at least as large as the editor."""
    best = None
    try:
        children = w.query_tree().children
    except Exception:
        return None
    for c in children:
        try:
            g = c.get_geometry()
            viewable = c.get_attributes().map_state == X.IsViewable
        except Exception:
            continue
        if not viewable or g.width < EDITOR_MIN_SIZE[0] or g.height < EDITOR_MIN_SIZE[1]:
            continue
        found = deepest_editor(d, c, depth + 1) or (depth + 1, c)
        if best is None or found[0] > best[0]:
            best = found
    return best


def press_return(d, w):
    """Answers a modal dialog with its default button."""
    try:
        if w.get_attributes().map_state != X.IsViewable:
            return
        g = w.get_geometry()
        t = w.translate_coords(d.screen().root, 0, 0)
        pointer(d, -t.x + g.width // 2, -t.y + g.height // 2)
        w.set_input_focus(X.RevertToParent, X.CurrentTime)
        d.sync()
    except Exception:
        return
    time.sleep(0.2)
    code = d.keysym_to_keycode(XK.string_to_keysym("Return"))
    xtest.fake_input(d, X.KeyPress, code)
    xtest.fake_input(d, X.KeyRelease, code)
    d.sync()


def find_editor(d, title, timeout, dismiss, need_editor=True, depth=2):
    """Waits for the editor; dialogs whose title matches `dismiss` that show
    up meanwhile are answered with Return."""
    pattern = re.compile(title)
    dialog = re.compile(dismiss) if dismiss is not None else None
    answered = {}
    end = time.time() + timeout
    while time.time() < end:
        for top in top_levels(d):
            name = window_title(d, top)
            if pattern.search(name) and not need_editor:
                return top, None
            if pattern.search(name):
                found = deepest_editor(d, top)
                if found and found[0] >= depth:
                    return top, found[1]
            elif dialog and dialog.fullmatch(name) and time.time() - answered.get(top.id, 0) > 2:
                answered[top.id] = time.time()
                press_return(d, top)
        time.sleep(0.25)
    return None, None


def origin(d, w):
    t = w.translate_coords(d.screen().root, 0, 0)
    return -t.x, -t.y


def grab(w, region):
    x, y, width, height = region
    return w.get_image(x, y, width, height, X.ZPixmap, 0xFFFFFFFF).data


def pointer(d, x, y):
    xtest.fake_input(d, X.MotionNotify, x=x, y=y)
    d.sync()


def button(d, press):
    xtest.fake_input(d, X.ButtonPress if press else X.ButtonRelease, 1)
    d.sync()


def changed_within(d, w, region, before, seconds):
    """Whether the region differs from `before` within `seconds` (the host
    repaints the editor on its own idle timer)."""
    end = time.time() + seconds
    while True:
        now = grab(w, region)
        if now != before:
            return True
        if time.time() >= end:
            return False
        time.sleep(0.05)


def drag(d, editor, step_sign):
    ox, oy = origin(d, editor)
    x, y = ox + DIAL_CENTRE[0], oy + DIAL_CENTRE[1]
    pointer(d, x, y)
    time.sleep(0.15)
    button(d, True)
    time.sleep(0.15)
    # A hand moves in many small steps; the host idles the editor meanwhile.
    for i in range(1, 13):
        pointer(d, x, y - step_sign * 3 * i)
        time.sleep(0.04)
    time.sleep(0.1)
    button(d, False)


def held_click(d, editor):
    ox, oy = origin(d, editor)
    pointer(d, ox + BUTTON_CENTRE[0], oy + BUTTON_CENTRE[1])
    time.sleep(0.15)
    button(d, True)
    time.sleep(0.25)
    button(d, False)


def main():
    ap = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    ap.add_argument("--title", required=True, help="regular expression for the host's editor window title")
    ap.add_argument("--tries", type=int, default=4, help="drags and clicks, each (default 4)")
    ap.add_argument("--timeout", type=float, default=60, help="seconds to wait for the editor (default 60)")
    ap.add_argument("--label", default="host", help="name printed with each result")
    ap.add_argument("--answer-only", action="store_true",
                    help="only wait for a window titled --title, answering dialogs meanwhile")
    ap.add_argument("--depth", type=int, default=2,
                    help="the editor lies this deep under the top-level window at least (default 2)")
    ap.add_argument("--dismiss", help="answer dialogs with a title matching this (whole) expression with Return")
    args = ap.parse_args()

    d = display.Display()
    if not d.has_extension("XTEST"):
        print(f"{args.label}: the X server has no XTest", file=sys.stderr)
        return 2
    if args.answer_only:
        top, _ = find_editor(d, args.title, args.timeout, args.dismiss, need_editor=False)
        return 0 if top is not None else 2
    top, editor = find_editor(d, args.title, args.timeout, args.dismiss, depth=args.depth)
    if editor is None:
        print(f"{args.label}: no editor window under a window titled /{args.title}/", file=sys.stderr)
        return 2
    g = editor.get_geometry()
    print(f"{args.label}: editor 0x{editor.id:x} ({g.width}x{g.height}) in '{window_title(d, top)}'")
    time.sleep(0.5)

    drags = clicks = 0
    for i in range(args.tries):
        before = grab(editor, DIAL_REGION)
        # Up, then down: the dial never sits at an end of its range.
        drag(d, editor, 1 if i % 2 == 0 else -1)
        moved = changed_within(d, editor, DIAL_REGION, before, 1.5)
        drags += moved
        print(f"{args.label}: drag {i + 1}: {'moved' if moved else 'DID NOT MOVE'}")
    for i in range(args.tries):
        before = grab(editor, PANELS_REGION)
        held_click(d, editor)
        moved = changed_within(d, editor, PANELS_REGION, before, 1.5)
        clicks += moved
        print(f"{args.label}: held click {i + 1} on Full Random: {'changed the dials' if moved else 'CHANGED NOTHING'}")
    print(f"{args.label}: {drags} of {args.tries} drags moved the dial, "
          f"{clicks} of {args.tries} clicks changed the dials")
    return 0 if drags == args.tries and clicks == args.tries else 1


if __name__ == "__main__":
    sys.exit(main())
