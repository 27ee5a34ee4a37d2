#!/usr/bin/python3
"""What a screen reader finds in every window of the desktop tool.

Runs inside its own session bus (dbus-run-session) with the accessibility
bus launched, starts `kerfel PHOTO.jpg` in the language given, and walks the
accessible tree of the main window, the Help menu, the about box, the folder
picker, the message boxes of a job and the preview, working the tool only
through what the tree offers (the buttons' "click" actions). Every wait is
for a state of the tree, with a long deadline; nothing waits for a time.

    dbus-run-session -- tests/a11y/accessible_tree_test.py --kerfel build/kerfel --lang deu
"""
import argparse
import os
import subprocess
import sys
import tempfile
import time

DEADLINE = 120  # seconds; only a broken tool comes near it


def fail(message):
    print("FAIL: " + message, file=sys.stderr)
    sys.exit(1)


def wait_for(what, probe, deadline=DEADLINE):
    end = time.monotonic() + deadline
    while time.monotonic() < end:
        try:
            found = probe()
        except Exception:  # objects go away while a window closes
            found = None
        if found:
            return found
        time.sleep(0.05)
    fail("never happened: " + what)


def start_accessibility_bus():
    launcher = subprocess.Popen(["/usr/libexec/at-spi-bus-launcher", "--launch-immediately"])
    ask = ["dbus-send", "--session", "--print-reply", "--dest=org.a11y.Bus", "/org/a11y/bus",
           "org.a11y.Bus.GetAddress"]
    wait_for("the accessibility bus",
             lambda: subprocess.run(ask, capture_output=True).returncode == 0)
    return launcher


def language_texts(folder, lang):
    """KEY=value lines of a language file (UTF-16, little-endian)."""
    texts = {}
    with open(os.path.join(folder, lang + ".txt"), encoding="utf-16-le") as f:
        for line in f.read().splitlines():
            key, sep, value = line.partition("=")
            if sep:
                texts[key.strip()] = value
    return texts


def spoken(caption):
    """A caption as a reader says it: no mnemonic mark, single spaces."""
    out, i = [], 0
    while i < len(caption):
        c = caption[i]
        if c == "&":
            if caption[i + 1:i + 2] != "&":
                i += 1
                continue
            i += 1
        out.append(c)
        i += 1
    return " ".join("".join(out).split())


def field_name(label):
    return spoken(label).rstrip(": ")


class Tree:
    def __init__(self, pyatspi, pid):
        self.at = pyatspi
        self.pid = pid

    def app(self):
        for app in self.at.Registry.getDesktop(0):
            if app is not None and app.get_process_id() == self.pid:
                return app
        return None

    def windows(self):
        app = self.app()
        return [w for w in app if w is not None and self.showing(w)] if app else []

    def window_named(self, name):
        return wait_for("a window named %r" % name,
                        lambda: next((w for w in self.windows() if w.name == name), None))

    def window_holding(self, role, name):
        return wait_for("a window holding %s %r" % (role, name),
                        lambda: next((w for w in self.windows() if self.find(w, role, name)), None))

    def showing(self, acc):
        return acc.getState().contains(self.at.STATE_SHOWING)

    def walk(self, acc):
        for child in acc:
            if child is None:
                continue
            yield child
            yield from self.walk(child)

    def all(self, window, role):
        return [a for a in self.walk(window) if a.getRole() == role and self.showing(a)]

    def find(self, window, role, name):
        return next((a for a in self.all(window, role) if a.name == name), None)

    def get(self, window, role, name):
        return wait_for("%s %r in %r" % (role, name, window.name),
                        lambda: self.find(window, role, name))

    def has(self, acc, state):
        return acc.getState().contains(state)

    def click(self, acc):
        action = acc.queryAction()
        names = [action.getName(i) for i in range(action.nActions)]
        if "click" not in names:
            fail("%r offers no click action (%s)" % (acc.name, names))
        action.doAction(names.index("click"))

    def labelled_by(self, acc):
        for relation in acc.getRelationSet():
            if relation.getRelationType() == self.at.RELATION_LABELLED_BY:
                return [relation.getTarget(i) for i in range(relation.getNTargets())]
        return []


def focus_faults(tree, window):
    at = tree.at
    faults = []
    for acc in tree.walk(window):
        if not tree.showing(acc) or not tree.has(acc, at.STATE_FOCUSABLE):
            continue
        role = acc.getRole()
        if role in (at.ROLE_LABEL, at.ROLE_STATUS_BAR, at.ROLE_IMAGE, at.ROLE_ICON):
            faults.append("%s %r in %r takes focus" % (acc.getRoleName(), acc.name, window.name))
        elif not acc.name and role != at.ROLE_DOCUMENT_WEB:
            faults.append("a nameless %s in %r takes focus" % (acc.getRoleName(), window.name))
    return faults


def check_focus_stops(tree, window):
    """Only named controls take the keyboard; labels and pictures never do.
    A window settles its widgets after it is first shown, and the tree follows
    a moment later: wait until it has settled before judging it."""
    last = []

    def settled():
        last[:] = focus_faults(tree, window)
        return not last

    end = time.monotonic() + DEADLINE
    while time.monotonic() < end:
        try:
            if settled():
                return
        except Exception:
            pass
        time.sleep(0.05)
    fail("; ".join(last) or "the tree of %r never settled" % window.name)


def check_field(tree, window, role, label_text):
    at = tree.at
    name = field_name(label_text)
    field = tree.get(window, role, name)
    labels = tree.labelled_by(field)
    if not any(l.getRole() == at.ROLE_LABEL and l.name == spoken(label_text) for l in labels):
        fail("%r is not labelled by its label %r" % (name, spoken(label_text)))


def check_main_window(tree, t, photo_name):
    at = tree.at
    window = tree.window_holding(at.ROLE_PUSH_BUTTON, spoken(t["KERFELDIALOG.IDC_BBROWSEFILE"]))
    for key in ("IDC_BBROWSEFILE", "IDC_BBROWSEFOLDER", "IDC_BGENERATE", "IDC_BBRBGMUSIC", "IDC_BQUES"):
        button = tree.get(window, at.ROLE_PUSH_BUTTON, spoken(t["KERFELDIALOG." + key]))
        if not tree.has(button, at.STATE_SENSITIVE):
            fail("%r is disabled" % button.name)
    for key in ("IDC_BPERVIEW", "IDC_BSAVE"):
        button = tree.get(window, at.ROLE_PUSH_BUTTON, spoken(t["KERFELDIALOG." + key]))
        if tree.has(button, at.STATE_SENSITIVE) or tree.has(button, at.STATE_ENABLED):
            fail("%r is not disabled before a job" % button.name)
    # The symbol buttons of the title band are named by their tooltips.
    tree.get(window, at.ROLE_PUSH_BUTTON, spoken(t["KERFELDIALOG.TOOLTIPTEXT_IDC_BMIN"]))
    for key in ("IDC_LSELECTFILE", "IDC_LSELECTOUTFOLDER", "IDC_LBGMUSIC"):
        check_field(tree, window, at.ROLE_TEXT, t["KERFELDIALOG." + key])
    check_field(tree, window, at.ROLE_COMBO_BOX, t["KERFELDIALOG.IDC_LLEVELS"])
    for key in ("IDC_L_SMALLMAP", "IDC_L_NAVSCROLL", "IDC_L_ZOOMSLIDER", "IDC_L_CLICK2ZOOM"):
        check_field(tree, window, at.ROLE_CHECK_BOX, t["KERFELDIALOG." + key])
    tree.get(window, at.ROLE_IMAGE, photo_name)
    if not tree.all(window, at.ROLE_STATUS_BAR):
        fail("the main window has no status line")
    check_focus_stops(tree, window)
    return window


def check_help_menu_and_about(tree, t, main):
    at = tree.at
    tree.click(tree.get(main, at.ROLE_PUSH_BUTTON, spoken(t["KERFELDIALOG.IDC_BQUES"])))
    about_item = spoken(t["KERFELDIALOG.MENU.ID_HELP_ABOUT"])
    menu = tree.window_holding(at.ROLE_MENU_ITEM, about_item)
    tree.get(menu, at.ROLE_MENU_ITEM, spoken(t["KERFELDIALOG.MENU.ID_HELP_HELP"]))
    tree.click(tree.find(menu, at.ROLE_MENU_ITEM, about_item))
    about = tree.window_named(t["ABOUTDIALOG.WINDOWTEXT"])
    tree.get(about, at.ROLE_LABEL, spoken(t["ABOUTDIALOG.IDC_L_NAME"]))
    tree.get(about, at.ROLE_LABEL, spoken(t["ABOUTDIALOG.IDC_L_CPRT"]))
    check_focus_stops(tree, about)
    tree.click(tree.get(about, at.ROLE_PUSH_BUTTON, spoken(t["ABOUTDIALOG.IDOK"])))
    wait_for("the about box to close", lambda: about not in tree.windows())


def check_folder_picker(tree, t, main, selected):
    at = tree.at
    tree.click(tree.get(main, at.ROLE_PUSH_BUTTON, spoken(t["KERFELDIALOG.IDC_BBROWSEFOLDER"])))
    label = t["FOLDERDIALOG.IDC_LFOLDER"]
    picker = tree.window_holding(at.ROLE_TEXT, field_name(label))
    check_field(tree, picker, at.ROLE_TEXT, label)
    if not [a for a in tree.all(picker, at.ROLE_TREE) if a.name]:
        fail("the folder tree has no name")
    # Its folders are drawn, not objects: the tree tells the selected one.
    wait_for("the folder tree to tell its selected folder %r" % selected, lambda: [
        a for a in tree.all(picker, at.ROLE_TREE) if a.description == selected])
    check_focus_stops(tree, picker)
    # OK and Cancel are the desktop's own buttons, in the desktop's language.
    cancel = wait_for("the picker's Cancel button", lambda: next(
        (b for b in tree.all(picker, at.ROLE_PUSH_BUTTON) if b.name in ("Cancel", "Abbrechen")), None))
    tree.click(cancel)
    wait_for("the folder picker to close", lambda: picker not in tree.windows())


def answer_box(tree, caption, button_key, t):
    at = tree.at
    box = tree.window_named(caption)
    if box.getRole() != at.ROLE_ALERT:
        fail("the box %r is a %s, not an alert" % (caption, box.getRoleName()))
    if not [l for l in tree.all(box, at.ROLE_LABEL) if l.name]:
        fail("the box %r says nothing" % caption)
    check_focus_stops(tree, box)
    tree.click(tree.get(box, at.ROLE_PUSH_BUTTON, spoken(t[button_key])))
    wait_for("the box %r to close" % caption, lambda: box not in tree.windows())


def check_job_and_preview(tree, t, main):
    at = tree.at
    tree.click(tree.get(main, at.ROLE_PUSH_BUTTON, spoken(t["KERFELDIALOG.IDC_BGENERATE"])))
    answer_box(tree, t["KERFELDIALOG.ONBGENERATE.MESSAGEBOX2_CAPTION"], "MESSAGEBOX.IDYES", t)
    answer_box(tree, t["KERFELDIALOG.GENERATETAILS.MESSAGEBOX2_CAPTION"], "MESSAGEBOX.IDOK", t)
    preview_button = tree.get(main, at.ROLE_PUSH_BUTTON, spoken(t["KERFELDIALOG.IDC_BPERVIEW"]))
    wait_for("Preview to be enabled after the job", lambda: tree.has(preview_button, at.STATE_SENSITIVE))
    tree.click(preview_button)
    close = spoken(t["PREVIEWDIALOG.IDCANCEL"])
    preview = tree.window_holding(at.ROLE_PUSH_BUTTON, close)
    check_focus_stops(tree, preview)
    tree.click(tree.get(preview, at.ROLE_PUSH_BUTTON, close))
    wait_for("the preview to close", lambda: preview not in tree.windows())


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--kerfel", required=True)
    parser.add_argument("--lang", required=True)
    args = parser.parse_args()
    kerfel = os.path.abspath(args.kerfel)
    language_folder = os.path.join(os.path.dirname(kerfel), "LanguageFiles")
    t = language_texts(language_folder, args.lang)

    launcher = start_accessibility_bus()
    import pyatspi  # after the bus is up: it connects on import

    with tempfile.TemporaryDirectory(prefix="kerfel-a11y-") as tmp:
        out = os.path.join(tmp, "out")
        os.makedirs(out)
        settings = os.path.join(tmp, "config", "Lorvak Image Kerfel")
        os.makedirs(settings)
        with open(os.path.join(settings, "settings.ini"), "w", encoding="utf-8") as f:
            f.write("Language=%s\nOutputPath=%s\n" % (os.path.join(language_folder, args.lang + ".txt"), out))
        photo = os.path.join(tmp, "Straße am Meer.jpg")
        subprocess.run(["convert", "-size", "700x500", "plasma:fractal", "-seed", "7", photo], check=True)
        env = dict(os.environ, XDG_CONFIG_HOME=os.path.join(tmp, "config"), XDG_DATA_HOME=os.path.join(tmp, "data"),
                   GSETTINGS_BACKEND="memory")
        env.pop("NO_AT_BRIDGE", None)
        tool = subprocess.Popen([kerfel, photo], env=env)
        try:
            tree = Tree(pyatspi, tool.pid)
            main_window = check_main_window(tree, t, os.path.basename(photo))
            check_help_menu_and_about(tree, t, main_window)
            check_folder_picker(tree, t, main_window, os.path.basename(out))
            check_job_and_preview(tree, t, main_window)
        finally:
            tool.kill()
            tool.wait()
            launcher.terminate()
    print("accessible tree in %s: ok" % args.lang)


if __name__ == "__main__":
    main()
