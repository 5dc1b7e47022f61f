#!/usr/bin/python3
"""End-to-end tests of Q8diag.exe, as a user and a support engineer meet it.

    e2e.py window      the main window driven with mouse and keyboard: report,
                       copy, save dialog, repair, about, help, Tab, resizing,
                       the log file; silent mode and the export
    e2e.py windows32   every 32-bit Windows version Wine emulates: silent
                       report, OS lines, the repair's way of setting the variable
    e2e.py windows64   the same as a 32-bit process on 64-bit Windows (WoW64)

Each group runs in prefixes of its own, copied from the demo installation
(scripts/demo-install), on an X server of its own.  Screenshots go to
build/artifacts/e2e/."""

import re
import sys
import time
import traceback

sys.dont_write_bytecode = True  # no __pycache__ in the source tree
import harness as h  # noqa: E402
from expected import HELP_TEXT, OS_LINES  # noqa: E402
from harness import Failure  # noqa: E402

SEPARATOR = "------------- details follow ----------------"
# Section headings every report of the demo installation has, in order.
HEADINGS = ["OS details:", "Processor details:", "Disks:", "Memory:", "Paths", "Installation directories:",
            "System files found:", "Shared files:", "Application data:", "User data:", "System mixers:",
            "Searching for receivers:", "ACM system"]
TIME_LINE = re.compile(r"\r\n\r\nReport generating time: \d+\.\d{3}\r\n\Z")
BUTTONS = ["Get\nInfo", "ZQT\nrepair", "Copy\nreport", "Save\nreport", "About", "Help"]
ENV_KEY = r"HKLM\System\CurrentControlSet\Control\Session Manager\Environment"
ZQT_KEY = r"HKLM\Software\ZQT"


def check(condition, message):
    if not condition:
        raise Failure(message)


def equal(actual, expected, what):
    if actual != expected:
        raise Failure(f"{what}:\n  expected {expected!r}\n  actual   {actual!r}")


class Steps:
    """Named steps run in order; a failed step is reported and the next runs,
    unless it left the program unusable (then the group stops)."""

    def __init__(self):
        self.failed = []

    def run(self, name, function, *args):
        h.log(f"--- {name}")
        start = time.monotonic()
        try:
            function(*args)
            h.log(f"    ok ({time.monotonic() - start:.1f} s)")
            return True
        except Exception as error:  # noqa: BLE001: every failure is reported
            h.log(f"    FAILED: {error}")
            if not isinstance(error, Failure):
                traceback.print_exc()
            self.failed.append(name)
            return False


# --- the running program --------------------------------------------------------------

class Program:
    """One interactive Q8diag.exe and what the tests know about its windows."""

    def __init__(self, wine, *args):
        self.wine = wine
        self.session = wine.session
        self.process = wine.start(h.BIN / "Q8diag.exe", *args)
        snapshot = h.wait_for("the main window", self.visible_main, 60)
        self.main = snapshot.main.handle
        self.memo = snapshot.main.find(lambda w: w.cls.lower() == "edit").handle

    def visible_main(self):
        # Visible from its creation on; complete once the memo is there.
        snapshot = self.wine.windows()
        ready = snapshot and snapshot.main and snapshot.main.visible and \
            snapshot.main.find(lambda w: w.cls.lower() == "edit")
        return snapshot if ready else None

    def snapshot(self):
        return h.wait_for("the program's windows", self.wine.windows, 20)

    def button(self, snapshot, index):
        found = snapshot.main.find(lambda w: w.title == BUTTONS[index])
        check(found is not None, f"no button {BUTTONS[index]!r}")
        return found

    def click_button(self, index):
        h.click(self.session, self.button(self.snapshot(), index).centre())

    def memo_text(self):
        return self.wine.text(self.memo)

    def wait_memo(self, what, predicate, timeout=120):
        def ready():
            text = self.memo_text()
            return text if text is not None and predicate(text) else None
        return h.wait_for(what, ready, timeout, 0.25)

    def report(self):
        """Get Info, and the memo text once the time line is there."""
        self.click_button(0)
        return self.wait_memo("the report's time line", lambda t: TIME_LINE.search(t))

    def focus_title(self):
        snapshot = self.snapshot()
        for window in walk(snapshot.top):
            if window.handle == snapshot.focus:
                return window.title if window.handle != self.memo else "memo"
        return None

    def close(self):
        self.wine.close_window(self.main)
        return h.wait_for("the program to end", lambda: self.process.poll() is not None, 30) and \
            self.process.returncode


def walk(windows):
    for window in windows:
        yield window
        yield from walk(window.children)


def memo_lines(text):
    check(text.endswith("\r\n"), "the memo text does not end in a line break")
    return text[:-2].split("\r\n")


def details_of(report):
    """The detail lines of a rendered report: after the separator, before the
    empty line and the time line."""
    lines = memo_lines(report)
    return lines[lines.index(SEPARATOR) + 1:-2]


# --- group: the main window --------------------------------------------------------

def group_window(steps):
    session = h.Session()
    try:
        session.start_x()
        wine = h.Wine(session, h.run_prefix("win32", "window"))
        mismatched_paths(wine)
        documents = wine.folder("documents")
        log_file = wine.unix_path(documents + "\\Q8diag.txt")
        log_file.parent.mkdir(parents=True, exist_ok=True)
        log_file.write_bytes(b"a log file of an earlier run\r\n")
        state = {}

        def start():
            state["program"] = Program(wine)
            h.wait_for("the old log file to be deleted", lambda: not log_file.exists(), 10)

        if not steps.run("start: window, old log file deleted", start):
            return
        program = state["program"]
        steps.run("before the first report", window_before_report, program)
        steps.run("Tab before the first report", tab_order, program,
                  ["About", "Help", "memo", BUTTONS[0]])
        steps.run("get info: rendered report, buttons enabled", first_report, program, state)
        steps.run("Tab after a report", tab_order, program,
                  BUTTONS[1:] + ["memo", BUTTONS[0]])
        steps.run("copy report: clipboard holds the memo text", copy_report, program)
        steps.run("focus frame only on the focused button", focus_frame, program)
        steps.run("save report: real dialog, name without extension", save_report, program, "report1")
        steps.run("second get info: only the second report, log holds both", second_report, program,
                  state, log_file)
        steps.run("ZQT repair: memo shows only the repair's messages", repair, program, state, log_file)
        steps.run("copy and save act on the repair's text", copy_and_save_repair, program)
        steps.run("about box: version, Escape and OK close it", about_box, program)
        steps.run("help window: text, close box, Close, Escape, position kept", help_window, program)
        steps.run("resizing: toolbar 40 high, memo fills the rest", resizing, program)
        steps.run("closing the window ends the program with 0", lambda: equal(program.close(), 0, "exit code"))
        steps.run("silent mode and the export", silent_modes, wine, log_file, state)
        steps.run("other arguments start the window", other_arguments, wine)
    finally:
        session.close()


def window_before_report(program):
    snapshot = program.snapshot()
    main = snapshot.main
    h.screenshot(program.session, "main-before-report.png", main.frame)
    equal(main.frame, (0, 0, 700, 400), "main window at (0, 0), 700 x 400")
    equal([program.button(snapshot, i).enabled for i in range(6)],
          [True, False, False, False, True, True], "enabled buttons at start")
    equal(program.focus_title(), BUTTONS[0], "focused control at start")
    equal(program.memo_text(), "", "memo at start")
    # Disabled buttons do nothing: the clipboard keeps its text, no dialog opens.
    h.set_clipboard(program.session, "untouched")
    program.click_button(2)
    program.click_button(3)
    time.sleep(0.5)
    equal(h.clipboard(program.session), "untouched", "clipboard after clicking the disabled Copy")
    check(program.snapshot().top_level("Save As") is None, "the disabled Save opened a dialog")


def tab_order(program, expected):
    """Tab through `expected` (ending where it started), then Shift+Tab back."""
    def moves(key, count):
        seen, current = [], program.focus_title()
        for _ in range(count):
            h.key(program.session, key)
            previous = current
            current = h.wait_for(f"{key} to move the focus from {previous!r}",
                                 lambda: (lambda t: t if t != previous else None)(program.focus_title()), 5)
            seen.append(current)
        return seen
    equal(moves("Tab", len(expected)), expected, "focus order with Tab")
    equal(moves("shift+Tab", len(expected)), list(reversed(expected[:-1])) + [expected[-1]],
          "focus order with Shift+Tab")


def first_report(program, state):
    program.click_button(0)
    # While it works, line 0 of the memo is the spinner line.
    report = program.wait_memo("the report's time line", lambda t: TIME_LINE.search(t))
    state["report1"] = report
    lines = memo_lines(report)
    equal(lines[0], f"Q8diag, ver.: {h.SHORT_VERSION}", "first memo line")
    summary = lines[1:lines.index("")]
    check("ZQT paths in the registry different from the variable !" in summary, f"summary block {summary}")
    check("      Q8 ##2: IF2 module is NOT locked  = FAILURE" in summary,
          f"the receiver that fails its lock test is not in the summary {summary}")
    equal(lines[len(summary) + 2], SEPARATOR, "separator after the summary and an empty line")
    snapshot = program.snapshot()
    h.screenshot(program.session, "main-after-report.png", snapshot.main.frame)
    equal([program.button(snapshot, i).enabled for i in range(6)], [True] * 6, "buttons after a report")
    details = details_of(report)
    for line in summary:
        check(line in details, f"summary line {line!r} not among the details")
    missing = [heading for heading in HEADINGS if heading not in details]
    check(not missing, f"no {missing} in the report")
    check("64bit files found:" not in details, "a 32-bit Windows report lists 64-bit files")


def copy_report(program):
    memo = program.memo_text()
    h.set_clipboard(program.session, "before copy")
    program.click_button(2)
    # X programs get text with LF line ends; Wine converts CR LF on the way out.
    copied = h.wait_for("the clipboard to change",
                        lambda: (lambda c: c if c not in (None, "before copy") else None)(
                            h.clipboard(program.session)), 10)
    equal(copied, memo.replace("\r\n", "\n"), "clipboard text")


def focus_frame(program):
    """The button that lost the focus to "Copy report" no longer shows the
    dotted focus frame: its edges look like those of "About", which never had
    the focus (the frame runs along the edges, the captions stay clear of them)."""
    program.click_button(2)
    h.wait_for("the focus on Copy", lambda: program.focus_title() == BUTTONS[2], 5)
    time.sleep(0.3)
    snapshot = program.snapshot()

    def edges(index):
        left, top, right, bottom = program.button(snapshot, index).frame
        return [(left, top, left + 4, bottom), (right - 4, top, right, bottom)]
    unfocused = edges(4)
    seen = [h.differing_pixels(program.session, a, b) for a, b in zip(edges(2), unfocused)]
    check(all(seen), f"no focus frame on the focused button ({seen} pixels differ)")
    stale = [h.differing_pixels(program.session, a, b) for a, b in zip(edges(0), unfocused)]
    equal(stale, [0, 0], "pixels of a focus frame left on Get Info")


def save_report(program, name):
    memo = program.memo_text()
    program.click_button(3)
    dialog = h.wait_for("the save dialog",
                        lambda: (lambda s: s.top_level("Save As", True) if s else None)(program.wine.windows()))
    check(any(w.title == "Text files" or w.cls == "ComboBox" for w in walk([dialog])), "no file type list")
    path = f"C:\\e2e-{name}"
    h.type_text(program.session, path)
    h.key(program.session, "Return")
    folder = program.wine.unix_path("C:\\")
    saved = h.wait_for("the saved file", lambda: [p for p in folder.iterdir()
                                                  if p.name.lower() == f"e2e-{name}.txt"], 10)
    equal(len(saved), 1, "files saved")
    check(saved[0].suffix.upper() == ".TXT", f"saved as {saved[0].name}")
    data = h.wait_for("the file's content", lambda: saved[0].read_bytes(), 5).decode("latin-1")
    check("\n" not in data.replace("\r\n", ""), "a line break other than CR LF in the saved file")
    check(not data.endswith("\r\n\r\n") or memo.endswith("\r\n\r\n"), "trailing empty line")
    equal(data, memo, "saved file")
    check(program.snapshot().top_level("Save As", True) is None, "the dialog stays open")
    return data


def second_report(program, state, log_file):
    report2 = program.report()
    lines = memo_lines(report2)
    equal(sum(line.startswith("Q8diag, ver.:") for line in lines), 1, "version lines in the memo")
    equal(sum(line.startswith("Report generating time:") for line in lines), 1, "time lines in the memo")
    equal(lines.count("OS details:"), 1, "reports in the memo")
    state["report2"] = report2
    expected = "".join(line + "\r\n" for line in details_of(state["report1"]) + details_of(report2))
    equal(log_file.read_bytes().decode("latin-1"), expected, "log file after two reports")


def repair(program, state, log_file):
    variable = program.wine.reg_query(ENV_KEY, "ZQT_PLUGIN_PATH")
    check(variable, "the demo installation has no plug-in variable")
    program.click_button(1)
    expected_memo = (f"ZQT plugins directory path set to {variable.upper()}\r\n"
                     "ZQT repair successful\r\n\r\n")
    memo = program.wait_memo("the repair's messages", lambda t: t.startswith("ZQT plugins"), 30)
    equal(memo, expected_memo, "memo after the repair")
    equal((program.wine.reg_query(ZQT_KEY, "SearchPath") or "").upper(), variable.upper(),
          "registry search path after the repair")
    repair_lines = ["ZQT repair\r\n", f"ZQT plugins directory path set to {variable.upper()}",
                    "ZQT repair successful", ""]
    expected_log = "".join(line + "\r\n" for line in details_of(state["report1"]) +
                           details_of(state["report2"]) + repair_lines)
    equal(log_file.read_bytes().decode("latin-1"), expected_log, "log file after the repair")


def copy_and_save_repair(program):
    memo = program.memo_text()
    check(memo.startswith("ZQT plugins"), "the memo no longer shows the repair")
    copy_report(program)
    save_report(program, "repair")


def about_box(program):
    for closing in ("Escape", "OK"):
        program.click_button(4)
        about = h.wait_for("the about box", lambda: program.snapshot().top_level("About", True), 10)
        label = [w for w in about.children if w.title.startswith("ZNQ8")]
        check(label, "no about text")
        lines = label[0].title.split("\n")
        equal(lines[:2], ["ZNQ8 Diagnostics Tool ", f"Version {h.SHORT_VERSION}"], "about text")
        equal(len(lines), 3, "lines of the about text")
        check(lines[2].strip(), "the third about line is empty")
        main = program.snapshot().main
        check(not main.enabled, "the main window takes input while the about box is open")
        centre = lambda r: ((r[0] + r[2]) // 2, (r[1] + r[3]) // 2)  # noqa: E731
        ax, ay = centre(about.frame)
        mx, my = centre(main.frame)
        check(abs(ax - mx) <= 1 and abs(ay - my) <= 1, f"about box {about.frame} not centred on {main.frame}")
        if closing == "Escape":
            h.screenshot(program.session, "about-box.png", about.frame)
            h.key(program.session, "Escape")
        else:
            ok = about.find(lambda w: w.title == "OK")
            h.click(program.session, ok.centre())
        h.wait_for(f"{closing} to close the about box",
                   lambda: (lambda s: s.top_level("About", True) is None and s.main.enabled)(program.snapshot()),
                   10)
        # The main window answers again at once: the next click is not lost.
        program.click_button(5)
        help_window = h.wait_for("Help after the about box",
                                 lambda: program.snapshot().top_level("Help", True), 10)
        program.wine.close_window(help_window.handle)
        h.wait_for("the help window to hide", lambda: program.snapshot().top_level("Help", True) is None, 10)


def help_window(program):
    def shown():
        return h.wait_for("the help window", lambda: program.snapshot().top_level("Help", True), 10)

    def hidden(how):
        h.wait_for(f"{how} to hide the help window",
                   lambda: program.snapshot().top_level("Help", True) is None, 10)
        check(program.snapshot().top_level("Help") is not None, f"{how} destroyed the help window")

    program.click_button(5)
    window = shown()
    memo = window.find(lambda w: w.cls.lower() == "edit")
    equal(program.wine.text(memo.handle), HELP_TEXT, "help text")
    h.screenshot(program.session, "help-window.png", window.frame)
    equal(window.frame[:2], (200, 50), "help window position")

    # "Help" again while it is open: the same window, where it is.
    program.click_button(5)
    time.sleep(0.5)
    equal([w.frame for w in program.snapshot().top if w.title == "Help"], [window.frame],
          "help windows after a second Help")
    # Not modal: the main window still copies its report.
    copy_report(program)

    # Moved, closed with the close box, shown again where it was.  Without a
    # window manager there is no caption to drag or close box to click: the
    # probe does what they do.
    program.wine.move(window.handle, 260, 90)
    moved = h.wait_for("the help window to move",
                       lambda: (lambda w: w if w.frame[:2] == (260, 90) else None)(shown()), 10)
    program.wine.close_box(moved.handle)
    hidden("the close box")
    program.click_button(5)
    equal(shown().frame, moved.frame, "help window shown again")
    equal(program.wine.text(memo.handle), HELP_TEXT, "help text shown again")

    close = shown().find(lambda w: w.title == "Close")
    check(close is not None, "no Close button")
    h.click(program.session, close.centre())
    hidden("Close")

    program.click_button(5)
    shown()
    h.wait_for("the help window to take the keyboard",
               lambda: (lambda s: s.active == s.top_level("Help", True).handle)(program.snapshot()), 10)
    h.key(program.session, "Escape")
    hidden("Escape")


def resizing(program):
    main = program.snapshot().main
    width, height = main.client[2] - main.client[0], main.client[3] - main.client[1]
    for size in ((width + 200, height + 150), (width - 100, height - 50)):
        # No window manager: the X window, which holds the client area, is
        # resized, and Wine follows with the Windows window.
        h.xdotool(program.session, "search", "--name", f"^{h.TITLE}$", "windowsize", *size)

        def layout():
            m = program.snapshot().main
            cl, ct, cr, cb = m.client
            toolbar = [w for w in m.children if w.handle != program.memo][0]
            memo = m.find(lambda w: w.handle == program.memo)
            return m, (cr - cl, cb - ct), toolbar.frame, memo.frame, (cl, ct, cr, cb)

        def laid_out():
            m, client, toolbar, memo, (cl, ct, cr, cb) = layout()
            return m if client == size and toolbar == (cl, ct, cr, ct + 40) and memo == (cl, ct + 40, cr, cb) \
                else None
        try:
            resized = h.wait_for(f"the layout of a {size} client area", laid_out, 10)
        except Failure:
            _, client, toolbar, memo, area = layout()
            raise Failure(f"client area {area} ({client}): toolbar {toolbar}, memo {memo}")
    h.screenshot(program.session, "main-resized.png", resized.frame)


# --- silent mode and the export ------------------------------------------------------

VOLATILE = re.compile(r"^(   Speed: |   free: |   swap: |[A-Z] \[hard disk\] : )")


def stable(lines):
    """Report lines without the ones that change from run to run."""
    return [line for line in lines if not VOLATILE.match(line)]


def mismatched_paths(wine):
    """The registry search path and the variable disagree: the report warns
    and the repair has something to do (its fourth case)."""
    h.subprocess.run([str(h.SOURCE / "scripts" / "demo-install"), "--mismatch", "--plugin-paths-only",
                      str(h.BIN)], env=wine.env, check=True, stdout=h.subprocess.DEVNULL)


def silent_modes(wine, log_file, state):
    # The settings the window's reports saw (the repair changed them).
    mismatched_paths(wine)
    log_file.write_bytes(b"old\r\n")
    result = wine.run(h.BIN / "Q8diag.exe", "silent")
    equal(result.returncode, 0, "exit code of Q8diag.exe silent")
    output = result.stdout.decode("latin-1")
    check(not log_file.exists(), "silent mode kept or wrote the log file")
    check("\n" not in output.replace("\r\n", ""), "a line break other than CR LF in the output")
    lines = output[:-2].split("\r\n")
    check(not any(line.startswith("Q8diag, ver.:") or line == SEPARATOR or
                  line.startswith("Report generating time") for line in lines),
          "silent output has the window's version line, separator or time line")
    equal(lines.count("Paths"), 1, "Paths headings")
    equal(lines.count("ZQT paths in the registry different from the variable !"), 1, "mismatch warnings")
    # Apart from the measured values, the silent report is the window's
    # detail text: summary lines once, in their place.
    silent = stable(lines)
    equal(silent, stable(details_of(state["report2"])), "silent report against the window's details")
    quoted = wine.run(h.BIN / "Q8diag.exe", "", "silent")  # wine quotes it: "" silent
    equal(quoted.returncode, 0, 'exit code of Q8diag.exe "" silent')
    equal(stable(quoted.stdout.decode("latin-1")[:-2].split("\r\n")), silent, '"" silent output')
    hosted = wine.run(h.BIN / "silent_host.exe", h.BIN / "Q8diag.exe")
    equal(hosted.returncode, 1, "result of _GenerateSilentReport@0 (host's exit code)")
    equal(stable(hosted.stdout.decode("latin-1")[:-2].split("\r\n")), silent, "export's output")


def other_arguments(wine):
    # Only a first argument of exactly "silent" selects silent mode.
    for arguments in (["report", "silent"], ["Silent"]):
        program = Program(wine, *arguments)
        equal(program.close(), 0, f"exit code of the window started with {arguments}")


# --- groups: every supported Windows ----------------------------------------------

def group_windows(steps, arch, versions):
    session = h.Session()
    try:
        session.start_x()
        for version in versions:
            wine = h.Wine(session, h.run_prefix(arch, f"{arch}-{version}", version))
            steps.run(f"{arch} {version}: silent report", silent_on, wine, arch, version)
            steps.run(f"{arch} {version}: repair sets the variable", repair_on, wine, arch, version)
    finally:
        session.close()


def silent_on(wine, arch, version):
    """The silent report completes on the demo installation."""
    wow64 = arch == "win64"
    result = wine.run(h.BIN / "Q8diag.exe", "silent")
    equal(result.returncode, 0, "exit code")
    text = result.stdout.decode("latin-1")
    lines = text[:-2].split("\r\n")
    h.ARTIFACTS.mkdir(parents=True, exist_ok=True)
    (h.ARTIFACTS / f"silent-{arch}-{version}.txt").write_bytes(result.stdout)
    version_line, os_line = OS_LINES[(arch, version)]
    start = lines.index("OS details:")
    equal(lines[start + 1:start + 3], [version_line, os_line], "OS lines")
    equal("64bit files found:" in lines, wow64, "a \"64bit files found:\" section")
    positions = [lines.index(heading) if heading in lines else -1 for heading in HEADINGS]
    check(-1 not in positions and positions == sorted(positions),
          f"sections missing or out of order: {dict(zip(HEADINGS, positions))}")
    for line in ("      Q8 ##1 WORKING OK", "      Q8 ##2: IF2 module is NOT locked  = FAILURE"):
        check(line in lines, f"no {line.strip()!r}: the receivers were not probed")
    if not wow64:
        # The demo's own check knows the 32-bit folders of the installation
        # (under WoW64 they are in "Program Files (x86)").
        check_demo = h.subprocess.run([str(h.SOURCE / "scripts" / "demo-check"),
                                       str(h.ARTIFACTS / f"silent-{arch}-{version}.txt")],
                                      capture_output=True, text=True)
        check(check_demo.returncode == 0, f"demo-check: {check_demo.stderr.strip()}")


def repair_on(wine, arch, version):
    """In the window, the repair with the variable missing (its second case)
    writes the variable into the start-up file on Windows 95 and 98 and into
    the registry's system environment elsewhere."""
    version_line, os_line = OS_LINES[(arch, version)]
    search_path = wine.reg_query(ZQT_KEY, "SearchPath")
    check(search_path, "no search path in the demo installation")
    wine.reg_delete(ENV_KEY, "ZQT_PLUGIN_PATH")
    autoexec = wine.unix_path("C:\\autoexec.bat")
    before = "REM e2e\r\nSET ZQT_PLUGIN_PATH=C:\\OLD\r\nSET PATH=C:\\WINDOWS\r\n"
    autoexec.write_bytes(before.encode())
    program = Program(wine)
    report = program.report()
    start = memo_lines(report).index("OS details:")
    equal(memo_lines(report)[start + 1:start + 3], [version_line, os_line], "OS lines in the window")
    program.click_button(1)
    registry_path = search_path.upper()
    memo = program.wait_memo("the repair's messages", lambda t: t.startswith("ZQT plugins"), 30)
    equal(memo, f"ZQT plugins directory path set to {registry_path}\r\nZQT repair successful\r\n\r\n\r\n",
          "memo after the repair")
    if version in ("win95", "win98"):
        equal(autoexec.read_bytes().decode("latin-1"),
              f"REM e2e\r\nSET PATH=C:\\WINDOWS\r\nSET ZQT_PLUGIN_PATH={registry_path}\r\n", "autoexec.bat")
        equal(wine.reg_query(ENV_KEY, "ZQT_PLUGIN_PATH"), None, "environment variable in the registry")
    else:
        equal(autoexec.read_bytes().decode("latin-1"), before, "autoexec.bat")
        equal(wine.reg_query(ENV_KEY, "ZQT_PLUGIN_PATH"), registry_path, "environment variable in the registry")
    equal(program.close(), 0, "exit code of the window")


def main():
    group = sys.argv[1] if len(sys.argv) > 1 else "window"
    steps = Steps()
    start = time.monotonic()
    if group == "window":
        group_window(steps)
    elif group == "windows32":
        group_windows(steps, "win32", ["win95", "win98", "nt40", "win2k", "winxp", "win2003", "vista", "win7"])
    elif group == "windows64":
        group_windows(steps, "win64", ["winxp64", "vista", "win7"])
    else:
        print(f"unknown group {group}", file=sys.stderr)
        return 2
    h.log(f"{group}: {len(steps.failed)} failed step(s) in {time.monotonic() - start:.0f} s")
    for name in steps.failed:
        h.log(f"    FAILED {name}")
    return 1 if steps.failed else 0


if __name__ == "__main__":
    sys.exit(main())
