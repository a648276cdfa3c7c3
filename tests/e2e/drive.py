#!/usr/bin/env python3
"""Runs SetupQuorvexPlenar.exe under Wine as a user would, scenario by scenario.

Each scenario of scenarios.py gets a fresh copy of the harness's prefix, is prepared
(registry values, planted files), starts the setup program from the folder it names,
works the pages with real clicks and keys on the virtual display (xdotool), reads the
screen with screen_probe.exe, and then checks what the machine holds with independent
readers: `wine reg query`, the host's view of drive C:, `lnkinfo`, `wine uninstaller
--list`. One line per scenario; the exit status is 1 when any scenario failed.

  drive.py --state DIR --setup EXE --dist DIR --probe EXE --out DIR [--winget DIR]
           [--core | --win32] [NAME-PART ...]
"""
import argparse
import os
import re
import shutil
import subprocess
import sys
import threading
import time
import zlib
from pathlib import Path

sys.dont_write_bytecode = True  # nothing written beside the sources
sys.path.insert(0, str(Path(__file__).resolve().parent))
import scenarios as S  # noqa: E402

sys.path.insert(0, str(Path(__file__).resolve().parents[1] / "support"))
import winebed  # noqa: E402


class Failure(Exception):
    pass


def slug(text):
    return re.sub(r"[^a-z0-9]+", "-", text.lower()).strip("-")[:100]


def xdotool(env, *args):
    subprocess.run(["xdotool", *map(str, args)], env=env, check=True)


def read_bmp(path):
    """Pixels of a screenshot: (width, height, bytes of 3 per pixel, top row first)."""
    data = Path(path).read_bytes()
    if data[:2] != b"BM" or int.from_bytes(data[28:30], "little") != 24:
        raise Failure(f"{path} is not a 24-bit bitmap")
    start = int.from_bytes(data[10:14], "little")
    width = int.from_bytes(data[18:22], "little")
    height = int.from_bytes(data[22:26], "little")
    stride = (width * 3 + 3) & ~3
    rows = [data[start + y * stride:start + y * stride + width * 3] for y in range(height)]
    return width, height, b"".join(reversed(rows))


def write_png(path, image):
    """A screenshot as an 8-bit RGB PNG file (in-process: a converter program per
    screenshot cost more processor time than the scenario's own program)."""
    width, height, bgr = image
    rgb = bytearray(len(bgr))
    rgb[0::3], rgb[1::3], rgb[2::3] = bgr[2::3], bgr[1::3], bgr[0::3]
    stride = width * 3
    raw = b"".join(b"\0" + rgb[y * stride:(y + 1) * stride] for y in range(height))

    def chunk(kind, data):
        return (len(data).to_bytes(4, "big") + kind + data
                + zlib.crc32(kind + data).to_bytes(4, "big"))

    header = width.to_bytes(4, "big") + height.to_bytes(4, "big") + bytes([8, 2, 0, 0, 0])
    Path(path).write_bytes(b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header)
                           + chunk(b"IDAT", zlib.compress(raw, 6)) + chunk(b"IEND", b""))


def region_pixels(image, rect):
    width, _, pixels = image
    left, top, right, bottom = rect
    return [pixels[(y * width + x) * 3:(y * width + x) * 3 + 3]
            for y in range(top, bottom) for x in range(left, right)]


class Run:
    """One scenario in its own prefix."""

    def __init__(self, driver, scenario, display):
        self.d = driver
        self.sc = scenario
        self.slug = slug(scenario["name"])
        self.dir = driver.out / "run" / self.slug
        self.prefix = self.dir / "prefix"
        self.env = dict(driver.env, WINEPREFIX=str(self.prefix), HOME=str(self.dir / "home"),
                        DISPLAY=display)
        self.mounted = None  # the installation folder's small file system, while mounted
        self.reg_cache = {}
        self.shots_taken = 0
        self.shots = []
        self.setup = None
        # The setup program this scenario starts: the build's, or a signed copy of it.
        self.started = driver.signed_setup() if scenario["signed"] else driver.setup
        self.running = []  # programs the preparation started and left running
        self.others = set()
        self.probe = None
        self.ending = None
        # A desktop folder of another name, under the user's profile folder.
        self.desktop = scenario["desktop"]

    # ---- Paths -------------------------------------------------------------------------
    def windows_path(self, path):
        user = "C:\\users\\" + self.d.user
        desktop = user + "\\" + (self.desktop or "Desktop") + "\\"
        for token, folder in (("DESKTOP\\", desktop), ("TEMP\\", user + "\\Temp\\"),
                              ("PROFILE\\", user + "\\")):
            if path.startswith(token):
                return folder + path[len(token):]
        return path

    def host(self, path):
        """The host path of a C: path, matching names without regard to case as Wine does."""
        path = self.windows_path(path)
        if not re.match(r"^[Cc]:\\", path) or not self.prefix.is_dir():
            raise Failure(f"bad path {path!r} or no prefix")
        current = self.prefix / "drive_c"
        for part in [p for p in path[3:].split("\\") if p]:
            exact = current / part
            if not exact.exists() and current.is_dir():
                exact = next((c for c in current.iterdir() if c.name.lower() == part.lower()), exact)
            current = exact
        return current

    # ---- Preparation -------------------------------------------------------------------
    def make_prefix(self):
        shutil.rmtree(self.dir, ignore_errors=True)
        (self.dir / "home").mkdir(parents=True)
        winebed.copy_prefix(self.d.template, self.prefix)

    def prepare(self):
        reg = list(self.sc["prepare"]["reg"])
        if self.desktop:
            # The shell reads the desktop's folder from the user's shell folder values.
            folder = self.windows_path("DESKTOP\\")[:-1]
            self.host(folder).mkdir(parents=True, exist_ok=True)
            reg += [(S.SHELL_FOLDERS + key, "Desktop", folder) for key in ("\\User Shell Folders",
                                                                         "\\Shell Folders")]
        if self.sc["prepare"].get("tmpfs"):
            # A write into the installation folder then fails halfway, for real.
            self.mounted = self.host(S.INSTALL)
            self.mounted.mkdir(parents=True, exist_ok=True)
            subprocess.run(["mount", "-t", "tmpfs", "-o", f"size={self.sc['prepare']['tmpfs']}k",
                            "tmpfs", str(self.mounted)], check=True)
        for path, content in self.sc["prepare"]["files"]:
            target = self.host(path)
            target.parent.mkdir(parents=True, exist_ok=True)
            if content == "setup":
                shutil.copyfile(self.d.setup, target)
            elif isinstance(content, str) and content.startswith("dist:"):
                shutil.copyfile(self.d.dist / content[5:], target)
            else:
                target.write_bytes(content)
        # What another account made, or could change: chmod as a umask of 0 leaves it, and
        # another Unix owner, whom Wine reports as another account.
        # A path not made by the files above is a folder.
        for path in [*self.sc["prepare"].get("open", ()), *self.sc["prepare"].get("foreign", ())]:
            target = self.host(path)
            if not target.exists():
                target.mkdir(parents=True)
            for entry in [target, *target.rglob("*")]:
                entry.chmod(0o777 if entry.is_dir() else 0o666)
        for path in self.sc["prepare"].get("foreign", ()):
            os.chown(self.host(path), 65534, -1)
        for path, target in self.sc["prepare"].get("links", ()):
            self.host(target).mkdir(parents=True, exist_ok=True)
            self.host(path).symlink_to(self.host(target))
        if reg:
            reg_file = self.dir / "prepare.reg"
            winebed.write_reg_file(reg_file, reg)
            subprocess.run(["wine", winebed.REG, "import", str(reg_file), *winebed.REG_VIEW], env=self.env,
                           check=True, capture_output=True)
        for path in self.sc["prepare"].get("hold", ()):
            self.ask("hold", self.windows_path(path))
        for program in self.sc["prepare"].get("run", ()):
            self.running.append(subprocess.Popen(["wine", program], env=self.env, cwd=self.dir,
                                                 stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL))
            if program == S.APP_EXE:
                self.do_app(True)  # its library loaded, its shapes shown
        for title in self.sc["prepare"].get("minimize", ()):
            self.ask("minimize", title)
        self.others = set(self.titles())  # windows that are not the setup program's

    def start(self):
        self.setup = self.launch(self.sc["start"], self.sc["args"])

    def launch(self, folder, args):
        """The setup program started from folder (copied there when not there yet)."""
        exe = self.windows_path(folder) + "SetupQuorvexPlenar.exe"
        target = self.host(exe)
        target.parent.mkdir(parents=True, exist_ok=True)
        if not target.exists():
            shutil.copyfile(self.started, target)
        if callable(args):
            if not self.d.winget:
                raise Failure("this row needs the package manifest (--winget)")
            args = args(self.d.winget)
        if isinstance(args, str):
            return self.run_line(f'"{exe}" {args}')
        return subprocess.Popen(["wine", exe, *args], env=self.env, cwd=self.dir,
                                stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)

    def run_line(self, line):
        """A whole command line, as a deployment tool hands it to the platform: from a
        batch file, since Wine would quote again the quotes of an argument it is given."""
        batch = self.host("C:\\qp-command.cmd")
        batch.write_bytes(f"@{line}\r\n@exit %ERRORLEVEL%\r\n".encode("cp1252"))
        return subprocess.Popen(["wine", "cmd", "/c", "C:\\qp-command.cmd"], env=self.env,
                                cwd=self.dir, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)

    # ---- Reading the screen -------------------------------------------------------------
    def titles(self):
        return [w["title"] for w in self.probe.ask("windows")["windows"]]

    def ask(self, *args):
        answer = self.probe.ask(*args)
        if "error" in answer:
            ended = self.setup.poll()
            raise Failure(answer["error"] + (f" (setup ended with {ended})" if ended is not None else "")
                          + f"; windows: {self.titles()}")
        return answer

    def control(self, title, cid):
        for c in self.ask("controls", title)["controls"]:
            if c["id"] == cid:
                return c
        raise Failure(f"no control {cid} on {title!r}")

    def click_at(self, x, y):
        xdotool(self.env, "mousemove", x, y, "sleep", "0.05", "click", "1")

    def poll(self, test, seconds=3.0):
        """Retries a check until it passes or the time is up; the last failure counts."""
        deadline = time.time() + seconds
        while True:
            try:
                return test()
            except Failure:
                if time.time() > deadline:
                    raise
                time.sleep(0.1)

    # ---- Steps ---------------------------------------------------------------------------
    def step(self, verb, *args):
        getattr(self, "do_" + verb)(*args)

    def do_wait(self, title, seconds=15):
        self.ask("wait", title, int(seconds * 1000 * self.d.patience))

    def do_click(self, title, cid):
        c = self.control(title, cid)
        if not (c["visible"] and c["enabled"]):
            raise Failure(f"control {cid} on {title!r} not clickable: {c}")
        left, top, right, bottom = c["rect"]
        x, y = (left + right) // 2, (top + bottom) // 2
        under = self.ask("at", x, y)
        if under.get("control", {}).get("id") != cid or under["root"]["title"] != title:
            raise Failure(f"control {cid} of {title!r} is covered at ({x}, {y}) by "
                          f"{under['root']['title']!r} {under.get('control', {}).get('id')}")
        self.click_at(x, y)

    def do_key(self, title, key):
        self.do_click_spot(title)
        xdotool(self.env, "key", key)

    def do_click_spot(self, title):
        """A click on an empty spot of the page, which gives the page window the focus."""
        spot = self.ask("spot", title)
        self.click_at(spot["x"], spot["y"])
        self.poll(lambda: self.focus_on(title), 2)

    def focus_on(self, title):
        focus = self.ask("focus")
        if not (focus.get("focus_is_window") and focus["focus"]["title"] == title):
            raise Failure(f"the page {title!r} does not have the focus: {focus.get('focus')}")

    def do_start(self, *command):
        """Another program of the prefix, which the later steps then follow (its exit code
        included): the platform's uninstaller, its shell on a link."""
        args = [self.windows_path(a) if a.startswith(("DESKTOP\\", "TEMP\\")) else a for a in command]
        self.setup = subprocess.Popen(["wine", *args], env=self.env, cwd=self.dir,
                                      stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)

    def do_command(self, line):
        self.setup = self.run_line(line)

    def do_beside(self, *command):
        """Another program of the prefix that the later steps do not follow; the prefix's
        end ends it."""
        subprocess.Popen(["wine", *command], env=self.env, cwd=self.dir,
                         stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)

    def do_again(self, folder, code, *args):
        """A second setup program, started from folder while the first runs, ends by
        itself with the exit code; the later steps still follow the first."""
        second = self.launch(folder, args)
        try:
            ended = second.wait(20 * self.d.patience)
        except subprocess.TimeoutExpired:
            second.kill()
            raise Failure(f"the second setup program did not end; windows: {self.titles()}") from None
        if ended != code & 0xFF:
            raise Failure(f"the second setup program ended with {ended}, not {code}")

    def do_front(self, title):
        def in_front():
            window = self.ask("focus")["foreground"]
            if not window or window["title"] != title:
                raise Failure(f"the foreground window is {window and window['title']!r}, not {title!r}")
        self.poll(in_front)

    def do_quitapp(self):
        """The installed application closed as from the taskbar (no click, which would
        bring it to the front first), then its process's end: until then its files are
        still in use."""
        self.ask("shut", S.APP)

        def ended():
            if any(p["exe"].lower() == "quorvexplenar.exe" for p in self.ask("procs")["procs"]):
                raise Failure("the application still runs")
        self.poll(ended, 10)

    def do_kill(self, seconds=0):
        """The followed program ended at once, as the task manager ends a program: no code
        of its own runs after the signal."""
        time.sleep(seconds)
        self.setup.kill()
        self.setup.wait(10)

    def do_release(self):
        self.ask("release")

    def do_press(self, key):
        xdotool(self.env, "key", key)

    def do_keys(self, keys, title=None):
        """Keys typed one after another, to whatever has the focus; with a title, once that
        window is in front and a window of its own holds the keyboard focus (a box just
        shown may not have taken it yet on a busy machine)."""
        if title:
            def focused():
                answer = self.ask("focus")
                front = answer["foreground"]
                if not front or front["title"] != title or not answer.get("focus"):
                    raise Failure(f"{title!r} does not have the keyboard focus: {answer}")
            self.poll(focused)
        xdotool(self.env, "key", "--delay", 150, *keys.split())

    def do_reader(self, title, names):
        """What a screen reader reads, through the platform's accessibility interface: the
        page by its title and each control that can be worked by a name; then each Tab
        moves the accessible focus to the next of names and raises the focus event for it.
        The page has the keyboard focus first (a click on an empty spot)."""
        self.do_click_spot(title)
        acc = self.ask("acc", title)
        if acc["window"].get("name") != title:
            raise Failure(f"the page reads as {acc['window']!r}, not {title!r}")
        workable = {c["id"] for c in self.ask("controls", title)["controls"]
                    if c["visible"] and c["enabled"] and c["class"].lower() in ("button", "listbox")}
        unnamed = [o for o in acc["controls"] if o["id"] in workable and not o.get("name", "").strip()]
        if unnamed:
            raise Failure(f"controls of {title!r} without a name: {unnamed}")
        self.ask("focusevents")  # from here on
        for name in names:
            xdotool(self.env, "key", "Tab")

            def reached():
                focus = self.ask("accfocus")["focus"]
                if focus.get("name") != name or not focus.get("focused"):
                    raise Failure(f"after Tab the focus reads {focus}, not {name!r}")
            self.poll(reached)
            events = []

            def raised():
                events.extend(self.ask("focusevents")["events"])
                if not events or events[-1].get("name") != name:
                    raise Failure(f"no focus event for {name!r}: {events}")
            self.poll(raised)

    def do_close(self, title):
        box = self.ask("closebox", title)
        self.click_at(box["x"], box["y"])

    def do_shot(self, name):
        """The screen, grabbed by the running probe (a screenshot program would take
        seconds to start in the emulated 32-bit guest, past a short-lived page) as a
        bitmap, made a PNG file once the scenario is over."""
        self.d.shots.mkdir(parents=True, exist_ok=True)
        self.shots_taken += 1
        path = self.d.shots / f"{self.slug}--{self.shots_taken:02d}-{name}.bmp"
        time.sleep(0.3)  # the last paint reaches the display
        self.ask("grab", "Z:" + str(path).replace("/", "\\"))
        self.shots.append(path)
        return path

    def keep_shots(self):
        for bmp in self.shots:
            if bmp.exists():
                write_png(bmp.with_suffix(".png"), read_bmp(bmp))
                bmp.unlink()

    def do_controls(self, title, expected):
        self.poll(lambda: self.controls_hold(title, expected))

    def controls_hold(self, title, expected):
        answer = self.ask("controls", title)
        origin = answer["window"]["client"][:2]
        found = {c["id"]: c for c in answer["controls"]}
        for cid, want in expected.items():
            c = found.get(cid)
            if c is None:
                raise Failure(f"no control {cid} on {title!r}")
            for field, value in want.items():
                if field == "at":
                    left, top, right, bottom = c["rect"]
                    got = (left - origin[0], top - origin[1], right - left, bottom - top)
                    if got != value:
                        raise Failure(f"control {cid} of {title!r} at {got}, not {value}")
                elif c.get(field) != value:
                    raise Failure(f"control {cid} of {title!r}: {field} {c.get(field)!r}, not {value!r}")

    def do_window(self, title, expected):
        w = self.ask("window", title)["window"]
        left, top, right, bottom = w["rect"]
        if expected.get("centred"):
            wl, wt, wr, wb = self.ask("screen")["workarea"]
            if abs((left + right) - (wl + wr)) > 2 or abs((top + bottom) - (wt + wb)) > 2:
                raise Failure(f"{title!r} at {w['rect']} is not centred on {[wl, wt, wr, wb]}")
        if "topmost" in expected and w["topmost"] != expected["topmost"]:
            raise Failure(f"{title!r} topmost is {w['topmost']}")
        if "owner" in expected and w["owner"] != expected["owner"]:
            raise Failure(f"{title!r} is owned by {w['owner']!r}, not {expected['owner']!r}")
        caption = (w["style"] & 0x00C00000) == 0x00C00000
        if "caption" in expected and caption != expected["caption"]:
            raise Failure(f"{title!r} caption is {caption}")

    def do_stays(self, title):
        time.sleep(0.7)
        self.ask("window", title)

    def do_painted(self, title, ids):
        """The labels show text before and after a cover has lain over them."""
        answer = self.ask("controls", title)
        rects = [c["rect"] for c in answer["controls"] if c["id"] in ids]
        if not rects:
            raise Failure(f"no labels {ids} on {title!r}")
        area = (min(r[0] for r in rects), min(r[1] for r in rects),
                max(r[2] for r in rects), max(r[3] for r in rects))

        def look(name):
            pixels = region_pixels(read_bmp(self.do_shot(name)), area)
            bright = sum(1 for p in pixels if min(p) >= 192)
            if bright < 40:
                raise Failure(f"{title!r} shows no label text in {area} ({name}: {bright} light pixels)")
            return pixels

        before = look("painted")
        self.ask("cover", area[0], area[1], area[2] - area[0], area[3] - area[1], 400)
        time.sleep(0.4)
        after = look("uncovered")
        self.ask("window", title)  # still the same page, not the next one
        same = sum(1 for a, b in zip(before, after) if a == b) / len(before)
        if same < 0.98:
            raise Failure(f"{title!r} was not painted again after being covered ({same:.0%} as before)")

    def do_check(self, *checks):
        self.reg_cache.clear()  # read afresh: the program may have changed them since
        for check in checks:
            self.outcome(check)

    def do_silent(self, seconds=15, code=0):
        deadline = time.time() + seconds * self.d.patience
        while self.setup.poll() is None:
            shown = [title for title in self.titles() if title not in self.others]
            if shown:
                raise Failure(f"a window appeared: {shown}")
            if time.time() > deadline:
                raise Failure("the program did not end")
            time.sleep(0.05)
        self.do_exit(code=code)

    def do_exit(self, seconds=20, code=0):
        try:
            ended = self.setup.wait(seconds * self.d.patience)
        except subprocess.TimeoutExpired:
            raise Failure(f"the program did not end; windows: {self.titles()}") from None
        # Wine hands a Windows exit code on to Linux, which keeps its low 8 bits.
        if ended != code & 0xFF:
            raise Failure(f"exit code {ended}, not {code}")

    def do_app(self, running):
        def app_procs():
            return [p for p in self.ask("procs")["procs"] if p["exe"].lower() == "quorvexplenar.exe"]
        if not running:
            if app_procs() or S.APP in self.titles():
                raise Failure(f"the application runs: {app_procs()}")
            return
        self.ask("wait", S.APP, 15000)
        paths = [p["path"].lower() for p in app_procs()]
        if (S.APP_EXE.lower()) not in paths:
            raise Failure(f"the application runs from {paths}, not {S.APP_EXE}")
        self.poll(self.shapes_shown, 5)

    def shapes_shown(self):
        text = self.control(S.APP, 100)["text"]  # the application's status line
        if not re.match(r"Shapes 1 to \d+ of 1345$", text):
            raise Failure(f"the application says {text!r}")

    # ---- Display scaling ------------------------------------------------------------------
    def scale_display(self):
        """A row's DPI, set in the prefix before any program runs there (Wine reads it as
        a program starts), with a desktop large enough for pages at twice their size."""
        dpi = self.sc["prepare"].get("dpi")
        if not dpi:
            return
        reg_file = self.dir / "dpi.reg"
        winebed.write_reg_file(reg_file, [(key, "LogPixels", dpi) for key in S.DPI_KEYS] +
                               [(S.WINE_DESKTOPS, "Default", S.SCALED_DESKTOP)])
        subprocess.run(["wine", winebed.REG, "import", str(reg_file)], env=self.env, check=True,
                       capture_output=True)

    def do_layout(self, title, expected, client96):
        """At the row's DPI: each control at its 96-DPI rectangle times the scale (within a
        pixel), its text inside it (measured in its font), and no further outside the
        page than at 96 DPI, whose client size is client96."""
        dpi = self.sc["prepare"].get("dpi", 96)
        scale = dpi / 96
        fits = self.ask("fits", title, *S.PAGE_FONT)
        if fits["dpi"] != dpi:
            raise Failure(f"{title!r} is laid out for {fits['dpi']} DPI, not {dpi}")
        answer = self.ask("controls", title)
        cl, ct, cr, cb = answer["window"]["client"]
        found = {c["id"]: c for c in answer["controls"]}
        texts = {c["id"]: c for c in fits["controls"]}
        for cid, want in expected.items():
            if "at" not in want:
                continue
            left, top, right, bottom = found[cid]["rect"]
            got = (left - cl, top - ct, right - left, bottom - top)
            if any(abs(g - w * scale) > 1 for g, w in zip(got, want["at"])):
                raise Failure(f"control {cid} of {title!r} at {got}, not {want['at']} x {scale}")
            if cid in texts:
                width, height = texts[cid]["text"]
                room = got[2] - round(S.text_margin(texts[cid]["style"]) * scale)
                if width > room or height > got[3]:
                    raise Failure(f"the text of control {cid} of {title!r} takes {width} x {height}, "
                                  f"more than {room} x {got[3]}")
            x, y, w, h = want["at"]
            for past96, past in ((x + w - client96[0], got[0] + got[2] - (cr - cl)),
                                 (y + h - client96[1], got[1] + got[3] - (cb - ct))):
                if past > max(0, past96) * scale + 1:
                    raise Failure(f"control {cid} of {title!r} lies {past} pixels outside its page "
                                  f"of {cr - cl} x {cb - ct}, {max(0, past96)} at 96 DPI")

    # ---- Outcome -------------------------------------------------------------------------
    def reg_values(self, key):
        """{name lower: (name, type, data)} of a key, None when it does not exist."""
        if key not in self.reg_cache:
            done = subprocess.run(["wine", winebed.REG, "query", key, *winebed.REG_VIEW], env=self.env,
                                  capture_output=True)
            if done.returncode != 0:
                self.reg_cache[key] = None
            else:
                values = {}
                for line in done.stdout.decode("cp1252", "replace").splitlines():
                    if line.startswith("    ") and not line.startswith("     "):
                        parts = line[4:].split("    ", 2) + ["", ""]
                        values[parts[0].lower()] = (parts[0], parts[1], parts[2].rstrip("\r"))
                self.reg_cache[key] = values
        return self.reg_cache[key]

    def outcome(self, check):
        getattr(self, "check_" + check[0])(*check[1:])

    def check_reg(self, key, name, kind, data):
        values = self.reg_values(key) or {}
        got = values.get(name.lower())
        if kind is None:
            if got:
                raise Failure(f"{key} [{name}] is there: {got[1]} {got[2]!r}")
            return
        if not got:
            raise Failure(f"{key} [{name}] missing" + ("" if values else " (no key)"))
        want = f"0x{data:x}" if isinstance(data, int) else self.windows_path(data)
        if got[1] != kind or (data == S.ANY and not got[2]) or (data != S.ANY and got[2] != want):
            raise Failure(f"{key} [{name}] is {got[1]} {got[2]!r}, not {kind} {want if data != S.ANY else 'text'}")

    def check_same(self, key, name, key2, name2):
        a = (self.reg_values(key) or {}).get(name.lower())
        b = (self.reg_values(key2) or {}).get(name2.lower())
        if not a or not b or a[2] != b[2]:
            raise Failure(f"{key} [{name}] {a} differs from {key2} [{name2}] {b}")

    def check_names(self, key, names):
        values = self.reg_values(key)
        if names is None:
            if values is not None:
                raise Failure(f"{key} exists, holding {sorted(v[0] for v in values.values())}")
            return
        if values is None:
            raise Failure(f"{key} does not exist")
        got = {v[0].lower() for v in values.values()}
        want = {n.lower() for n in names}
        if got != want:
            raise Failure(f"{key} extra {sorted(got - want)}, missing {sorted(want - got)}")

    def check_file(self, path, what):
        target = self.host(path)
        if what is None:
            if target.exists():
                raise Failure(f"{path} exists")
        elif what == "dir":
            if not target.is_dir():
                raise Failure(f"folder {path} missing")
        elif not target.is_file():
            raise Failure(f"{path} missing")
        elif isinstance(what, bytes):
            if target.read_bytes() != what:
                raise Failure(f"{path} holds {target.read_bytes()[:40]!r}, not {what!r}")
        elif isinstance(what, int):
            if target.stat().st_size != what:
                raise Failure(f"{path} has {target.stat().st_size} bytes, not {what}")
        else:
            source = self.started if what == "setup" else self.d.dist / what[5:]
            if target.read_bytes() != source.read_bytes():
                raise Failure(f"{path} differs from {source.name}")

    def check_writable(self, path, by_others):
        """Whether another Unix account may write the path or anything below it (Wine
        makes the DACL's Everyone into the other bits)."""
        top = self.host(path)
        found = [str(p) for p in [top, *top.rglob("*")] if p.stat().st_mode & 0o002]
        if bool(found) != by_others:
            raise Failure(f"{path}: written by others: {found or 'nothing'}")

    def check_link(self, name, target, description):
        link = self.host("DESKTOP\\" + name)
        if target is None:
            if link.exists():
                raise Failure(f"shortcut {name} exists")
            return
        if not link.is_file():
            raise Failure(f"shortcut {name} missing")
        info = subprocess.run(["lnkinfo", str(link)], capture_output=True, text=True).stdout
        section = info.split("Link information:")[-1].split("Link target identifier:")[0]
        fields = dict(re.findall(r"^\t+([A-Za-z ]+?)\t*: ?(.*)$", section, re.M))
        got_target = fields.get("Local path")
        if (got_target or "").lower() != target.lower() or fields.get("Description") != description:
            raise Failure(f"shortcut {name}: path {got_target!r}, description {fields.get('Description')!r}")
        for unwanted in ("Command line arguments", "Working directory"):
            if unwanted in fields:
                raise Failure(f"shortcut {name} has {unwanted.lower()} {fields[unwanted]!r}")

    def check_folder(self, path, names):
        got = sorted(p.name for p in self.host(path).iterdir())
        if got != sorted(names):
            raise Failure(f"{path} holds {got}, not {sorted(names)}")

    def check_signed(self, path):
        verify = subprocess.run(["osslsigncode", "verify", "-CAfile", str(self.d.signing / "cert.pem"),
                                 "-in", str(self.host(path))], capture_output=True, text=True)
        if verify.returncode != 0:
            raise Failure(f"{path}: the signature does not verify: {verify.stdout.strip()[-300:]!r}")

    def check_listed(self, listed):
        # Once in a run from a fresh clone the tool printed nothing at all, where the next
        # run listed the entry: one more try, and its own exit code and errors in the failure.
        result = winebed.once_more_if(
            lambda r: listed and not r.stdout.strip(),
            lambda: subprocess.run(["wine", winebed.system_program("uninstaller"), "--list"],
                                   env=self.env, capture_output=True, text=True, errors="replace"))
        out = result.stdout
        name = listed if isinstance(listed, str) else "Quorvex Plenar 2.11 - Vehicle diagnostics software"
        entry = "QuorvexPlenar|||" + name
        if (entry in out.splitlines()) != bool(listed):
            raise Failure(f"uninstaller --list {'lacks' if listed else 'shows'} the entry: {out.strip()!r} "
                          f"(exit {result.returncode}, {result.stderr.strip()[-300:]!r})")

    def check_log(self, path, expected):
        """The log holds exactly these lines, each after its time of day; {NAME} in a
        line stands for the size of that file of dist (or of the setup program)."""
        target = self.host(path)
        if not target.is_file():
            raise Failure(f"no log {path}")
        sizes = {name: (self.d.dist / name).stat().st_size for name in ("Keyglyph.dll", "QuorvexPlenar.exe")}
        sizes["setup"] = self.started.stat().st_size
        sizes["user"] = self.d.user
        lines = target.read_bytes().decode("cp1252").split("\r\n")
        if lines[-1] != "":
            raise Failure(f"the log's last line has no line end: {lines[-1]!r}")
        got = []
        for line in lines[:-1]:
            if not re.match(r"\d\d:\d\d:\d\d  ", line):
                raise Failure(f"log line without its time: {line!r}")
            got.append(line[10:])
        want = []
        for line in expected:
            for name, value in sizes.items():
                line = line.replace("{" + name + "}", str(value))
            want.append(line)
        for number, (g, w) in enumerate(zip(got, want), 1):
            if g != w:
                raise Failure(f"log line {number} is {g!r}, not {w!r}")
        if len(got) != len(want):
            raise Failure(f"the log has {len(got)} lines, not {len(want)}; from line "
                          f"{min(len(got), len(want)) + 1}: {(got[len(want):] or want[len(got):])[:3]}")

    def check_vanishes(self, path, seconds=6):
        deadline = time.time() + seconds
        while self.host(path).exists():
            if time.time() > deadline:
                raise Failure(f"{path} still there {seconds} s after the end")
            time.sleep(0.1)

    def check_app(self, running):
        self.do_app(running)

    # ---- The whole scenario ----------------------------------------------------------------
    def run(self):
        self.make_prefix()
        try:
            self.scale_display()
            # The probe boots the prefix; the preparation's reg.exe then starts in a
            # fraction of the time a cold prefix takes.
            # Its Wine server makes every file's mode, under the umask it was started with.
            self.probe = winebed.Probe(self.d.probe, self.env, self.sc["prepare"].get("umask", -1))
            self.probe.ask("screen")  # the desktop is up
            self.prepare()
            self.start()
            steps = list(self.sc["steps"])
            if not any(s[0] in ("exit", "silent") for s in steps):
                steps.append(("exit",))
            for step in steps:
                try:
                    self.step(*step)
                except Failure as failure:
                    raise Failure(f"{step[0]} {step[1:2]}: {failure}") from None
            self.reg_cache.clear()
            for check in self.sc["outcome"]:
                try:
                    self.outcome(check)
                except Failure as failure:
                    raise Failure(f"outcome: {failure}") from None
        finally:
            if self.probe:
                self.probe.quit()
            # The server kills the prefix's programs (and their windows leave the display)
            # at once; its own end, with the registry saved, is waited for in finish().
            self.ending = subprocess.Popen(["wineserver", "-k"], env=self.env,
                                           stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
            if self.setup and self.setup.poll() is None:
                self.setup.kill()

    def finish(self, remove):
        """After the verdict, beside the next scenario: the prefix's end, the screenshots
        as PNG files, and the scenario's folder removed when asked."""
        if self.ending:
            self.ending.wait()
        if self.mounted:
            subprocess.run(["umount", str(self.mounted)])
        self.keep_shots()
        if remove:
            shutil.rmtree(self.dir, ignore_errors=True)


class Driver:
    def __init__(self, args):
        self.setup = Path(args.setup).resolve()
        self.dist = Path(args.dist).resolve()
        self.probe = str(Path(args.probe).resolve())
        self.winget = args.winget and Path(args.winget).resolve()
        self.out = Path(args.out).resolve()
        self.shots = self.out / "screenshots"
        # How much longer than here a program may take: the emulated 32-bit guest sets 3.
        self.patience = float(os.environ.get("QP_PATIENCE", "1"))
        state = Path(args.state).resolve()
        self.env = winebed.harness_env(str(state))
        # The harness's template, in which no program ever runs.
        self.template = Path(self.env["QP_PREFIX_TEMPLATE"])
        shutil.rmtree(self.out / "run", ignore_errors=True)
        shutil.rmtree(self.shots, ignore_errors=True)
        users = [u.name for u in (self.template / "drive_c/users").iterdir() if u.name != "Public"]
        if len(users) != 1:
            raise SystemExit(f"expected one user in the prefix, found {users}")
        self.user = users[0]
        self.signing = self.out / "signing"  # made anew by the first signed row of a run
        shutil.rmtree(self.signing, ignore_errors=True)
        self.signing_lock = threading.Lock()

    def signed_setup(self):
        """The setup program signed as a release is, with a throwaway self-signed
        certificate made for this run (once, whichever scenario asks first)."""
        signed = self.signing / self.setup.name
        with self.signing_lock:
            if not signed.exists():
                self.signing.mkdir(parents=True)
                run = lambda *args: subprocess.run(args, cwd=self.signing, check=True, capture_output=True)
                run("openssl", "req", "-x509", "-newkey", "rsa:2048", "-nodes", "-days", "2",
                    "-keyout", "key.pem", "-out", "cert.pem", "-subj", "/CN=Quorvex Plenar test signing",
                    "-addext", "extendedKeyUsage=codeSigning")
                run("osslsigncode", "sign", "-certs", "cert.pem", "-key", "key.pem", "-n", "Quorvex Plenar",
                    "-in", str(self.setup), "-out", "signing.exe")
                (self.signing / "signing.exe").rename(signed)
        return signed


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    for name in ("state", "setup", "dist", "probe", "out"):
        parser.add_argument("--" + name, required=True)
    parser.add_argument("--winget", help="the folder of the package manifest of the setup program")
    parser.add_argument("--keep", action="store_true",
                        help="keep each passed scenario's prefix in OUT/run/ (for a tour)")
    parser.add_argument("--core", action="store_true",
                        help="only the scenarios marked core (the 32-bit guest's set)")
    parser.add_argument("--win32", action="store_true",
                        help="only the scenarios marked win32 (the guest's 32-bit prefix)")
    parser.add_argument("--jobs", type=int, default=winebed.jobs_from_environment(),
                        help="scenarios run side by side, each on a display of its own")
    parser.add_argument("names", nargs="*", help="run only scenarios whose name holds one of these")
    args = parser.parse_args()
    chosen = [s for s in S.SCENARIOS if (not args.names or any(n in s["name"] for n in args.names))
              and (s["core"] or not args.core) and (s["win32"] or not args.win32)]
    if not chosen:
        raise SystemExit("no scenario matches")
    if len({slug(s["name"]) for s in S.SCENARIOS}) != len(S.SCENARIOS):
        raise SystemExit("two scenarios share a name")
    driver = Driver(args)
    results = []
    started = time.time()

    finishing = []

    def work(scenario, display):
        run = Run(driver, scenario, display)
        begun = time.time()
        passed = False
        try:
            run.run()
            passed = True
            print(f"PASS {scenario['name']} ({time.time() - begun:.1f} s)", flush=True)
        except (Failure, winebed.ProbeEnded, OSError, subprocess.SubprocessError) as failure:
            print(f"FAIL {scenario['name']} ({time.time() - begun:.1f} s): {failure}", flush=True)
        results.append(passed)
        finisher = threading.Thread(target=run.finish, args=(passed and not args.keep,))
        finisher.start()
        finishing.append(finisher)

    winebed.side_by_side(chosen, args.jobs, work)
    for finisher in finishing:
        finisher.join()
    failed = results.count(False) + (len(chosen) - len(results))
    print(f"{len(chosen) - failed} of {len(chosen)} scenarios passed in {time.time() - started:.0f} s; "
          f"screenshots in {driver.shots}")
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
