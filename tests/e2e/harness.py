"""The end-to-end harness: Wine prefixes with the demo installation, a private
X server, the program started and driven with xdotool, its windows read back
with window_probe.exe, the clipboard with xclip, screenshots with import.

Everything started here is recorded and ended by process id (or, for a
wineserver, with `wineserver -k` on a prefix of our own)."""

import fcntl
import os
import re
import subprocess
import time
from pathlib import Path

SOURCE = Path(os.environ.get("Q8_SOURCE_DIR", Path(__file__).resolve().parents[2]))
BIN = Path(os.environ.get("Q8_BIN_DIR", SOURCE / "build" / "bin"))
WINE_DIR = Path(os.environ.get("Q8_WINE_DIR", BIN.parent / "wine"))
ARTIFACTS = Path(os.environ.get("Q8_ARTIFACT_DIR", BIN.parent / "artifacts" / "e2e"))
SHORT_VERSION = os.environ.get("Q8_SHORT_VERSION", "")
TITLE = "Q8 Diagnostics Tool"


class Failure(AssertionError):
    pass


def log(text):
    print(f"[e2e] {text}", flush=True)


def wait_for(what, condition, timeout=20.0, interval=0.1):
    """Polls condition() until it returns something true; its value is returned.
    A bounded wait: on timeout the test fails and says what it waited for."""
    end = time.monotonic() + timeout
    while True:
        value = condition()
        if value:
            return value
        if time.monotonic() > end:
            raise Failure(f"timed out after {timeout:.0f} s waiting for {what}")
        time.sleep(interval)


def base_env():
    env = dict(os.environ)
    env["WINEDEBUG"] = "-all"
    # No Mono/Gecko dialogs; no winemenubuilder writing menu entries into
    # the Unix home when a shortcut is saved.
    env["WINEDLLOVERRIDES"] = "mscoree,mshtml,winemenubuilder.exe="
    # The program must see the variable of the prefix's system environment,
    # never one that happens to be set in the calling shell.
    env.pop("ZQT_PLUGIN_PATH", None)
    env.pop("WINEARCH", None)
    # The simulated receiver library: two receivers, the second with its IF2
    # synthesiser not locked (as in scripts/demo).
    env.setdefault("Q8SIM_RECEIVERS", "2")
    env.setdefault("Q8SIM_LOCK", "3,1")
    return env


def shell_lib(command, env=None):
    """Runs a function of scripts/lib/env.sh (prefix creation and copies)."""
    subprocess.run(["bash", "-c", f". '{SOURCE}/scripts/lib/env.sh' && {command}"],
                   env=env or base_env(), check=True)


class Session:
    """The things one test group starts: an X server, wineservers, programs."""

    def __init__(self):
        self.processes = []
        self.servers = []
        self.display = None

    def start_x(self):
        # Xvfb picks a free display itself and names it on the pipe: two
        # groups started side by side never share one.
        read, write = os.pipe()
        xvfb = subprocess.Popen(["Xvfb", "-displayfd", str(write), "-screen", "0", "1024x768x24",
                                 "-nolisten", "tcp"], pass_fds=(write,),
                                stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        os.close(write)
        self.processes.append(xvfb)
        with os.fdopen(read) as pipe:
            number = pipe.readline().strip()
        if not number:
            raise Failure("Xvfb did not start")
        self.display = f":{number}"
        log(f"Xvfb on {self.display}")

    def wine_server(self, prefix, env):
        # env carries the display: Wine's desktop process, started here with
        # the first program, serves every later window of the prefix.
        subprocess.run(["wineserver", "-p"], env=env, check=False)
        self.servers.append(prefix)
        # Wine's own system processes start with the first program; start them
        # here, detached from any pipe the tests read.
        subprocess.run(["wine", "cmd.exe", "/c", "exit"], env=env, stdin=subprocess.DEVNULL,
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, check=False)

    def close(self):
        for process in reversed(self.processes):
            if process.poll() is None:
                process.kill()
                try:
                    process.wait(5)
                except subprocess.TimeoutExpired:
                    pass
        for prefix in self.servers:
            env = base_env()
            env["WINEPREFIX"] = str(prefix)
            subprocess.run(["wineserver", "-k"], env=env, check=False,
                           stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)


# --- Prefixes with the demo installation ------------------------------------------

def demo_prefix(arch, mismatch=False):
    """build/wine/e2e-demo-<arch>: the test prefix of that architecture with the
    receiver software installed by scripts/demo-install, made once."""
    base = WINE_DIR / arch
    shell_lib(f"q8_prefix '{base}' {arch}")
    target = WINE_DIR / f"e2e-demo-{arch}"
    marker = target / ".q8-e2e-demo"
    # The groups run side by side: the first one installs, the others wait.
    with open(f"{target}.lock", "w") as lock:
        fcntl.flock(lock, fcntl.LOCK_EX)
        if not marker.exists():
            log(f"installing the demo receiver software into {target}")
            # The base prefix may be in use by other tests (its wineserver
            # kept alive by scripts/test): copied as it is, never waited for.
            shell_lib(f"q8_prefix_link_copy '{base}' '{target}' && q8_prefix_isolate '{target}'")
            env = base_env()
            env["WINEPREFIX"] = str(target)
            subprocess.run([str(SOURCE / "scripts" / "demo-install"), str(BIN)], env=env, check=True,
                           stdout=subprocess.DEVNULL)
            subprocess.run(["wineserver", "-w"], env=env, check=False)
            marker.touch()
    return target


def run_prefix(arch, name, version=None):
    """A fresh prefix of our own for one test, copied from the demo installation
    (cheap: the system libraries are hard links).  With a version, the copy is
    made from the version copy of the demo prefix, which the wrapper's helper
    makes once."""
    base = demo_prefix(arch)
    if version:
        versioned = Path(f"{base}-{version}")
        shell_lib(f"q8_prefix_with_version '{base}' '{versioned}' {version}")
        base = versioned
    target = WINE_DIR / f"e2e-run-{name}"
    shell_lib(f"q8_prefix_link_copy '{base}' '{target}' && q8_prefix_isolate '{target}'")
    return target


class Wine:
    """Programs in one prefix, on the session's display."""

    def __init__(self, session, prefix):
        self.session = session
        self.prefix = Path(prefix)
        self.env = base_env()
        self.env["WINEPREFIX"] = str(prefix)
        if session.display:
            self.env["DISPLAY"] = session.display
        else:
            self.env.pop("DISPLAY", None)
        session.wine_server(self.prefix, self.env)

    def run(self, *args, timeout=120, input=None):
        return subprocess.run(["wine", *map(str, args)], env=self.env, capture_output=True,
                              timeout=timeout, input=input)

    def start(self, *args):
        process = subprocess.Popen(["wine", *map(str, args)], env=self.env, stdin=subprocess.DEVNULL,
                                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        self.session.processes.append(process)
        return process

    def unix_path(self, windows_path):
        """C:\\x\\y -> the file in the prefix (drive C only)."""
        assert windows_path[1:3] == ":\\", windows_path
        drive = self.prefix / "dosdevices" / (windows_path[0].lower() + ":")
        return drive.joinpath(*[p for p in windows_path[3:].split("\\") if p])

    def folder(self, name):
        """A folder as Windows reports it (documents, programfiles, ...),
        asked through the demo installer's helper."""
        result = self.run(BIN / "demo" / "demo-setup.exe", "folders")
        for line in result.stdout.decode("latin-1").splitlines():
            key, _, value = line.strip().partition("=")
            if key == name:
                return value
        raise Failure(f"the prefix reports no {name} folder")

    def reg_query(self, key, value):
        result = self.run("reg", "query", key, "/v", value)
        if result.returncode != 0:
            return None
        for line in result.stdout.decode("latin-1").splitlines():
            parts = line.strip().split(None, 2)
            if len(parts) >= 2 and parts[0].lower() == value.lower():
                return parts[2] if len(parts) == 3 else ""
        return None

    def reg_set(self, key, value, data):
        self.run("reg", "add", key, "/v", value, "/d", data, "/f").check_returncode()

    def reg_delete(self, key, value):
        self.run("reg", "delete", key, "/v", value, "/f")

    # --- the probe ---

    def windows(self):
        """The program's windows: a Snapshot, or None when it has none yet."""
        result = self.run(BIN / "window_probe.exe", "dump", TITLE, timeout=30)
        if result.returncode != 0:
            return None
        return Snapshot(result.stdout.decode("latin-1"))

    def text(self, handle):
        """The whole text of a control, or None while the program is busy."""
        result = self.run(BIN / "window_probe.exe", "text", hex(handle), timeout=30)
        if result.returncode != 0:
            return None
        return result.stdout.decode("latin-1")

    def move(self, handle, x, y):
        self.run(BIN / "window_probe.exe", "move", hex(handle), x, y).check_returncode()

    def close_box(self, handle):
        self.run(BIN / "window_probe.exe", "closebox", hex(handle))

    def close_window(self, handle):
        self.run(BIN / "window_probe.exe", "close", hex(handle))


def unescape(text):
    return re.sub(r"\\(.)", lambda m: {"r": "\r", "n": "\n", "t": "\t"}.get(m.group(1), m.group(1)), text)


class Win:
    def __init__(self, fields):
        depth, handle, parent, cls, style, visible, enabled, frame, client, title = fields
        self.depth = int(depth)
        self.handle = int(handle, 16)
        self.parent = int(parent, 16)
        self.cls = cls
        self.style = int(style, 16)
        self.visible = visible == "1"
        self.enabled = enabled == "1"
        self.frame = tuple(map(int, frame.split()))
        self.client = tuple(map(int, client.split()))
        self.title = unescape(title)
        self.children = []

    def centre(self):
        left, top, right, bottom = self.frame
        return (left + right) // 2, (top + bottom) // 2

    def find(self, predicate):
        for child in self.children:
            if predicate(child):
                return child
            found = child.find(predicate)
            if found:
                return found
        return None

    def __repr__(self):
        return f"<{self.cls} {self.handle:#x} {self.title!r} {self.frame}>"


class Snapshot:
    def __init__(self, text):
        lines = text.splitlines()
        head = lines[0].split()
        self.focus = int(head[1], 16)
        self.active = int(head[3], 16)
        self.foreground = int(head[5], 16)
        self.top = []
        stack = []
        for line in lines[1:]:
            window = Win(line.split("\t"))
            del stack[window.depth:]
            if stack:
                stack[-1].children.append(window)
            else:
                self.top.append(window)
            stack.append(window)

    def top_level(self, title, visible=None):
        for window in self.top:
            if window.title == title and (visible is None or window.visible == visible):
                return window
        return None

    @property
    def main(self):
        return self.top_level(TITLE)


# --- the X side -------------------------------------------------------------------

def xdotool(session, *args):
    subprocess.run(["xdotool", *map(str, args)], env={**os.environ, "DISPLAY": session.display},
                   check=True)


def click(session, point):
    xdotool(session, "mousemove", point[0], point[1], "click", "1")


def key(session, *keys):
    xdotool(session, "key", *keys)


def type_text(session, text):
    xdotool(session, "type", "--delay", "20", text)


def clipboard(session):
    result = subprocess.run(["xclip", "-o", "-selection", "clipboard"], capture_output=True,
                            env={**os.environ, "DISPLAY": session.display}, timeout=10)
    return result.stdout.decode("latin-1") if result.returncode == 0 else None


def set_clipboard(session, text):
    # xclip stays in the background to serve the selection; it ends by itself
    # when Wine takes the clipboard over.
    subprocess.run(["xclip", "-i", "-selection", "clipboard"], input=text.encode(),
                   env={**os.environ, "DISPLAY": session.display}, check=True,
                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)


def differing_pixels(session, rect_a, rect_b):
    """How many pixels of two equally sized screen areas differ."""
    shot = subprocess.run(["import", "-window", "root", "png:-"], capture_output=True, check=True,
                          env={**os.environ, "DISPLAY": session.display}).stdout
    # Both areas cut from one screenshot, compared pixel by pixel.
    result = subprocess.run(["convert", "png:-", "-write", "mpr:shot", "+delete",
                             "(", "mpr:shot", "-crop", crop_geometry(rect_a), "+repage", ")",
                             "(", "mpr:shot", "-crop", crop_geometry(rect_b), "+repage", ")",
                             "-metric", "AE", "-compare", "-format", "%[distortion]", "info:"],
                            input=shot, capture_output=True)
    text = (result.stdout or result.stderr).decode().strip()
    return int(float(text.split()[0]))


def crop_geometry(rect):
    left, top, right, bottom = rect
    return f"{right - left}x{bottom - top}+{left}+{top}"


def screenshot(session, name, rect=None):
    ARTIFACTS.mkdir(parents=True, exist_ok=True)
    path = ARTIFACTS / name
    # The pointer off the windows (no tooltip over the picture) and back: with
    # no window manager the X keyboard focus follows the pointer, so the keys
    # typed next must find it over the program again.
    where = subprocess.run(["xdotool", "getmouselocation", "--shell"], capture_output=True, text=True,
                           env={**os.environ, "DISPLAY": session.display}).stdout
    x, y = (re.search(rf"^{axis}=(\d+)$", where, re.M).group(1) for axis in "XY")
    xdotool(session, "mousemove", 1020, 764)
    time.sleep(0.3)
    args = ["import", "-window", "root"]
    if rect:
        left, top, right, bottom = rect
        args += ["-crop", f"{right - left}x{bottom - top}+{left}+{top}", "+repage"]
    subprocess.run(args + [str(path)], env={**os.environ, "DISPLAY": session.display}, check=True)
    xdotool(session, "mousemove", x, y)
    log(f"screenshot {path}")
    return path
