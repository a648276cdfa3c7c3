"""What a user does with SetupQuorvexPlenar.exe, and what the machine holds afterwards.

A scenario is one row: a name, a preparation of the fresh prefix, the folder the setup
program is started from, the steps worked on the screen, and the outcome checked once
the program has ended. drive.py reads SCENARIOS and interprets every tuple.

Steps:
  ("wait", TITLE)                   the page appears
  ("click", TITLE, ID)              a click at the control's centre
  ("key", TITLE, KEY)               a click on an empty spot of the page, then a key
  ("press", KEY)                    a key, to whatever has the focus
  ("keys", "KEY KEY ...")           keys one after another, to whatever has the focus
  ("keys", "KEY ...", TITLE)        the same once TITLE is in front and holds the focus
  ("reader", TITLE, NAMES)          the page and its controls have accessible names; each
                                    Tab moves the accessible focus to the next of NAMES
                                    and raises the platform's focus event for it
  ("close", TITLE)                  a click on the page's close box
  ("shot", NAME)                    a screenshot kept as test output
  ("controls", TITLE, {ID: {...}})  controls hold text/check/visible, and sit at x,y,w,h
  ("window", TITLE, {...})          centred / topmost / caption of the page window
  ("stays", TITLE)                  the page is still there a moment later
  ("painted", TITLE, IDS)           the labels are painted, and again after being covered
  ("layout", TITLE, {ID: {...}}, (W, H))  at the row's DPI: each control at its 96-DPI
                                    rectangle ("at") times the scale, its text inside it,
                                    no further outside the page than at 96 DPI, where the
                                    page's client area is W x H
  ("check", OUTCOME...)             outcome checks in the middle of the run
  ("silent", [SECONDS, [CODE]])     the program ends without showing any window, with exit
                                    code CODE (0)
  ("exit", [SECONDS, [CODE]])       the program ends with exit code CODE (0)
  ("start", PROGRAM, ARGS...)       starts another program, which later steps follow
  ("command", LINE)                 the same with a whole command line, as a deployment tool
                                    hands it to the platform
  ("beside", PROGRAM, ARGS...)      starts another program, which later steps do not follow
  ("again", FOLDER, CODE, ARGS...)  a second setup program, started from FOLDER while the
                                    first runs, ends by itself with exit code CODE; later
                                    steps still follow the first
  ("front", TITLE)                  the window is the foreground window
  ("app", RUNNING)                  the installed application runs (or not)
  ("quitapp",)                      the application closed as from the taskbar, then its
                                    process has ended
  ("kill", [SECONDS])               after SECONDS (0), the followed program is ended at once,
                                    as the task manager ends a program
  ("release",)                      the files held since the preparation are let go
Outcome:
  ("reg", KEY, NAME, TYPE, DATA)    a value; TYPE None: the value is absent;
                                    DATA ANY: any non-empty text
  ("same", KEY, NAME, KEY2, NAME2)  two values hold the same data
  ("names", KEY, NAMES)             the key holds exactly these values (None: no key)
  ("file", PATH, WHAT)              WHAT: None absent, "dir", a size, bytes it holds, or
                                    "dist:NAME" (byte-identical to dist/x64/NAME) or
                                    "setup" (to the setup program the scenario started)
  ("folder", PATH, NAMES)           the folder holds exactly these names
  ("signed", PATH)                  osslsigncode verifies the file's signature against the
                                    test certificate of a signed row
  ("link", NAME, TARGET, DESCR)     a desktop shortcut; TARGET None: no such link
  ("listed", BOOL)                  `wine uninstaller --list` shows the application (a
                                    text: listed by that name)
  ("vanishes", PATH)                the file is gone within a few seconds
  ("log", PATH, LINES)              the log holds exactly these lines after their times;
                                    {Keyglyph.dll}, {QuorvexPlenar.exe}, {setup}: file sizes
  ("app", RUNNING)                  as the step, after the end
Paths are C: paths; DESKTOP\\, TEMP\\ and PROFILE\\ stand for the user's desktop, Temp
and profile folders (also in registry data that a check expects). A row's "desktop" key
names the desktop folder under the profile folder instead of Desktop: the driver makes
it and points the user's shell folder values at it.
Prepared registry data: a text, an int (REG_DWORD), None (deleted), or (TYPE, BYTES) for
a value of any type and content (a string type always gets a final NUL).
A preparation may also name "hold": files another program keeps open, shared with nobody,
until ("release",); and "run": programs started before the setup program and left
running (the application until it shows its shapes); "minimize": windows then minimised
by title; "dpi": the display's DPI, set in the prefix before anything runs there (on a
larger desktop); "tmpfs": the installation folder a file system of that many KiB, so
that a write there fails halfway; "umask": the Unix umask of the prefix's Wine server, which makes the mode
of a file or folder made with no security of its own from it; "open": folders (made
when missing) that every account may change, all below them too (modes 777 and 666);
"foreign": the same, then owned by another Unix user, whom Wine reports as another account;
"links": (PATH, FOLDER) pairs, PATH made a symbolic link to FOLDER (Wine: a reparse point).
Outcome, beside those above:
  ("writable", PATH, BOOL)          another account may write PATH or something below it
"""

import sys
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parents[2] / "tools"))
from exit_codes import BY_NAME as EXIT_CODE  # noqa: E402  (the program's own table)

ANY = "(any non-empty text)"

# ---- Pages ---------------------------------------------------------------------------
LICENCE = " End user License agreement - Quorvex Plenar\xa9 by Brindlemark\xae."
OPTIONS = " Quorvex Plenar options."
UNITS = " Quorvex Plenar Measurements."
SHORTCUTS = " Quorvex Plenar Desktop Shortcut."
WAIT = " Please wait..."
FINISH = " Run Quorvex Plenar now."
CONFIRM = " Uninstall Quorvex Plenar."
DONE = " Quorvex uninstall done!"
ERROR = "Error"
APP = "Quorvex Plenar"

NEXT, EXIT, BACK = 301, 302, 303
CANCEL, LIC_NEXT, ACCEPT, DECLINE, LIST = 101, 700, 105, 106, 747
MPH, KMH, DEG_C, DEG_F = 2, 3, 4, 5
APP_LINK_BOX, LOG_LINK_BOX = 2, 3
SETUP_CHOICE, REPAIR_CHOICE, UNINSTALL_CHOICE = 2, 3, 4
RUN_BOX, FINISHED = 3, 301
YES, NO, DONE_FINISHED = 2, 110, 101
BOX_TEXT, BOX_OK, BOX_CANCEL, BOX_RETRY = 65535, 1, 2, 4

# ---- Places --------------------------------------------------------------------------
INSTALL = "C:\\Quorvex Plenar"
LOGS = "C:\\Quorvex Plenar Log Files"
DOWNLOADS = "C:\\Downloads\\"
SETTINGS = "HKCU\\Software\\Brindlemark"
UNINSTALL = "HKCU\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\QuorvexPlenar"
LAYERS = "HKCU\\Software\\Microsoft\\Windows NT\\CurrentVersion\\AppCompatFlags\\Layers"
PROBE = "HKLM\\Software\\Quorvex Plenar"
UNDO = "HKCU\\Software\\Quorvex Plenar setup undo"
SHELL_FOLDERS = "HKCU\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer"
SYSTEM = "HKLM\\Software\\Microsoft\\Windows NT\\CurrentVersion"
APP_EXE = INSTALL + "\\QuorvexPlenar.exe"
INSTALLED_SETUP = INSTALL + "\\SetupQuorvexPlenar.exe"
QUIET_UNINSTALL = '"' + INSTALLED_SETUP + '" /UNINSTALL /S'
APP_LINK, LOG_LINK = "QuorvexPlenar.lnk", "Quorvex Plenar Log Files.lnk"
OLD_LINKS = ("Quorvex.lnk", "QuorvexPlenarRun.lnk")
WEB_VALUES = ("OfficialWebSite", "DriversWebSite", "FaceBookWebSite", "site", "website")

# Files the application leaves beside itself on its first run, and what removal takes.
FIRST_RUN_FILES = ("quorvexplenarrun.exe", "setupquorvexplenarrun.exe", "quorvexplenar.chm",
                   "add.bmp", "close.bmp", "cogs.bmp", "dial.bmp", "home.bmp", "tick.bmp",
                   "tools.bmp", "freeze.bmp", "live.bmp", "question.bmp", "log.bmp")
REMOVAL_KEEPS = "commports.chm"
REMOVED_SETTINGS = ("come", "Nullbre", "Nullce", "pathe", "Speede", "Tempe", "tooltipse",
                    "versione", "WinPatch", "SkipDriverSearch", "LogFilePathe", "Bit",
                    "Windows", "DriverDate", "DriverDesc", "DriverName", "DriverVersion",
                    "DriverPath", "ProviderName", "Administrator")

# ---- Page contents: text, state and client position (x, y, width, height) ---------------
HIDDEN = {"visible": False}
CHECKED, UNCHECKED = {"check": 1}, {"check": 0}


def ctl(text, x, y, w, h, **state):
    return dict(text=text, at=(x, y, w, h), **state)


LICENCE_START = {
    LIST: ctl("", 10, 10, 640, 180, count=81),
    CANCEL: ctl("Cancel", 482, 340, 70, 25),
    LIC_NEXT: ctl("Next >", 580, 340, 70, 25, visible=False),
    ACCEPT: ctl("Accept the terms and conditions", 35, 295, 350, 20, check=0),
    DECLINE: ctl("Decline", 35, 320, 200, 20, check=0),
    76: ctl("Please use the scroll bar to read the full license agreement.", 10, 200, 500, 25),
    74: ctl("This program will install Quorvex Plenar\xa9 version 2.11 on your computer.",
            10, 230, 750, 25),
    73: ctl("Please select accept to continue, or decline to exit setup.", 12, 260, 650, 25),
}
# What a screen reader calls the licence list, which shows no text of its own.
LICENCE_LIST_NAME = "License agreement"
LICENCE_AGAIN = {LIC_NEXT: HIDDEN, ACCEPT: UNCHECKED, DECLINE: UNCHECKED}
BUTTONS = {BACK: ctl("< Back", 270, 380, 70, 25), NEXT: ctl("Next >", 350, 380, 70, 25),
           EXIT: ctl("Exit", 20, 380, 70, 25)}
UNITS_START = {
    1: ctl(" Please select your measurement preferences", 0, 170, 450, 25),
    MPH: ctl(" Miles Per Hour", 150, 200, 416, 25, check=1),
    KMH: ctl(" Kilometers Per Hour", 150, 230, 416, 25, check=0),
    DEG_C: ctl(" Degrees C", 150, 290, 416, 25, check=1),
    DEG_F: ctl(" Degrees F", 150, 320, 416, 25, check=0),
    **BUTTONS,
}
SHORTCUTS_START = {
    1: ctl(" Do you want to create desktop shortcuts?", 0, 170, 450, 25),
    APP_LINK_BOX: ctl(" Create a desktop shortcut for Quorvex", 88, 200, 416, 25, check=1),
    LOG_LINK_BOX: ctl(" Create a desktop shortcut for log files", 88, 230, 416, 25, check=1),
    **BUTTONS,
}
WAIT_LABELS = {
    1: ctl("Please wait while we copy", 0, 220, 500, 25),
    2: ctl("Quorvex Plenar files onto your computer...", 0, 240, 500, 25),
    3: ctl("Installing to: " + INSTALL, 0, 300, 500, 25),
}
FINISH_START = {
    RUN_BOX: ctl(" Run Quorvex Plenar now.", 120, 200, 416, 25, check=1),
    FINISHED: ctl("Finished", 175, 260, 80, 25),
}
OPTIONS_START = {
    1: ctl(" Please select one option below:", 78, 170, 450, 25),
    SETUP_CHOICE: ctl(" Setup Quorvex Plenar version  2.11", 80, 200, 416, 25, check=1),
    REPAIR_CHOICE: ctl(" Repair Quorvex Plenar", 80, 240, 416, 25, check=0),
    UNINSTALL_CHOICE: ctl(" Uninstall Quorvex Plenar", 80, 280, 416, 25, check=0),
    NEXT: BUTTONS[NEXT], EXIT: BUTTONS[EXIT],
}
CONFIRM_START = {
    73: ctl(" Are you sure you want to uninstall Quorvex Plenar?", 0, 185, 520, 25),
    YES: ctl("Yes", 250, 225, 60, 25),
    NO: ctl("No", 350, 225, 60, 25),
}
DONE_START = {
    1: ctl("  Thank You for using Quorvex", 34, 52, 346, 19),
    8: ctl("  The uninstall has finished successfully", 34, 72, 346, 19),
    DONE_FINISHED: ctl("Finished", 165, 160, 100, 25),
}
PAGE = {"centred": True, "caption": True}
TEMP_REFUSAL = "Sorry, You need to Extract / Unzip the Setup program first."


def in_use(name):
    return (f"Sorry, the file '{name}' is in use by Quorvex Plenar or another program.\r\n\r\n"
            "Please close Quorvex Plenar, then click Retry. Cancel leaves the installation as it is.")


def not_removed(name):
    return (f"Sorry, the file '{name}' could not be removed from your computer.\r\n\r\n"
            "Please close Quorvex Plenar, then run the uninstall again.")


COPY_FAILURE = ("Sorry, the file 'Keyglyph.dll' was not copied to your computer.\r\n\r\n"
                "Please run Setup again, or download the other setup with the individual "
                "files included.")

# ---- Walking through the wizard --------------------------------------------------------


def accept_with_mouse():
    return [("wait", LICENCE), ("click", LICENCE, ACCEPT),
            ("controls", LICENCE, {LIC_NEXT: {"visible": True}, ACCEPT: CHECKED}),
            ("click", LICENCE, LIC_NEXT)]


def accept_with_keys():
    return [("wait", LICENCE), ("key", LICENCE, "A"),
            ("controls", LICENCE, {LIC_NEXT: {"visible": True}, ACCEPT: CHECKED}),
            ("key", LICENCE, "n")]


def through_units_and_shortcuts():
    return [("wait", UNITS), ("click", UNITS, NEXT), ("wait", SHORTCUTS), ("click", SHORTCUTS, NEXT)]


def finish(start_app):
    steps = [("wait", FINISH, 25)]
    if not start_app:
        steps += [("click", FINISH, RUN_BOX), ("controls", FINISH, {RUN_BOX: UNCHECKED})]
    return steps + [("click", FINISH, FINISHED), ("exit",)]


# ---- Outcomes ------------------------------------------------------------------------


def settings(start_folder, units=("M", "C"), product="Microsoft Windows 7", admin="1", also=()):
    """The Settings key after an installation started from start_folder."""
    speed, temperature = units
    layered = "8" in product or "10" in product
    values = {
        "versione": "2.11", "pathe": INSTALL, "LogFilePathe": LOGS, "Bit": "32",
        "SkipDriverSearch": "0", "FirstTimeRun": "1", "Windows": product.lstrip(),
        "Administrator": admin, "TempPath": start_folder, "Speede": speed, "Tempe": temperature,
        "WinPatch": "1" if layered else None,
    }
    checks = [("reg", SETTINGS, name, "REG_SZ", ANY) for name in WEB_VALUES]
    checks += [("reg", SETTINGS, name, "REG_SZ" if data is not None else None, data)
               for name, data in values.items()]
    names = set(WEB_VALUES) | set(also) | {name for name, data in values.items() if data is not None}
    checks += [("names", SETTINGS, names),
               ("reg", LAYERS, APP_EXE, "REG_SZ" if layered else None, "~ WIN7RTM")]
    return checks


UNINSTALL_ENTRY = [
    ("reg", UNINSTALL, "DisplayName", "REG_SZ", "Quorvex Plenar 2.11 - Vehicle diagnostics software"),
    ("reg", UNINSTALL, "DisplayIcon", "REG_SZ", APP_EXE + ",0"),
    ("reg", UNINSTALL, "DisplayVersion", "REG_SZ", "2.11"),
    ("reg", UNINSTALL, "Publisher", "REG_SZ", "Brindlemark"),
    ("reg", UNINSTALL, "InstallLocation", "REG_SZ", INSTALL),
    ("reg", UNINSTALL, "URLInfoAbout", "REG_SZ", ANY),
    ("same", UNINSTALL, "URLInfoAbout", SETTINGS, "OfficialWebSite"),
    ("reg", UNINSTALL, "EstimatedSize", "REG_DWORD", 0x6000),
    ("reg", UNINSTALL, "UninstallString", "REG_SZ", INSTALLED_SETUP),
    ("reg", UNINSTALL, "QuietUninstallString", "REG_SZ", QUIET_UNINSTALL),
    ("reg", UNINSTALL, "NoModify", "REG_DWORD", 1),
    ("reg", UNINSTALL, "NoRepair", "REG_DWORD", 1),
    ("names", UNINSTALL, {"DisplayName", "DisplayIcon", "DisplayVersion", "Publisher",
                          "InstallLocation", "URLInfoAbout", "EstimatedSize", "UninstallString",
                          "QuietUninstallString", "NoModify", "NoRepair"}),
    ("listed", True),
]


def startup_writes(folder):
    """What every start that is not refused leaves, whatever happens next."""
    return [("file", folder + "Eula.txt", 3566), ("file", folder + "ReadMe.txt", 1900),
            ("file", INSTALL, "dir"), ("file", LOGS, "dir"), ("names", PROBE, None),
            ("reg", SETTINGS, "Administrator", "REG_SZ", "1")]


def program_files(present):
    return [("file", INSTALL + "\\Keyglyph.dll", "dist:Keyglyph.dll" if present else None),
            ("file", APP_EXE, "dist:QuorvexPlenar.exe" if present else None)]


def links(app, logs):
    return [("link", APP_LINK, APP_EXE if app else None, "Quorvex Plenar by Brindlemark"),
            ("link", LOG_LINK, LOGS if logs else None, "Open Diagnostic Log Files")]


def nothing_installed(folder, units=None):
    """Left before the installation step: start-up writes only (and units, if chosen)."""
    speed, temperature = units or (None, None)
    return startup_writes(folder) + program_files(False) + links(False, False) + [
        ("reg", SETTINGS, "versione", None, None), ("reg", SETTINGS, "pathe", None, None),
        ("reg", SETTINGS, "TempPath", "REG_SZ", folder),
        ("reg", SETTINGS, "Speede", "REG_SZ" if speed else None, speed),
        ("reg", SETTINGS, "Tempe", "REG_SZ" if temperature else None, temperature),
        ("names", UNINSTALL, None), ("listed", False), ("app", False)]


def installed(folder, units=("M", "C"), product="Microsoft Windows 7", app_link=True,
              log_link=True, app=False, also=()):
    return (startup_writes(folder) + settings(folder, units, product, also=also) +
            UNINSTALL_ENTRY + program_files(True) + links(app_link, log_link) + [("app", app)] +
            [("file", INSTALLED_SETUP, "setup")])  # what the uninstall entry names


# An installation of this version as an earlier run left it, with the application's
# own first-run files and settings beside it.
def installed_before(tooltips=False, temp_path=DOWNLOADS, version="2.11", small=False):
    """small: stand-ins of a few bytes for the program files, on a disk that holds little."""
    reg = [(SETTINGS, name, "http://example.invalid/" + name) for name in WEB_VALUES]
    reg += [(SETTINGS, "versione", version), (SETTINGS, "pathe", INSTALL),
            (SETTINGS, "LogFilePathe", LOGS), (SETTINGS, "Bit", "32"),
            (SETTINGS, "SkipDriverSearch", "0"), (SETTINGS, "FirstTimeRun", "1"),
            (SETTINGS, "Windows", "Microsoft Windows 10 Pro"), (SETTINGS, "Administrator", "1"),
            (SETTINGS, "Speede", "K"), (SETTINGS, "Tempe", "F"),
            (SETTINGS, "WinPatch", "1"), (SETTINGS, "Nullbre", "7"), (SETTINGS, "DriverName", "x"),
            (LAYERS, APP_EXE, "~ WIN7RTM"),
            (SYSTEM, "ProductName", "Microsoft Windows 10 Pro")]
    if tooltips:
        reg.append((SETTINGS, "tooltips", "1"))
    if temp_path:
        reg.append((SETTINGS, "TempPath", temp_path))
    reg += [(UNINSTALL, name, data) for name, data in (
        ("DisplayName", f"Quorvex Plenar {version} - Vehicle diagnostics software"),
        ("DisplayIcon", APP_EXE + ",0"), ("DisplayVersion", version), ("Publisher", "Brindlemark"),
        ("InstallLocation", INSTALL), ("UninstallString", INSTALLED_SETUP))]
    reg += [(UNINSTALL, "EstimatedSize", 0x6000), (UNINSTALL, "NoModify", 1),
            (UNINSTALL, "NoRepair", 1)]
    programs = [b"old library", b"old application", b"old setup"] if small else [
        "dist:Keyglyph.dll", "dist:QuorvexPlenar.exe", "setup"]
    files = list(zip((INSTALL + "\\Keyglyph.dll", APP_EXE, INSTALLED_SETUP), programs))
    files += [(INSTALL + "\\" + REMOVAL_KEEPS, b"help")]
    files += [(INSTALL + "\\" + name, b"first run") for name in FIRST_RUN_FILES]
    files += [("DESKTOP\\" + name, b"link") for name in (APP_LINK, LOG_LINK) + OLD_LINKS]
    files += [(LOGS + "\\2024-01-01.log", b"log")]
    return {"reg": reg, "files": files}


def as_before(prepare):
    """The folder, the links and the records exactly as the preparation left them: what a
    step undone, or never begun, leaves."""
    checks, names = [], {}
    for key, name, data in prepare["reg"]:
        kind = None if data is None else "REG_DWORD" if isinstance(data, int) else "REG_SZ"
        checks.append(("reg", key, name, kind, data))
        names.setdefault(key, set()).update([name] if data is not None else [])
    checks += [("names", key, names[key]) for key in (SETTINGS, UNINSTALL, LAYERS)]
    checks += [("file", path, data) for path, data in prepare["files"]]
    for folder in (INSTALL, "DESKTOP"):
        checks.append(("folder", folder + "\\", [path[len(folder) + 1:] for path, _ in prepare["files"]
                                          if path.startswith(folder + "\\")]))
    shown = dict((name, data) for key, name, data in prepare["reg"] if key == UNINSTALL)
    return checks + [("names", UNDO, None), ("listed", shown.get("DisplayName", False))]


# 2.00 installed with its first-run files and links, in a folder with room for them only.
OLD_ON_SMALL_DISK = dict(installed_before(version="2.00", small=True), tmpfs=1024)


def removed_files():
    """Program files and links that repair and uninstall take away; what they leave."""
    return (program_files(False) +
            [("file", INSTALL + "\\" + name, None) for name in FIRST_RUN_FILES] +
            [("file", INSTALL + "\\" + REMOVAL_KEEPS, 4), ("file", LOGS + "\\2024-01-01.log", 3)] +
            [("link", name, None, None) for name in (APP_LINK, LOG_LINK) + OLD_LINKS])


def uninstalled(tooltips):
    kept = ({"tooltips", "FirstTimeRun", "TempPath"} | set(WEB_VALUES)) if tooltips else None
    return removed_files() + [
        ("names", SETTINGS, kept), ("names", UNINSTALL, None), ("reg", LAYERS, APP_EXE, None, None),
        ("listed", False), ("file", INSTALL, "dir"), ("vanishes", INSTALLED_SETUP)]


def untouched_installation():
    return [("reg", SETTINGS, "versione", "REG_SZ", "2.11"), ("reg", SETTINGS, "Nullbre", "REG_SZ", "7"),
            ("reg", LAYERS, APP_EXE, "REG_SZ", "~ WIN7RTM"), ("listed", True),
            ("file", INSTALLED_SETUP, "setup")] + program_files(True) + [
            ("file", INSTALL + "\\home.bmp", 9), ("file", "DESKTOP\\" + APP_LINK, 4)]


# The log of a silent first installation from Downloads on "Windows 10 Pro".
SETTINGS_LONG = "HKEY_CURRENT_USER\\Software\\Brindlemark"
UNINSTALL_LONG = "HKEY_CURRENT_USER" + UNINSTALL[4:]
SILENT_LOG = [
    'Quorvex Plenar setup 2.11 started: "C:\\Downloads\\SetupQuorvexPlenar.exe" /S /LOG=C:\\setup.log',
    "File C:\\Downloads\\Eula.txt: written, 3566 bytes",
    "File C:\\Downloads\\ReadMe.txt: written, 1900 bytes",
    'Registry HKEY_LOCAL_MACHINE\\Software\\Quorvex Plenar [Test] = "1": done',
    "Registry key HKEY_LOCAL_MACHINE\\Software\\Quorvex Plenar deleted: done",
    f'Registry {SETTINGS_LONG} [Administrator] = "1": done',
    f'Registry {SETTINGS_LONG} [TempPath] = "C:\\Downloads\\": done',
    "Folder C:\\Quorvex Plenar: created",
    "Folder C:\\Quorvex Plenar Log Files: created",
    "Installed version: none",
    "Installation step: begun; undone if a file does not arrive",
    f'Registry {SETTINGS_LONG} [Speede] = "M": done',
    f'Registry {SETTINGS_LONG} [Tempe] = "C": done',
    f'Registry {SETTINGS_LONG} [OfficialWebSite] = "https://www.brindlemark.example/quorvex-plenar/": done',
    f'Registry {SETTINGS_LONG} [DriversWebSite] = '
    '"https://duckduckgo.com/?q=Prolific+PL2303+USB+to+serial+driver": done',
    f'Registry {SETTINGS_LONG} [FaceBookWebSite] = "https://www.facebook.com/BrindlemarkDiagnostics": done',
    f'Registry {SETTINGS_LONG} [site] = "https://www.brindlemark.example/quorvex-plenar/downloads/": done',
    f'Registry {SETTINGS_LONG} [website] = "https://www.brindlemark.example/": done',
    f'Registry {SETTINGS_LONG} [versione] = "2.11": done',
    f'Registry {SETTINGS_LONG} [pathe] = "{INSTALL}": done',
    f'Registry {SETTINGS_LONG} [LogFilePathe] = "{LOGS}": done',
    f'Registry {SETTINGS_LONG} [Bit] = "32": done',
    f'Registry {SETTINGS_LONG} [SkipDriverSearch] = "0": done',
    f'Registry {SETTINGS_LONG} [FirstTimeRun] = "1": done',
    f'Registry {SETTINGS_LONG} [Windows] = "Windows 10 Pro": done',
    f'Registry {UNINSTALL_LONG} [DisplayName] = "Quorvex Plenar 2.11 - Vehicle diagnostics software": done',
    f'Registry {UNINSTALL_LONG} [DisplayIcon] = "{APP_EXE},0": done',
    f'Registry {UNINSTALL_LONG} [DisplayVersion] = "2.11": done',
    f'Registry {UNINSTALL_LONG} [Publisher] = "Brindlemark": done',
    f'Registry {UNINSTALL_LONG} [InstallLocation] = "{INSTALL}": done',
    f'Registry {UNINSTALL_LONG} [URLInfoAbout] = "https://www.brindlemark.example/quorvex-plenar/": done',
    f'Registry {UNINSTALL_LONG} [EstimatedSize] = 24576: done',
    f'Registry {UNINSTALL_LONG} [UninstallString] = "{INSTALLED_SETUP}": done',
    f'Registry {UNINSTALL_LONG} [QuietUninstallString] = "{QUIET_UNINSTALL}": done',
    f'Registry {UNINSTALL_LONG} [NoModify] = 1: done',
    f'Registry {UNINSTALL_LONG} [NoRepair] = 1: done',
    f"File {INSTALL}\\Keyglyph.dll: written, {{Keyglyph.dll}} bytes",
    f"File {APP_EXE}: written, {{QuorvexPlenar.exe}} bytes",
    f"File {INSTALL}\\Keyglyph.dll: arrived whole",
    f"File {INSTALL}\\quorvexplenar.exe: arrived whole",
    f"File {INSTALLED_SETUP}: written, {{setup}} bytes, a copy of this setup program",
    "Registry key HKEY_CURRENT_USER" + UNDO[4:] + " deleted: done",
    "Installation step: complete",
    f"Link C:\\users\\{{user}}\\Desktop\\{APP_LINK} -> {APP_EXE}: done",
    f"Link C:\\users\\{{user}}\\Desktop\\{LOG_LINK} -> {LOGS}: done",
    f"Folder {INSTALL}: already there",
    f"Folder {LOGS}: already there",
    f'Registry HKEY_CURRENT_USER{LAYERS[4:]} [{APP_EXE}] = "~ WIN7RTM": done',
    f'Registry {SETTINGS_LONG} [WinPatch] = "1": done',
    "Finished: exit code 0",
]


# As the package manager runs the setup program: from its download folder, with the
# switches of the manifest the build wrote, the log asked for in a folder it made.
WINGET_FOLDER = "TEMP\\WinGet\\Brindlemark.QuorvexPlenar.2.11\\"
WINGET_LOG = "C:\\WinGet logs\\Brindlemark.QuorvexPlenar.2.11.log"


def winget_switches(manifest_folder):
    import yaml  # the host's; the guest does not run this row
    text = (Path(manifest_folder) / "Brindlemark.QuorvexPlenar.installer.yaml").read_text()
    switches = yaml.load(text, Loader=yaml.BaseLoader)["InstallerSwitches"]
    return switches["Silent"] + " " + switches["Log"].replace("<LOGPATH>", WINGET_LOG)


def winget_log():
    folder = "C:\\users\\{user}\\Temp\\WinGet\\Brindlemark.QuorvexPlenar.2.11\\"
    started = f'Quorvex Plenar setup 2.11 started: "{folder}SetupQuorvexPlenar.exe" /S /LOG="{WINGET_LOG}"'
    return [started] + [line.replace(DOWNLOADS, folder) for line in SILENT_LOG[1:]]


def leave(page, how, before=()):
    """Steps that reach a page and leave it; how is ("click", id), ("key", k) or ("close",)."""
    action = (how[0], page) + tuple(how[1:])
    return list(before) + [("wait", page), action, ("exit",)]


def row(name, steps, outcome, prepare=None, start=DOWNLOADS, core=False, args=(), signed=False,
        desktop=None, win32=False):
    """core: one of the roads that the 32-bit build also runs, in the slower guest, under
    WOW64 in a 64-bit prefix as on 64-bit Windows. win32: a core road that the guest runs in
    a 32-bit prefix too, for the users who still have 32-bit Windows. args: the setup
    program's switches, or one text: the command line after the program's quoted path, as
    a package manager writes it; or a routine that makes that text from the folder of
    the build's package manifest. signed: the program started is a copy signed with a throwaway
    certificate, as every release is signed. desktop: the name of the user's desktop
    folder, when not Desktop."""
    return {"name": name, "steps": steps, "outcome": outcome,
            "prepare": prepare or {"reg": [], "files": []}, "start": start, "core": core,
            "args": args, "signed": signed, "desktop": desktop, "win32": win32}


def product(name):
    return {"reg": [(SYSTEM, "ProductName", name)], "files": []}


def version(data):
    return {"reg": [(SETTINGS, "versione", data)], "files": []}


def app_running(prepare, minimized=False):
    """The preparation, and then the installed application started and left running;
    minimized: then minimised, as a user who goes on with the setup program's pages
    leaves it. (A window of another program next in line is activated under Wine when a
    page closes, and Wine can then stack its picture over the next page on the screen.)"""
    return dict(prepare, run=[APP_EXE], minimize=[APP] if minimized else [])


def held(prepare, *paths):
    """The preparation, and then the files held open by another program."""
    return dict(prepare, hold=list(paths))


REG_SZ, REG_BINARY, REG_DWORD, REG_MULTI_SZ, REG_QWORD = 1, 3, 4, 7, 11
# What start-up decides, seen from the outside.
ROADS = {"wizard": leave(LICENCE, ("click", CANCEL)), "options page": leave(OPTIONS, ("click", EXIT)),
         "end": [("silent",)]}


# A second setup program comes from another folder, so that anything it wrote would show.
OTHER_FOLDER = "C:\\Other\\"
NOTEPAD_EXE, NOTEPAD = "C:\\windows\\system32\\notepad.exe", "Untitled - Notepad"
# Folders named with letters that code page 1252 lacks. "TempPath" holds the ANSI form, as
# the ANSI functions give it: the L with stroke becomes "L", the Chinese letters "?".
NAMED_DOWNLOADS = "PROFILE\\Pobrane \u0141ukasza \u4e0b\u8f7d\\"
NAMED_DOWNLOADS_ANSI = "PROFILE\\Pobrane Lukasza ??\\"
NAMED_DESKTOP = "Pulpit \u0141ukasza \u684c\u9762"


def installed_from_named_folder(folder, product="Windows 10 Pro"):
    return [c for c in installed(folder, product=product) if c[:3] != ("reg", SETTINGS, "TempPath")] + [
        ("reg", SETTINGS, "TempPath", "REG_SZ", NAMED_DOWNLOADS_ANSI)]


# ---- A PC shared by several accounts ----------------------------------------------------
CMD = "C:\\windows\\system32\\cmd.exe"
PLANTED = INSTALL + "\\version.dll"
FOLDER_OF_ANOTHER = ("Sorry, the folder 'C:\\Quorvex Plenar' belongs to another account on this "
                     "computer, so Setup cannot install Quorvex Plenar.\r\n\r\n"
                     "An administrator can remove the folder; then run Setup again.")


def planted(prepare):
    """The preparation, and a library that another account put beside the application."""
    return dict(prepare, files=prepare["files"] + [(PLANTED, b"planted")],
                foreign=[*prepare.get("foreign", ()), PLANTED])


def refused():
    """Start-up's records, and nothing installed: no log-files folder, program file, entry
    or link."""
    return [("file", DOWNLOADS + "Eula.txt", 3566), ("file", INSTALL, "dir"), ("file", LOGS, None),
            ("reg", SETTINGS, "versione", None, None), ("names", UNINSTALL, None),
            ("listed", False), ("file", INSTALLED_SETUP, None)] + program_files(False) + links(False, False)


# ---- Scaled displays ----------------------------------------------------------------
DPI_KEYS = ("HKCU\\Control Panel\\Desktop",
            "HKLM\\System\\CurrentControlSet\\Hardware Profiles\\Current\\Software\\Fonts")
WINE_DESKTOPS = "HKCU\\Software\\Wine\\Explorer\\Desktops"
SCALED_DESKTOP = "1600x1200"  # the test displays' size: a 450-pixel page at 192 DPI fits
PAGE_FONT = ("Arial", 12, 0)  # the pages' face, points and weight
# Client areas of the pages at 96 DPI.
CLIENT_96 = {LICENCE: (664, 375), UNITS: (442, 423), SHORTCUTS: (442, 423), WAIT: (500, 350),
             FINISH: (442, 323)}


def text_margin(style):
    """Pixels of a control at 96 DPI that its text cannot use: a check box's or radio
    button's box and gap, a push button's frame and focus ring."""
    kind = style & 0xF
    if kind in (2, 3, 4, 9):  # check boxes and radio buttons
        return 20
    return 6 if kind == 0xB else 0  # owner-drawn push button


def at_dpi(dpi, prepare):
    return dict(prepare, dpi=dpi)


def laid_out_installation():
    """The first installation's pages, each checked at the row's DPI and shot."""
    def page(title, controls, name, *then):
        return [("wait", title, 25), ("window", title, {"centred": True}),
                ("layout", title, controls, CLIENT_96[title]), ("shot", name), *then]
    return [*page(LICENCE, LICENCE_START, "licence"), *accept_with_mouse()[1:],
            *page(UNITS, UNITS_START, "units", ("click", UNITS, NEXT)),
            *page(SHORTCUTS, SHORTCUTS_START, "shortcuts", ("click", SHORTCUTS, NEXT)),
            *page(WAIT, WAIT_LABELS, "please-wait", ("painted", WAIT, (1, 2, 3))),
            *page(FINISH, FINISH_START, "finish"), *finish(start_app=False)[1:]]


SCENARIOS = [
    # ---- First installations ---------------------------------------------------------
    row("a first installation accepted with the mouse, with both shortcuts, starts the application",
        [("wait", LICENCE), ("window", LICENCE, PAGE), ("controls", LICENCE, LICENCE_START),
         ("shot", "licence"), *accept_with_mouse()[1:],
         ("wait", UNITS), ("window", UNITS, PAGE), ("controls", UNITS, UNITS_START),
         ("shot", "units"), ("click", UNITS, NEXT),
         ("wait", SHORTCUTS), ("window", SHORTCUTS, PAGE),
         ("controls", SHORTCUTS, SHORTCUTS_START), ("shot", "shortcuts"),
         ("click", SHORTCUTS, NEXT),
         ("wait", WAIT), ("window", WAIT, {"centred": True, "topmost": True, "caption": False}),
         ("controls", WAIT, WAIT_LABELS), ("painted", WAIT, (1, 2, 3)), ("shot", "please-wait"),
         ("wait", FINISH, 25), ("window", FINISH, PAGE), ("controls", FINISH, FINISH_START),
         ("shot", "finish"), ("click", FINISH, FINISHED), ("exit",),
         ("app", True), ("shot", "application")],
        installed(DOWNLOADS, product="Windows 10 Pro", app=True),
        prepare=product("Windows 10 Pro"), core=True, win32=True),
    row("a first installation accepted with the keys A then N, in km/h and Fahrenheit, with only "
        "the application's shortcut and no product name, does not start the application",
        [*accept_with_keys(), ("wait", UNITS), ("click", UNITS, KMH),
         ("controls", UNITS, {MPH: UNCHECKED, KMH: CHECKED}), ("click", UNITS, DEG_F),
         ("controls", UNITS, {DEG_C: UNCHECKED, DEG_F: CHECKED}), ("click", UNITS, NEXT),
         ("wait", SHORTCUTS), ("click", SHORTCUTS, LOG_LINK_BOX),
         ("controls", SHORTCUTS, {LOG_LINK_BOX: UNCHECKED}), ("click", SHORTCUTS, NEXT),
         *finish(start_app=False)],
        installed(DOWNLOADS, units=("K", "F"), product="", log_link=False),
        prepare={"reg": [(SYSTEM, "ProductName", None)], "files": []}),
    row("going back from each page starts it afresh; the A key stays armed; no units and no "
        "shortcuts chosen; the finish page's close box starts nothing",
        [*accept_with_keys(), ("wait", UNITS), ("click", UNITS, KMH), ("click", UNITS, BACK),
         ("wait", LICENCE), ("controls", LICENCE, LICENCE_AGAIN), ("key", LICENCE, "N"),
         ("wait", UNITS), ("controls", UNITS, {MPH: CHECKED, KMH: UNCHECKED}),
         ("click", UNITS, DEG_C), ("controls", UNITS, {DEG_C: UNCHECKED, DEG_F: UNCHECKED}),
         ("click", UNITS, NEXT),
         ("wait", SHORTCUTS), ("click", SHORTCUTS, APP_LINK_BOX), ("click", SHORTCUTS, BACK),
         ("wait", UNITS), ("controls", UNITS, {MPH: CHECKED, DEG_C: CHECKED}),
         ("click", UNITS, DEG_C), ("click", UNITS, NEXT),
         ("wait", SHORTCUTS), ("controls", SHORTCUTS, {APP_LINK_BOX: CHECKED, LOG_LINK_BOX: CHECKED}),
         ("click", SHORTCUTS, APP_LINK_BOX), ("click", SHORTCUTS, LOG_LINK_BOX),
         ("click", SHORTCUTS, NEXT), ("wait", FINISH, 25), ("close", FINISH), ("exit",)],
        installed(DOWNLOADS, units=("M", None), product="Windows 8.1 Pro", app_link=False,
                  log_link=False),
        prepare=product("Windows 8.1 Pro")),
    row("installed from Downloads, then removed from the platform's list of installed programs; "
        "its shell on the desktop link starts the application first",
        [*accept_with_mouse(), *through_units_and_shortcuts(), *finish(start_app=False),
         ("check", ("file", INSTALLED_SETUP, "setup"), ("listed", True)),
         ("start", "start", "DESKTOP\\" + APP_LINK), ("exit",), ("app", True), ("close", APP),
         ("start", "uninstaller", "--remove", "QuorvexPlenar"),
         ("wait", OPTIONS), ("click", OPTIONS, UNINSTALL_CHOICE), ("click", OPTIONS, NEXT),
         ("wait", CONFIRM), ("click", CONFIRM, YES), ("wait", DONE),
         ("click", DONE, DONE_FINISHED), ("exit",)],
        program_files(False) + links(False, False) + [
            ("names", SETTINGS, None), ("names", UNINSTALL, None), ("listed", False),
            ("file", INSTALL, "dir"), ("vanishes", INSTALLED_SETUP), ("app", False)],
        prepare=product("Windows 10 Pro")),
    row("an installation folder that cannot be made ends with the message naming Keyglyph.dll",
        [*accept_with_mouse(), *through_units_and_shortcuts(), ("wait", WAIT), ("wait", ERROR, 15),
         ("controls", ERROR, {BOX_TEXT: {"text": COPY_FAILURE}}), ("window", ERROR, {"owner": WAIT}),
         ("shot", "copy-failure"), ("press", "Return"), ("exit",)],
        [("reg", SETTINGS, "versione", None, None), ("names", UNINSTALL, None), ("listed", False),
         ("names", UNDO, None), ("file", INSTALL, 5), *links(False, False), ("app", False)],
        prepare={"reg": [], "files": [(INSTALL, b"file!")]}, core=True),

    # ---- Leaving before anything is installed ----------------------------------------
    row("Cancel on the licence page leaves", leave(LICENCE, ("click", CANCEL)),
        nothing_installed(DOWNLOADS)),
    row("Decline after Accept on the licence page leaves",
        leave(LICENCE, ("click", DECLINE), [("wait", LICENCE), ("click", LICENCE, ACCEPT)]),
        nothing_installed(DOWNLOADS)),
    row("the licence page's close box leaves", leave(LICENCE, ("close",)), nothing_installed(DOWNLOADS)),
    row("the D key on the licence page leaves", leave(LICENCE, ("key", "D")), nothing_installed(DOWNLOADS)),
    row("N after a clicked Accept does not go on; c leaves",
        leave(LICENCE, ("key", "c"), [("wait", LICENCE), ("click", LICENCE, ACCEPT),
                                      ("key", LICENCE, "n"), ("stays", LICENCE)]),
        nothing_installed(DOWNLOADS)),
    row("Escape on the licence page leaves", leave(LICENCE, ("key", "Escape")), nothing_installed(DOWNLOADS)),
    row("Exit on the units page leaves", leave(UNITS, ("click", EXIT), accept_with_mouse()),
        nothing_installed(DOWNLOADS)),
    row("the units page's close box leaves", leave(UNITS, ("close",), accept_with_keys()),
        nothing_installed(DOWNLOADS)),
    row("Exit on the shortcut page leaves; the units chosen are not written",
        leave(SHORTCUTS, ("click", EXIT), accept_with_mouse() + [
            ("wait", UNITS), ("click", UNITS, KMH), ("click", UNITS, DEG_F), ("click", UNITS, NEXT)]),
        nothing_installed(DOWNLOADS)),
    row("the shortcut page's close box leaves",
        leave(SHORTCUTS, ("close",), accept_with_mouse() + [("wait", UNITS), ("click", UNITS, NEXT)]),
        nothing_installed(DOWNLOADS)),

    # ---- The same version installed ----------------------------------------------------
    row("Setup on the options page, started from the installation folder, runs the wizard",
        [("wait", OPTIONS), ("window", OPTIONS, PAGE), ("controls", OPTIONS, OPTIONS_START),
         ("shot", "options"), ("click", OPTIONS, NEXT), ("wait", LICENCE),
         ("controls", LICENCE, LICENCE_AGAIN), ("key", LICENCE, "Escape"), ("exit",)],
        untouched_installation() + [("reg", SETTINGS, "TempPath", None, None)],
        prepare=installed_before(temp_path=None), start=INSTALL + "\\"),
    row("Repair runs the wizard, then replaces the installed files and shortcuts at its "
        "installation step",
        [("wait", OPTIONS), ("click", OPTIONS, REPAIR_CHOICE),
         ("controls", OPTIONS, {SETUP_CHOICE: UNCHECKED, REPAIR_CHOICE: CHECKED}),
         ("click", OPTIONS, NEXT), ("wait", LICENCE), ("check", *untouched_installation()),
         *accept_with_keys()[1:], *through_units_and_shortcuts(), *finish(start_app=False)],
        installed(DOWNLOADS, product="Microsoft Windows 10 Pro", also=("Nullbre", "DriverName")) + [
            ("file", INSTALL + "\\home.bmp", None), ("names", UNDO, None),
            ("folder", INSTALL, ["Keyglyph.dll", "QuorvexPlenar.exe", "SetupQuorvexPlenar.exe"]),
            ("folder", "DESKTOP\\", [APP_LINK, LOG_LINK])],  # the copy step takes commports.chm
        prepare=installed_before(), core=True),
    *[row(f"Repair left on the {page} page changes nothing", [
        ("wait", OPTIONS), ("click", OPTIONS, REPAIR_CHOICE), ("click", OPTIONS, NEXT), *steps,
        ("exit",)], as_before(installed_before()), prepare=installed_before())
      for page, steps in [("licence", [("wait", LICENCE), ("click", LICENCE, CANCEL)]),
                          ("shortcut", [*accept_with_mouse(), ("wait", UNITS), ("click", UNITS, NEXT),
                                        ("wait", SHORTCUTS), ("click", SHORTCUTS, EXIT)])]],
    row("Uninstall confirmed with Yes from the installation folder removes everything, "
        "then the installed setup program",
        [("wait", OPTIONS), ("click", OPTIONS, UNINSTALL_CHOICE), ("click", OPTIONS, NEXT),
         ("wait", CONFIRM), ("window", CONFIRM, dict(PAGE, topmost=True)),
         ("controls", CONFIRM, CONFIRM_START), ("shot", "uninstall-confirm"), ("click", CONFIRM, YES),
         ("wait", DONE), ("window", DONE, PAGE), ("controls", DONE, DONE_START), ("shot", "uninstall-done"),
         ("check", ("names", UNINSTALL, None), *removed_files()),
         ("click", DONE, DONE_FINISHED), ("exit",)],
        # The guest takes this road by keyboard ("Uninstall by keyboard alone").
        uninstalled(tooltips=False), prepare=installed_before(), start=INSTALL + "\\"),
    row("Uninstall confirmed with the Y key keeps the settings the application owns when it "
        "set tooltips; the done page's close box still deletes the installed setup program",
        [("wait", OPTIONS), ("click", OPTIONS, UNINSTALL_CHOICE), ("click", OPTIONS, NEXT),
         ("wait", CONFIRM), ("key", CONFIRM, "Y"), ("wait", DONE), ("close", DONE), ("exit",)],
        uninstalled(tooltips=True) + [("file", DOWNLOADS + "SetupQuorvexPlenar.exe", "setup")],
        prepare=installed_before(tooltips=True)),
    row("No on the uninstall question removes nothing",
        leave(CONFIRM, ("click", NO), [("wait", OPTIONS), ("click", OPTIONS, UNINSTALL_CHOICE),
                                        ("click", OPTIONS, NEXT)]),
        untouched_installation(), prepare=installed_before()),
    row("the n key on the uninstall question removes nothing",
        leave(CONFIRM, ("key", "n"), [("wait", OPTIONS), ("click", OPTIONS, UNINSTALL_CHOICE),
                                       ("click", OPTIONS, NEXT)]),
        untouched_installation(), prepare=installed_before()),
    row("Escape on the uninstall question removes nothing",
        leave(CONFIRM, ("key", "Escape"), [("wait", OPTIONS), ("click", OPTIONS, UNINSTALL_CHOICE),
                                            ("click", OPTIONS, NEXT)]),
        untouched_installation(), prepare=installed_before()),
    row("the uninstall question's close box removes nothing",
        leave(CONFIRM, ("close",), [("wait", OPTIONS), ("click", OPTIONS, UNINSTALL_CHOICE),
                                     ("click", OPTIONS, NEXT)]),
        untouched_installation(), prepare=installed_before()),
    row("Exit on the options page removes nothing", leave(OPTIONS, ("click", EXIT)),
        untouched_installation(), prepare=installed_before()),
    row("the options page's close box removes nothing", leave(OPTIONS, ("close",)),
        untouched_installation(), prepare=installed_before()),

    # ---- Installed versions ------------------------------------------------------------
    row("a newer version 3 installed ends without a window",
        [("silent",)], startup_writes(DOWNLOADS) + [("reg", SETTINGS, "versione", "REG_SZ", "3")],
        prepare=version("3"), core=True),
    row("a newer version 2.2 installed ends without a window",
        [("silent",)], startup_writes(DOWNLOADS) + [("reg", SETTINGS, "versione", "REG_SZ", "2.2")],
        prepare=version("2.2")),
    row("an older version 2.1 installed gets the wizard", leave(LICENCE, ("key", "Escape")),
        startup_writes(DOWNLOADS), prepare=version("2.1")),
    row("an older version 1 installed gets the wizard", leave(LICENCE, ("click", CANCEL)),
        startup_writes(DOWNLOADS), prepare=version("1")),
    row("a version that is not a number gets the wizard", leave(LICENCE, ("click", CANCEL)),
        startup_writes(DOWNLOADS), prepare=version("two point eleven")),
    # Hostile "versione" data: read as text up to the first NUL, numbers as " n", too long
    # for a text buffer as the empty text; a cut or overlong read would take another road.
    *[row(f"versione {what} leads to the {road}", ROADS[road], startup_writes(DOWNLOADS),
          prepare=version((kind, data)))
      for what, kind, data, road in [
          ("as REG_DWORD 3", REG_DWORD, (3).to_bytes(4, "little"), "end"),
          ("as REG_QWORD with 3 in its low half", REG_QWORD,
           (0xFFFFFFFF00000003).to_bytes(8, "little"), "end"),
          ("as REG_BINARY without a NUL", REG_BINARY, b"2.11", "options page"),
          ("as REG_BINARY of 255 bytes without a NUL", REG_BINARY, b" " * 252 + b"3.0", "wizard"),
          ("as REG_MULTI_SZ", REG_MULTI_SZ, b"2.11\0" + b"9\0\0", "options page"),
          ("of 0 bytes", REG_SZ, b"", "wizard"),
          ("of 254 bytes", REG_SZ, b" " * 249 + b"2.11\0", "options page"),
          ("of 255 bytes", REG_SZ, b" " * 250 + b"2.11\0", "options page"),
          ("of 4096 bytes", REG_SZ, b"3" + b" " * 4094 + b"\0", "wizard"),
          ("with embedded NULs", REG_SZ, b"2.11\0" + b"99\0", "options page"),
      ]],
    row("version \" 2.11\" with a leading blank and a 300-character pathe gets the options page",
        leave(OPTIONS, ("click", EXIT)),
        startup_writes(DOWNLOADS) + [("reg", SETTINGS, "TempPath", "REG_SZ", DOWNLOADS),
                                     ("reg", SETTINGS, "pathe", "REG_SZ", "C:\\" + "p" * 297)],
        prepare={"reg": [(SETTINGS, "versione", " 2.11"), (SETTINGS, "pathe", "C:\\" + "p" * 297)],
                 "files": []}),

    # ---- By keyboard alone, read by a screen reader -------------------------------------
    # ("reader", PAGE, NAMES) leaves the focus on the last name; the keys go on from there.
    row("a first installation by keyboard alone: km/h and no log-files shortcut chosen with Tab, "
        "Space and Enter, every page read as a screen reader reads it",
        [("wait", LICENCE), ("reader", LICENCE, [LICENCE_LIST_NAME, "Accept the terms and conditions",
                                                 "Cancel"]),
         ("keys", "A n"),
         ("wait", UNITS), ("reader", UNITS, [" Miles Per Hour", " Kilometers Per Hour", " Degrees C",
                                             " Degrees F", "Exit", "< Back", "Next >"]),
         ("keys", "Tab Tab space Return"),
         ("wait", SHORTCUTS), ("reader", SHORTCUTS, [" Create a desktop shortcut for Quorvex",
                                                     " Create a desktop shortcut for log files",
                                                     "Exit", "< Back", "Next >"]),
         ("keys", "Tab Tab space Return"),
         ("wait", FINISH, 25), ("reader", FINISH, [" Run Quorvex Plenar now.", "Finished"]),
         ("shot", "finish-focus"), ("keys", "Tab space Return"), ("exit",)],
        installed(DOWNLOADS, units=("K", "C"), log_link=False), core=True),
    row("Uninstall by keyboard alone: the arrows choose it, Enter, Y with a button focused, "
        "Enter on the done page; every page read as a screen reader reads it",
        [("wait", OPTIONS), ("reader", OPTIONS, [" Setup Quorvex Plenar version  2.11", "Exit", "Next >"]),
         ("keys", "Tab Down Down"), ("shot", "options-focus"),
         ("controls", OPTIONS, {UNINSTALL_CHOICE: CHECKED, SETUP_CHOICE: UNCHECKED}),
         ("keys", "Return"),
         ("wait", CONFIRM), ("reader", CONFIRM, ["Yes", "No"]), ("keys", "y"),
         ("wait", DONE), ("reader", DONE, ["Finished"]), ("keys", "Return"), ("exit",)],
        uninstalled(tooltips=False), prepare=installed_before(), start=INSTALL + "\\", core=True),
    row("Escape on the measurement page, with a box focused, leaves as its close box does",
        [*accept_with_mouse(), ("key", UNITS, "Tab"), ("keys", "Escape"), ("exit",)],
        nothing_installed(DOWNLOADS)),
    row("the in-use box works by keyboard: Escape is its Cancel and changes nothing",
        [("wait", OPTIONS), ("click", OPTIONS, REPAIR_CHOICE), ("click", OPTIONS, NEXT),
         ("wait", ERROR), ("keys", "Escape", ERROR), ("exit",)],
        untouched_installation() + [("app", True)],
        prepare=app_running(installed_before(), minimized=True)),
    row("Enter on the uninstall confirmation with the page focused removes nothing",
        [("wait", OPTIONS), ("click", OPTIONS, UNINSTALL_CHOICE), ("click", OPTIONS, NEXT),
         ("wait", CONFIRM), ("key", CONFIRM, "Return"), ("stays", CONFIRM), ("key", CONFIRM, "n"), ("exit",)],
        untouched_installation(), prepare=installed_before(), start=INSTALL + "\\"),

    # ---- Unattended: /S and the other switches ---------------------------------------------
    row("/S installs with the pages' defaults and no window, as the wizard does",
        [("silent", 60)], installed(DOWNLOADS, product="Windows 10 Pro"),
        prepare=product("Windows 10 Pro"), args=("/S",), core=True, win32=True),
    row("-s with km/h, Fahrenheit and no shortcuts installs those, with no window",
        [("silent", 60)], installed(DOWNLOADS, units=("K", "F"), app_link=False, log_link=False),
        args=("-s", "/speed=KMH", "/TEMPERATURE=f", "/Shortcuts=none")),
    row("/S with only the log-files shortcut", [("silent", 60)],
        installed(DOWNLOADS, app_link=False), args=("/S", "/SHORTCUTS=LOGS")),
    row("/S over the same version installs again; the recorded quiet uninstall removes it all, "
        "the installed setup program last",
        [("silent", 60), ("check", ("file", INSTALL + "\\add.bmp", 9), ("listed", True)),
         ("start", INSTALLED_SETUP, "/UNINSTALL", "/S"), ("silent", 60)],
        # the installation's copy step took the old help file that removal keeps
        [c for c in uninstalled(tooltips=False) if c[1] != INSTALL + "\\" + REMOVAL_KEEPS] +
        [("file", INSTALL + "\\" + REMOVAL_KEEPS, None)],
        prepare=installed_before(), args=("/S",)),
    row("a signed setup program installs with /S, its installed copy keeps a signature that "
        "verifies, and the quiet removal from that copy removes everything",
        [("silent", 60),
         ("check", *installed(DOWNLOADS, product="Windows 10 Pro"), ("signed", INSTALLED_SETUP)),
         ("start", INSTALLED_SETUP, "/UNINSTALL", "/S"), ("silent", 60)],
        program_files(False) + links(False, False) + [
            ("names", SETTINGS, None), ("names", UNINSTALL, None), ("listed", False),
            ("reg", LAYERS, APP_EXE, None, None), ("file", INSTALL, "dir"),
            ("vanishes", INSTALLED_SETUP)],
        prepare=product("Windows 10 Pro"), args=("/S",), signed=True),
    row("/S under a newer version installed changes nothing and ends with 3",
        [("silent", 30, EXIT_CODE["kExitNewerInstalled"])],
        startup_writes(DOWNLOADS) + program_files(False) + links(False, False) +
        [("reg", SETTINGS, "versione", "REG_SZ", "3"), ("names", UNINSTALL, None)],
        prepare=version("3"), args=("/S",)),
    row("/UNINSTALL /S from the installation folder removes as a confirmed uninstall does",
        [("silent", 60)], uninstalled(tooltips=False), prepare=installed_before(),
        start=INSTALL + "\\", args=("/UNINSTALL", "/S"), core=True, win32=True),
    row("/S from a Setup folder inside the user's Temp folder installs, recording that folder",
        [("silent", 60)], installed("TEMP\\Setup\\"), start="TEMP\\Setup\\", args=("/S",)),
    row("as the package manager runs it: from its download folder under Temp with the "
        "manifest's Silent and Log switches it installs and logs; the entry's quiet uninstall "
        "removes it; started there without switches, the pages still refuse",
        [("silent", 60), ("check", *installed(WINGET_FOLDER, product="Windows 10 Pro"),
                          ("reg", UNINSTALL, "QuietUninstallString", "REG_SZ", QUIET_UNINSTALL),
                          ("log", WINGET_LOG, winget_log())),
         ("command", QUIET_UNINSTALL), ("silent", 60),
         ("check", *program_files(False), *links(False, False), ("vanishes", INSTALLED_SETUP)),
         ("start", WINGET_FOLDER + "SetupQuorvexPlenar.exe"), ("wait", ERROR), ("click", ERROR, BOX_OK),
         ("exit",)],
        [("names", SETTINGS, None), ("names", UNINSTALL, None), ("listed", False)],
        prepare=dict(product("Windows 10 Pro"), files=[(WINGET_LOG, b"")]),
        start=WINGET_FOLDER, args=winget_switches),
    *[row(f"{' '.join(args)} ends with 87 and changes nothing", [("silent", 30, EXIT_CODE["kExitBadSwitch"])],
          [("names", SETTINGS, None), ("file", INSTALL, None), ("file", DOWNLOADS + "Eula.txt", None),
           ("file", "C:\\setup.log", None)],
          args=args)
      for args in [("/X",), ("/S", "/SPEED=furlongs"), ("/UNINSTALL",), ("/SHORTCUTS=APP",),
                   ("/LOG=C:\\setup.log", "/Q")]],
    row("/S /LOG writes a log of every step, line by line",
        [("silent", 60)],
        installed(DOWNLOADS, product="Windows 10 Pro") + [("log", "C:\\setup.log", SILENT_LOG)],
        prepare=product("Windows 10 Pro"), args=("/S", "/LOG=C:\\setup.log")),

    # ---- Where it is started from ----------------------------------------------------------
    row("started from a Setup folder inside the user's Temp folder, it refuses with a message",
        [("wait", ERROR), ("controls", ERROR, {BOX_TEXT: {"text": TEMP_REFUSAL}}), ("shot", "temp-refusal"),
         ("click", ERROR, BOX_OK), ("exit",)],
        [("names", SETTINGS, None), ("names", PROBE, None), ("file", INSTALL, None), ("file", LOGS, None),
         ("file", "TEMP\\Setup\\Eula.txt", None), ("file", "TEMP\\Setup\\ReadMe.txt", None)],
        start="TEMP\\Setup\\"),
    row("started from C:\\Temp, it refuses", leave(ERROR, ("click", BOX_OK)),
        [("names", SETTINGS, None), ("file", INSTALL, None), ("file", "C:\\Temp\\Eula.txt", None)],
        start="C:\\Temp\\"),
    row("started from a folder named temp in lower case, it runs", leave(LICENCE, ("click", CANCEL)),
        nothing_installed("C:\\temp\\x\\"), start="C:\\temp\\x\\"),

    # ---- A second setup program; folders named outside the code page ---------------------
    row("a second setup program started while the first shows its licence page brings that "
        "page to the front, ends with 0 and changes nothing; the first then installs",
        [("wait", LICENCE), ("beside", NOTEPAD_EXE), ("wait", NOTEPAD), ("front", NOTEPAD),
         ("again", OTHER_FOLDER, 0), ("front", LICENCE), ("close", NOTEPAD),
         ("check", ("file", OTHER_FOLDER + "Eula.txt", None),
          ("reg", SETTINGS, "TempPath", "REG_SZ", DOWNLOADS)),
         *accept_with_mouse()[1:], *through_units_and_shortcuts(), *finish(start_app=False)],
        installed(DOWNLOADS) + [("file", OTHER_FOLDER + "Eula.txt", None)], core=True),
    row("a second setup program under /S while the first shows its licence page ends with 1618 "
        "and changes nothing; its log holds the one last line; the first then cancels cleanly",
        [("wait", LICENCE), ("again", OTHER_FOLDER, EXIT_CODE["kExitAnotherSetup"], "/S", "/LOG=C:\\second.log"),
         ("stays", LICENCE), ("click", LICENCE, CANCEL), ("exit",)],
        nothing_installed(DOWNLOADS) + [("file", OTHER_FOLDER + "Eula.txt", None),
                                        ("file", OTHER_FOLDER + "ReadMe.txt", None),
                                        ("log", "C:\\second.log", [f"Finished: exit code {EXIT_CODE['kExitAnotherSetup']}"])]),
    row("/S from a download folder and to a desktop named with Polish and Chinese letters "
        "installs, the texts beside it and both links included; the quiet removal from the "
        "installed copy takes the links again",
        [("silent", 60), ("check", *installed_from_named_folder(NAMED_DOWNLOADS)),
         ("start", INSTALLED_SETUP, "/UNINSTALL", "/S"), ("silent", 60)],
        program_files(False) + links(False, False) + [
            ("names", SETTINGS, None), ("names", UNINSTALL, None), ("listed", False),
            ("vanishes", INSTALLED_SETUP), ("file", NAMED_DOWNLOADS + "Eula.txt", 3566)],
        prepare=product("Windows 10 Pro"), start=NAMED_DOWNLOADS, args=("/S",), core=True,
        desktop=NAMED_DESKTOP),
    row("a first installation through the pages from a download folder and to a desktop "
        "named with Polish and Chinese letters",
        [*accept_with_mouse(), *through_units_and_shortcuts(), *finish(start_app=False)],
        installed_from_named_folder(NAMED_DOWNLOADS, product="Microsoft Windows 7"),
        start=NAMED_DOWNLOADS, desktop=NAMED_DESKTOP),
    row("started from a Temp folder inside a folder named with Polish and Chinese letters, "
        "it refuses, having written nothing",
        leave(ERROR, ("click", BOX_OK)),
        [("names", SETTINGS, None), ("file", INSTALL, None), ("file", NAMED_DOWNLOADS + "Temp\\Eula.txt", None)],
        start=NAMED_DOWNLOADS + "Temp\\"),

    # ---- Off the happy road: the application in use, a run cut short
    row("/S over the same version while the application runs changes nothing, logs the file "
        "and ends with 4",
        [("silent", 30, EXIT_CODE["kExitInUse"])],
        untouched_installation() + [
            ("reg", SETTINGS, "Speede", "REG_SZ", "K"), ("app", True),
            ("log", "C:\\setup.log", SILENT_LOG[:7] + [
                f"Folder {INSTALL}: already there", f"Folder {LOGS}: already there",
                "Installed version: 2.11",
                f"File {APP_EXE}: in use by another program: nothing changed",
                f"Finished: exit code {EXIT_CODE['kExitInUse']}"])],
        prepare=app_running(installed_before()), args=("/S", "/LOG=C:\\setup.log")),
    row("Repair while the application runs asks to close it; Retry once it is closed repairs",
        [("wait", OPTIONS), ("click", OPTIONS, REPAIR_CHOICE), ("click", OPTIONS, NEXT),
         ("wait", ERROR), ("front", ERROR),
         ("controls", ERROR, {BOX_TEXT: {"text": in_use("QuorvexPlenar.exe")}}), ("shot", "in-use"), ("check", *untouched_installation()), ("quitapp",),
         ("click", ERROR, BOX_RETRY), ("wait", LICENCE), *accept_with_keys()[1:],
         *through_units_and_shortcuts(), *finish(start_app=False)],
        installed(DOWNLOADS, product="Microsoft Windows 10 Pro", also=("Nullbre", "DriverName")) + [
            ("file", INSTALL + "\\home.bmp", None), ("file", INSTALL + "\\" + REMOVAL_KEEPS, None)],
        prepare=app_running(installed_before(), minimized=True)),
    row("Repair while the application runs, then Cancel, changes nothing",
        leave(ERROR, ("click", BOX_CANCEL), [("wait", OPTIONS), ("click", OPTIONS, REPAIR_CHOICE),
                                             ("click", OPTIONS, NEXT), ("wait", ERROR),
                                             ("front", ERROR)]),
        untouched_installation() + [("app", True)],
        prepare=app_running(installed_before(), minimized=True)),
    row("Uninstall while the application runs asks to close it; Retry once it is closed "
        "removes everything",
        [("wait", OPTIONS), ("click", OPTIONS, UNINSTALL_CHOICE), ("click", OPTIONS, NEXT),
         ("wait", CONFIRM), ("window", CONFIRM, dict(PAGE, topmost=True)),
         ("front", CONFIRM), ("click", CONFIRM, YES),
         ("wait", ERROR), ("front", ERROR),
         ("controls", ERROR, {BOX_TEXT: {"text": in_use("QuorvexPlenar.exe")}}),
         ("check", *untouched_installation()), ("quitapp",), ("click", ERROR, BOX_RETRY),
         ("wait", DONE), ("click", DONE, DONE_FINISHED), ("exit",)],
        uninstalled(tooltips=False), prepare=app_running(installed_before(), minimized=True),
        start=INSTALL + "\\"),
    row("/UNINSTALL /S while the application runs changes nothing and ends with 4; once it is "
        "closed, again removes everything",
        [("silent", 60, EXIT_CODE["kExitInUse"]), ("check", *untouched_installation()), ("quitapp",),
         ("start", INSTALLED_SETUP, "/UNINSTALL", "/S"), ("silent", 60)],
        uninstalled(tooltips=False), prepare=app_running(installed_before()),
        start=INSTALL + "\\", args=("/UNINSTALL", "/S"), core=True),
    row("/UNINSTALL /S that cannot delete a file held open keeps the uninstall entry and the "
        "settings and ends with 5; once it is free, again removes everything",
        [("silent", 60, EXIT_CODE["kExitRemovalUnfinished"]),
         ("check", ("file", INSTALL + "\\home.bmp", 9), ("file", APP_EXE, None),
          ("reg", SETTINGS, "versione", "REG_SZ", "2.11"), ("listed", True),
          ("file", "DESKTOP\\" + APP_LINK, 4), ("file", INSTALLED_SETUP, "setup")),
         ("release",), ("start", INSTALLED_SETUP, "/UNINSTALL", "/S"), ("silent", 60)],
        uninstalled(tooltips=False), prepare=held(installed_before(), INSTALL + "\\home.bmp"),
        start=INSTALL + "\\", args=("/UNINSTALL", "/S")),
    row("Uninstall that cannot delete a file held open names it in place of the finished page; "
        "the uninstall entry, the settings and the installed setup program stay",
        [("wait", OPTIONS), ("click", OPTIONS, UNINSTALL_CHOICE), ("click", OPTIONS, NEXT),
         ("wait", CONFIRM), ("click", CONFIRM, YES),
         ("wait", ERROR), ("controls", ERROR, {BOX_TEXT: {"text": not_removed("home.bmp")}}),
         ("shot", "not-removed"), ("click", ERROR, BOX_OK), ("exit",)],
        [("reg", SETTINGS, "versione", "REG_SZ", "2.11"), ("reg", LAYERS, APP_EXE, "REG_SZ", "~ WIN7RTM"),
         ("listed", True), ("file", INSTALL + "\\home.bmp", 9), ("file", "DESKTOP\\" + APP_LINK, 4),
         ("file", INSTALLED_SETUP, "setup")],
        prepare=held(installed_before(), INSTALL + "\\home.bmp"), start=INSTALL + "\\"),
    row("a run ended during the please-wait page, then /S, gives a first installation",
        [*accept_with_mouse(), *through_units_and_shortcuts(), ("wait", WAIT), ("kill", 0.4),
         ("check", ("reg", UNINSTALL, "DisplayVersion", "REG_SZ", "2.11"),
          ("file", INSTALL + "\\Keyglyph.dll", None)),
         ("start", DOWNLOADS + "SetupQuorvexPlenar.exe", "/S"), ("silent", 60)],
        installed(DOWNLOADS, product="Windows 10 Pro") + [("names", UNDO, None), ("folder", INSTALL, [
            "Keyglyph.dll", "QuorvexPlenar.exe", "SetupQuorvexPlenar.exe"])],
        prepare=product("Windows 10 Pro")),
    row("an upgrade over 2.00 ended during its installation step, then /S on a disk that "
        "fills up: the next start puts 2.00 back, /S ends with 1 and leaves it as it was",
        [*accept_with_mouse(), *through_units_and_shortcuts(), ("wait", WAIT), ("kill", 0.4),
         ("check", ("file", APP_EXE, None), ("file", APP_EXE + ".setup-aside", b"old application"),
          ("reg", SETTINGS, "versione", "REG_SZ", "2.11")),
         ("start", DOWNLOADS + "SetupQuorvexPlenar.exe", "/S"), ("silent", 60, 1)],
        as_before(OLD_ON_SMALL_DISK), prepare=OLD_ON_SMALL_DISK),
    row("/S over 2.00 on a disk that fills up ends with 1 and leaves 2.00 as it was, listed at 2.00",
        [("silent", 60, 1)], as_before(OLD_ON_SMALL_DISK), prepare=OLD_ON_SMALL_DISK, args=("/S",)),
    row("/S as a first installation on a disk that fills up ends with 1 having installed "
        "nothing; the next start shows the licence page",
        [("silent", 60, 1), ("start", DOWNLOADS + "SetupQuorvexPlenar.exe"), *leave(LICENCE, ("click", CANCEL))],
        nothing_installed(DOWNLOADS) + [("names", UNDO, None), ("folder", INSTALL, [])],
        prepare={"reg": [], "files": [], "tmpfs": 1024}, args=("/S",)),

    # ---- A PC shared by several accounts ----------------------------------------------------
    # Under umask 0 Wine makes a folder of no security of its own writable by all, as the
    # drive root's inheritance does on Windows: the plain folder shows it.
    row("/S on a shared PC: no other account may change the folders or files it makes",
        [("silent", 60), ("start", CMD, "/c", "mkdir", "C:\\Plain"), ("exit",)],
        installed(DOWNLOADS, product="Windows 10 Pro") + [
            ("writable", INSTALL, False), ("writable", LOGS, False), ("writable", "C:\\Plain", True)],
        prepare=dict(product("Windows 10 Pro"), umask=0), args=("/S",), core=True),
    row("/S over an older installation that others may change tightens it and deletes a library "
        "another account put there",
        [("silent", 60)],
        installed(DOWNLOADS, product="Microsoft Windows 10 Pro", also=("Nullbre", "DriverName")) + [
            ("file", PLANTED, None), ("file", INSTALL + "\\add.bmp", 9),
            ("writable", INSTALL, False), ("writable", LOGS, False)],
        prepare=dict(planted(installed_before()), umask=0, open=[INSTALL, LOGS]), args=("/S",),
        core=True),
    row("/S into a folder another account made first ends with 6 and writes nothing",
        [("silent", 30, 6)], refused(), prepare=dict(product("Windows 10 Pro"), foreign=[INSTALL]),
        args=("/S",)),
    row("/S into a folder that is a link to another folder ends with 6 and writes nothing there",
        [("silent", 30, 6)], refused() + [("file", "C:\\Elsewhere\\Keyglyph.dll", None)],
        prepare=dict(product("Windows 10 Pro"), links=[(INSTALL, "C:\\Elsewhere")]), args=("/S",)),
    row("the wizard says another account owns the folder instead of showing the licence page",
        [("wait", ERROR), ("controls", ERROR, {BOX_TEXT: {"text": FOLDER_OF_ANOTHER}}),
         ("shot", "folder-of-another"), ("click", ERROR, BOX_OK), ("exit",)],
        refused(), prepare=dict(product("Windows 10 Pro"), foreign=[INSTALL])),
    row("/UNINSTALL /S still removes an installation whose folder another account owns",
        [("silent", 60)], uninstalled(tooltips=False),
        prepare=dict(installed_before(), foreign=[INSTALL]), start=INSTALL + "\\",
        args=("/UNINSTALL", "/S")),

    # ---- Scaled displays ----------------------------------------------------------------
    *[row(f"a first installation at {dpi} DPI lays out every page for the display",
          laid_out_installation(), installed(DOWNLOADS, product="Windows 10 Pro"),
          prepare=at_dpi(dpi, product("Windows 10 Pro"))) for dpi in (96, 144, 192)],
]
