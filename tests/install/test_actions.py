"""The installation actions, run for real under Wine by action_runner.exe, each case in
a fresh prefix; outcomes read back with reg.exe, lnkinfo and byte comparison.

    test_actions.py --state DIR --runner EXE --dist DIR --work DIR [case-name-part]
"""
import argparse
import filecmp
import os
import subprocess
import sys
import tempfile
import threading

sys.dont_write_bytecode = True  # nothing written beside the sources
sys.path.insert(0, os.path.join(os.path.dirname(__file__), '..', 'support'))
import winebed  # noqa: E402

SETTINGS = r'HKCU\Software\Brindlemark'
UNINSTALL = r'HKCU\SOFTWARE\Microsoft\Windows\CurrentVersion\Uninstall\QuorvexPlenar'
LAYERS = r'HKCU\Software\Microsoft\Windows NT\CurrentVersion\AppCompatFlags\Layers'
SYSTEM = r'HKLM\Software\Microsoft\Windows NT\CurrentVersion'
UNDO = r'HKCU\Software\Quorvex Plenar setup undo'
FOLDER = r'C:\Quorvex Plenar'
LOGS = r'C:\Quorvex Plenar Log Files'
APP = FOLDER + r'\QuorvexPlenar.exe'
SHELL_FOLDERS = r'HKCU\Software\Microsoft\Windows\CurrentVersion\Explorer\User Shell Folders'
# 245 characters: a link name added to it passes the 259 a shell path can hold.
LONG_DESKTOP = 'C:\\' + 'Desktop' * 34 + 'ab'

STEP = ['PrepareFolders', 'BeginInstallStep', 'WriteSettingsRecords', 'CopyApplicationFiles']
INSTALL = STEP + ['CompleteInstallStep', 'CreateShortcuts', 'ApplyCompatibilityLayer']
BOTH_LINKS = ['ShortcutForApp=1', 'ShortcutForLogs=1']

ADDRESSES = ['OfficialWebSite', 'DriversWebSite', 'FaceBookWebSite', 'site', 'website']
# The settings an installation writes (besides the addresses and "WinPatch").
SETTINGS_WRITTEN = {
    'versione': '2.11', 'pathe': FOLDER, 'LogFilePathe': LOGS, 'Bit': '32',
    'SkipDriverSearch': '0', 'FirstTimeRun': '1',
}
UNINSTALL_ENTRY = {
    'DisplayName': ('REG_SZ', 'Quorvex Plenar 2.11 - Vehicle diagnostics software'),
    'DisplayIcon': ('REG_SZ', APP + ',0'),
    'DisplayVersion': ('REG_SZ', '2.11'),
    'Publisher': ('REG_SZ', 'Brindlemark'),
    'InstallLocation': ('REG_SZ', FOLDER),
    'EstimatedSize': ('REG_DWORD', '0x6000'),
    'UninstallString': ('REG_SZ', FOLDER + r'\SetupQuorvexPlenar.exe'),
    'QuietUninstallString': ('REG_SZ', '"' + FOLDER + r'\SetupQuorvexPlenar.exe" /UNINSTALL /S'),
    'NoModify': ('REG_DWORD', '0x1'),
    'NoRepair': ('REG_DWORD', '0x1'),
}
# Values this system does not write but the removal takes away by name.
FOREIGN = ['come', 'Nullbre', 'Nullce', 'tooltipse', 'DriverDate', 'DriverDesc',
           'DriverName', 'DriverVersion', 'DriverPath', 'ProviderName']
REMOVED_BY_NAME = ['pathe', 'Speede', 'Tempe', 'versione', 'WinPatch', 'SkipDriverSearch',
                   'LogFilePathe', 'Bit', 'Windows', 'Administrator'] + FOREIGN
KEPT_WITH_TOOLTIPS = ['tooltips', 'FirstTimeRun', 'TempPath'] + ADDRESSES
# What the application leaves beside itself; the removal deletes these by name.
APP_LEFTOVERS = ['quorvexplenarrun.exe', 'setupquorvexplenarrun.exe', 'quorvexplenar.chm',
                 'add.bmp', 'close.bmp', 'cogs.bmp', 'dial.bmp', 'home.bmp', 'tick.bmp',
                 'tools.bmp', 'freeze.bmp', 'live.bmp', 'question.bmp', 'log.bmp']
APP_LINK = 'QuorvexPlenar.lnk'
LOG_LINK = 'Quorvex Plenar Log Files.lnk'


class Case:
    """runs: the runner's steps, one list a run; the last run may end in the message
    box naming a program file (message), on an installation folder that is a tmpfs of
    that many KiB (tmpfs), with a program started before it and left running (running:
    its C: path and its window's title)."""

    def __init__(self, name, runs, product='Windows 10 Pro', registry=(), files=(),
                 expect=(), message=None, tmpfs=None, running=None):
        self.name, self.runs, self.product = name, runs, product
        self.registry, self.files, self.expect = registry, files, expect
        self.message, self.tmpfs, self.running = message, tmpfs, running


def not_copied(name):
    return (f"Sorry, the file '{name}' was not copied to your computer.\r\n\r\n"
            "Please run Setup again, or download the other setup with the individual files "
            "included.")


# ---- expectations: each takes (prefix, context) and returns a list of faults ----------

def values(key, expected, exact=False):
    def check(prefix, _):
        found = prefix.reg_values(key)
        if found is None:
            return [f'{key} is missing']
        faults = [f'{key} {n}: {found.get(n)} (expected {v})'
                  for n, v in expected.items() if found.get(n) != v]
        if exact and set(found) != set(expected):
            faults.append(f'{key} holds {sorted(found)} (expected {sorted(expected)})')
        return faults
    return check


def strings(key, expected, exact=False):
    return values(key, {n: ('REG_SZ', v) for n, v in expected.items()}, exact)


def absent(key, names=None):
    def check(prefix, _):
        found = prefix.reg_values(key)
        if names is None:
            return [] if found is None else [f'{key} exists: {sorted(found)}']
        present = [n for n in names if found and n.lower() in map(str.lower, found)]
        return [f'{key} still holds {present}'] if present else []
    return check


def present(key, names):
    def check(prefix, _):
        found = prefix.reg_values(key) or {}
        missing = [n for n in names if n not in found]
        return [f'{key} lacks {missing}'] if missing else []
    return check


def addresses(prefix, _):
    found = prefix.reg_values(SETTINGS) or {}
    faults = [f'{n}: {found.get(n)}' for n in ADDRESSES
              if found.get(n, ('', ''))[0] != 'REG_SZ' or
              not found[n][1].startswith('https://')]
    about = (prefix.reg_values(UNINSTALL) or {}).get('URLInfoAbout')
    if about != found.get('OfficialWebSite'):
        faults.append(f'URLInfoAbout {about} is not OfficialWebSite {found.get("OfficialWebSite")}')
    return faults


def setup_copied(prefix, context):
    """The program that ran the copy (the runner here) as the installed setup program."""
    path = prefix.host_path(FOLDER + r'\SetupQuorvexPlenar.exe')
    if not os.path.isfile(path):
        return ['SetupQuorvexPlenar.exe is missing']
    return [] if filecmp.cmp(path, context['runner'], shallow=False) else [
        'SetupQuorvexPlenar.exe differs from the program that copied it']


def payload_installed(prefix, context):
    faults = []
    for name in ('Keyglyph.dll', 'QuorvexPlenar.exe'):
        path = prefix.host_path(FOLDER + '\\' + name)
        built = os.path.join(context['dist'], name)
        if not os.path.isfile(path):
            faults.append(f'{name} is missing')
        elif not filecmp.cmp(path, built, shallow=False):
            faults.append(f'{name} differs from {built}')
    return faults


def host(prefix, path):
    r"""The host path of a C: path, or of a \\server\share path: Wine keeps shares in
    the prefix's dosdevices/unc folder."""
    if path.startswith('\\\\'):
        return os.path.join(prefix.root, 'dosdevices', 'unc', *path[2:].split('\\'))
    return prefix.host_path(path)


def files(names, exist):
    def check(prefix, _):
        wrong = [n for n in names if os.path.exists(host(prefix, n)) != exist]
        return [f'{"missing" if exist else "still there"}: {wrong}'] if wrong else []
    return check


def link(name, target, description):
    def check(prefix, _):
        path = os.path.join(prefix.desktop(), name)
        if not os.path.isfile(path):
            return [f'no {name} on the desktop']
        info = subprocess.run(['lnkinfo', path], capture_output=True, text=True,
                              errors='replace').stdout
        fields = {}
        for line in info.splitlines():
            if ':' in line:
                key, _, value = line.partition(':')
                fields.setdefault(key.strip(), value.strip())
        faults = []
        if fields.get('Description') != description:
            faults.append(f'{name} description {fields.get("Description")!r}')
        if fields.get('Local path') != target:
            faults.append(f'{name} target {fields.get("Local path")!r}')
        for unwanted in ('Command line arguments', 'Working directory'):
            if unwanted in fields:
                faults.append(f'{name} has {unwanted}: {fields[unwanted]!r}')
        return faults
    return check


def no_links(names=(APP_LINK, LOG_LINK)):
    def check(prefix, _):
        there = [n for n in names if os.path.exists(os.path.join(prefix.desktop(), n))]
        return [f'links still on the desktop: {there}'] if there else []
    return check


def layer(expected):
    """The application's layer value: its data, or None for no value."""
    def check(prefix, _):
        found = (prefix.reg_values(LAYERS) or {}).get(APP)
        want = ('REG_SZ', expected) if expected is not None else None
        return [] if found == want else [f'layer value {found} (expected {want})']
    return check


def no_link_anywhere(prefix, _):
    """Neither a link nor a cut name of one, in the desktop folder or anywhere else."""
    found = subprocess.run(['find', os.path.join(prefix.root, 'drive_c'), '-iname',
                            'Quorvex*', '!', '-path', '*/Quorvex Plenar*'],
                           capture_output=True, text=True).stdout.splitlines()
    desktop = prefix.host_path(LONG_DESKTOP)
    found += [n for n in os.listdir(desktop) if n != 'desktop.ini']
    return [f'links written: {found}'] if found else []


def output(text):
    def check(_, context):
        return [] if text in context['stdout'] else [f'runner said {context["stdout"]!r}']
    return check


def nothing_aside(prefix, _):
    aside = [n for n in os.listdir(prefix.host_path(FOLDER)) if n.endswith('.setup-aside')]
    return ([f'left aside: {aside}'] if aside else []) + absent(UNDO)(prefix, _)


# An installation of 2.00 with the application's first-run files, in a few bytes each,
# and its records ("Bit" a number, as no version wrote it: it comes back as one).
OLD_FILES = [(FOLDER + '\\' + name, data) for name, data in [
    ('Keyglyph.dll', b'old library'), ('QuorvexPlenar.exe', b'old application'),
    ('SetupQuorvexPlenar.exe', b'old setup'), ('commports.chm', b'help')]] + [
    (FOLDER + '\\' + name, b'first run') for name in APP_LEFTOVERS]
OLD_RECORDS = [(SETTINGS, 'versione', '2.00'), (SETTINGS, 'pathe', FOLDER), (SETTINGS, 'Bit', 32),
               (SETTINGS, 'Speede', 'K'), (UNINSTALL, 'DisplayVersion', '2.00'),
               (UNINSTALL, 'EstimatedSize', 1)]


def as_planted(prefix, _):
    """The folder and the records exactly as OLD_FILES and OLD_RECORDS planted them."""
    faults = [f'{path} is not as it was' for path, data in OLD_FILES
              if not os.path.isfile(host(prefix, path)) or open(host(prefix, path), 'rb').read() != data]
    there = sorted(os.listdir(prefix.host_path(FOLDER)))
    if there != sorted(path.split('\\')[-1] for path, _ in OLD_FILES):
        faults.append(f'the folder holds {there}')
    for key in (SETTINGS, UNINSTALL):
        want = {n: ('REG_DWORD', hex(d)) if isinstance(d, int) else ('REG_SZ', d)
                for k, n, d in OLD_RECORDS if k == key}
        if prefix.reg_values(key) != want:
            faults.append(f'{key} holds {prefix.reg_values(key)}')
    return faults + absent(UNDO)(prefix, _)


INSTALLED = [nothing_aside, 
    strings(SETTINGS, dict(SETTINGS_WRITTEN, Windows='Windows 10 Pro', WinPatch='1')),
    values(UNINSTALL, UNINSTALL_ENTRY, exact=False), addresses, payload_installed, setup_copied,
    link(APP_LINK, APP, 'Quorvex Plenar by Brindlemark'),
    link(LOG_LINK, LOGS, 'Open Diagnostic Log Files'), layer('~ WIN7RTM'),
]
REMOVED_FILES = [FOLDER + '\\' + n for n in ['QuorvexPlenar.exe', 'Keyglyph.dll'] + APP_LEFTOVERS]
LEFTOVERS = [FOLDER + '\\' + n for n in APP_LEFTOVERS] + [FOLDER + r'\commports.chm',
                                                          FOLDER + r'\SetupQuorvexPlenar.exe']
FOREIGN_VALUES = [(SETTINGS, n, 'x') for n in FOREIGN + ['Speede', 'Tempe', 'Administrator',
                                                           'TempPath']]

CASES = [
    Case('a first installation writes the catalogue, the payload and both shortcuts',
         [BOTH_LINKS + INSTALL],
         expect=INSTALLED),
    Case('a second installation leaves one set of values and replaces a changed program',
         [BOTH_LINKS + INSTALL, BOTH_LINKS + INSTALL],
         files=[(APP, b'an older program' * 4096)],
         expect=INSTALLED + [lambda p, _: [] if len(p.reg_values(SETTINGS)) == 13 else
                             [f'settings hold {sorted(p.reg_values(SETTINGS))}'],
                             lambda p, _: [] if len(p.reg_values(UNINSTALL)) == 11 else
                             [f'uninstall entry holds {sorted(p.reg_values(UNINSTALL))}']]),
    Case('without shortcut choices no link is written',
         [['PrepareFolders', 'CreateShortcuts']], expect=[no_links()]),
    Case('only the application shortcut', [['ShortcutForApp=1', 'PrepareFolders',
                                            'CreateShortcuts']],
         expect=[link(APP_LINK, APP, 'Quorvex Plenar by Brindlemark'), no_links([LOG_LINK])]),
    # The layer, by product name.
    Case('Windows 7 Professional gets no layer', [['ApplyCompatibilityLayer']],
         product='Windows 7 Professional', expect=[layer(None), absent(SETTINGS, ['WinPatch'])]),
    Case('Windows 8.1 Pro gets the layer', [['ApplyCompatibilityLayer']],
         product='Windows 8.1 Pro', expect=[layer('~ WIN7RTM'), strings(SETTINGS, {'WinPatch': '1'})]),
    Case('Windows 10 Home gets the layer', [['ApplyCompatibilityLayer']],
         product='Windows 10 Home', expect=[layer('~ WIN7RTM'), strings(SETTINGS, {'WinPatch': '1'})]),
    Case('a 2008 server edition gets the layer', [['ApplyCompatibilityLayer']],
         product='Windows Server 2008 R2 Enterprise', expect=[layer('~ WIN7RTM')]),
    Case('a WinPatch of "0" counts as set', [['ApplyCompatibilityLayer']],
         registry=[(SETTINGS, 'WinPatch', '0')], expect=[layer(None)]),
    # Repair and removal.
    Case('repair deletes the program files and shortcuts, nothing else',
         [BOTH_LINKS + INSTALL, ['DeleteInstalledFiles', 'DeleteShortcuts']],
         files=[(p, b'x') for p in LEFTOVERS],
         expect=[files(REMOVED_FILES, False), no_links(), strings(SETTINGS, SETTINGS_WRITTEN),
                 files([FOLDER + r'\commports.chm', FOLDER + r'\SetupQuorvexPlenar.exe'], True),
                 values(UNINSTALL, UNINSTALL_ENTRY)]),
    Case('uninstall without tooltips removes the whole settings key',
         [BOTH_LINKS + INSTALL, ['RemoveInstallation']],
         registry=FOREIGN_VALUES, files=[(p, b'x') for p in LEFTOVERS],
         expect=[absent(SETTINGS), absent(UNINSTALL), layer(None), files(REMOVED_FILES, False),
                 no_links(), files([FOLDER, LOGS, FOLDER + r'\commports.chm'], True)]),
    Case('uninstall with tooltips keeps the key and the values not listed',
         [BOTH_LINKS + INSTALL, ['RemoveInstallation']],
         registry=FOREIGN_VALUES + [(SETTINGS, 'tooltips', '1')],
         expect=[present(SETTINGS, KEPT_WITH_TOOLTIPS), absent(SETTINGS, REMOVED_BY_NAME),
                 absent(UNINSTALL), layer(None), files(REMOVED_FILES[:2], False)]),
    Case('uninstall with blank tooltips removes the whole key',
         [BOTH_LINKS + INSTALL, ['RemoveInstallation']],
         registry=[(SETTINGS, 'tooltips', '   ')], expect=[absent(SETTINGS), absent(UNINSTALL)]),
    Case('uninstall with pathe missing deletes no program file',
         [BOTH_LINKS + INSTALL, ['RemoveInstallation']],
         registry=[(SETTINGS, 'pathe', None)],
         expect=[files(REMOVED_FILES[:2], True), absent(UNINSTALL), no_links()]),
    Case('uninstall on Windows 7 leaves the layers alone',
         [['RemoveInstallation']], product='Windows 7 Professional',
         registry=[(SETTINGS, 'pathe', FOLDER), (LAYERS, APP, '~ WIN7RTM')],
         expect=[layer('~ WIN7RTM'), absent(SETTINGS)]),
    Case('a desktop path too long for a link makes no link anywhere',
         [BOTH_LINKS + ['PrepareFolders', 'CreateShortcuts']],
         registry=[(SHELL_FOLDERS, 'Desktop', LONG_DESKTOP)],
         files=[(LONG_DESKTOP + r'\desktop.ini', b'')], expect=[no_link_anywhere]),
    # A program file that did not arrive: the message, a real click on OK, exit code 0.
    Case('an installation folder blocked by a file is reported',
         [['PrepareFolders', 'CopyApplicationFiles']], files=[(FOLDER, b'not a folder')],
         message=not_copied('Keyglyph.dll'), expect=[files([FOLDER + r'\Keyglyph.dll'], False)]),
    Case('a missing installation folder is reported',
         [['PrepareFolders', r'InstallFolder=C:\Gone', 'CopyApplicationFiles']],
         message=not_copied('Keyglyph.dll')),
    Case('a library write that fails halfway is reported and leaves no short copy',
         [['PrepareFolders', 'CopyApplicationFiles']], tmpfs=1024,
         message=not_copied('Keyglyph.dll'), expect=[files([FOLDER + r'\Keyglyph.dll'], False)]),
    # In the step, whichever file fails: what the step wrote goes, what it set aside and
    # the records come back.
    *[Case(f'an upgrade whose {name} fails halfway is reported, the older one as it was',
           [STEP + ['CompleteInstallStep']], tmpfs=kilobytes, files=OLD_FILES,
           registry=OLD_RECORDS, message=not_copied(name), expect=[as_planted])
      for name, kilobytes in [('Keyglyph.dll', 1024), ('QuorvexPlenar.exe', 2192),
                              ('SetupQuorvexPlenar.exe', 3072)]],
    # The record alone, as the next start finds it after a run cut short, undoes the
    # step, Repair's removal in it included.
    Case('a step left open is undone from its record by the next start',
         [['PrepareFolders', 'BeginInstallStep', 'DeleteInstalledFiles', 'WriteSettingsRecords',
           'CopyApplicationFiles', 'SettleUnfinishedStep']],
         files=OLD_FILES, registry=OLD_RECORDS, expect=[as_planted]),
    # The runner makes no check for files in use: the write fails, and an older copy of
    # the payload's size is there.
    Case('a library that could not be replaced, in use by the running application, is reported',
         [['PrepareFolders', 'CopyApplicationFiles']] * 2, running=(APP, 'Quorvex Plenar'),
         message=not_copied('Keyglyph.dll')),
    Case('started from the installation folder, the setup program leaves its own file alone',
         [['PrepareFolders', 'RunFromInstallFolder=1', 'CopyApplicationFiles']],
         files=[(FOLDER + r'\SetupQuorvexPlenar.exe', b'the installed setup')],
         expect=[lambda p, _: [] if open(host(p, FOLDER + r'\SetupQuorvexPlenar.exe'), 'rb').read()
                 == b'the installed setup' else ['the installed setup program was replaced']]),
]

# ---- Hostile registry data --------------------------------------------------------------

# A product name that is missing or too long for a text buffer: recorded empty, no layer
# (the long ones hold "10", so a cut read would record text and set the layer).
CASES += [
    Case(f'a product name {label} is recorded empty, with no layer',
         [['PrepareFolders', 'WriteSettingsRecords', 'ApplyCompatibilityLayer']], product=name,
         expect=[strings(SETTINGS, {'Windows': ''}), layer(None), absent(SETTINGS, ['WinPatch'])])
    for label, name in [('missing', None), ('of 300 bytes', 'Windows 10 ' + 'Pro ' * 72),
                        ('of 4096 bytes', 'Windows 10 ' + 'x' * 4084)]]

# The removal's file names, planted in the installation folder and in the folders that a
# hostile "pathe" names or escapes into. Only the folder as our setup writes it, or with
# one trailing backslash, loses its files; files of those names elsewhere never do.
DECOY = r'C:\Decoy'
SHARE = r'\\server\share\x'
IN_FOLDER = [FOLDER + '\\' + n for n in ['quorvexplenar.exe', 'Keyglyph.dll'] + APP_LEFTOVERS]
DECOYS = [p.replace(FOLDER, place) for place in (DECOY, SHARE) for p in IN_FOLDER]
CASES += [
    Case(f'pathe {label} on {action}: ' + ('deletes the installed files' if deletes else
                                            'deletes nothing'),
         [[action]], registry=[(SETTINGS, 'pathe', pathe)],
         files=[(p, b'x') for p in IN_FOLDER + DECOYS],
         expect=[files(IN_FOLDER, not deletes), files(DECOYS, True)])
    for label, pathe, action, deletes in [
        ('as written', FOLDER, 'DeleteInstalledFiles', True),
        ('with a trailing backslash', FOLDER + '\\', 'RemoveInstallation', True),
        ('with forward slashes', 'C:/Quorvex Plenar', 'DeleteInstalledFiles', False),
        ('with a . segment', FOLDER + r'\.', 'DeleteInstalledFiles', False),
        ('escaping with ..', FOLDER + r'\..\Decoy', 'RemoveInstallation', False),
        ('escaping with / and ..', 'C:\\Quorvex Plenar/../Decoy', 'DeleteInstalledFiles', False),
        ('on a share', SHARE, 'RemoveInstallation', False),
        ('as a \\\\?\\ device path', '\\\\?\\' + DECOY, 'DeleteInstalledFiles', False),
        ('as a \\\\.\\ device path', '\\\\.\\' + DECOY, 'RemoveInstallation', False),
        ('relative to the drive', 'C:Decoy', 'DeleteInstalledFiles', False),
        ('of 300 characters', DECOY + '\\' * 292, 'DeleteInstalledFiles', False),
    ]]


def plant_files(prefix, case):
    for path, data in case.files:
        target = host(prefix, path)
        os.makedirs(os.path.dirname(target), exist_ok=True)
        with open(target, 'wb') as f:
            f.write(data)


def run_case(case, args, display, ending):
    prefix = winebed.Prefix(args.state, os.path.join(args.work, slug(case.name))).create()
    prefix.env['DISPLAY'] = display
    mounted = None
    try:
        # The system's product name before the first run; what an installation and its
        # application leave behind, before the last.
        registry = [(SYSTEM, 'ProductName', case.product)]
        context = {'dist': args.dist, 'stdout': '', 'runner': args.runner}
        runner = prefix.host_path(r'C:\runner\action_runner.exe')
        os.makedirs(os.path.dirname(runner))
        subprocess.run(['cp', args.runner, runner], check=True)
        for number, steps in enumerate(case.runs):
            last = number == len(case.runs) - 1
            if last and case.tmpfs:
                mounted = mount_tmpfs(prefix.host_path(FOLDER), case.tmpfs)
            if last:
                registry += case.registry
                plant_files(prefix, case)
            prefix.reg_import(registry)
            registry = []
            if last and case.running:
                start_and_wait(prefix, args, *case.running)
            if last and case.message:
                faults = answer_message(prefix, args, steps, case.message)
                if faults:
                    return faults
                continue
            result = prefix.wine(r'C:\runner\action_runner.exe', *steps)
            context['stdout'] += result.stdout
            if result.returncode != 0 or 'done' not in result.stdout:
                return [f'runner ended with {result.returncode}: {result.stdout}{result.stderr}']
        return [fault for check in case.expect for fault in check(prefix, context)]
    finally:
        if mounted:
            prefix.kill()
            subprocess.run(['umount', mounted])
        else:
            # The server's end (it saves the registry) goes on beside the next case.
            ender = threading.Thread(target=prefix.kill)
            ender.start()
            ending.append(ender)


def start_and_wait(prefix, args, program, title):
    """Starts the program, left running, and returns once its window is up."""
    prefix.start(program)
    probe = winebed.Probe(args.probe, prefix.env)
    try:
        if 'error' in probe.ask('wait', title, 30000):
            raise RuntimeError(f'{program} shows no window {title!r}')
    finally:
        probe.quit()


def mount_tmpfs(folder, kilobytes):
    """A small file system as the installation folder, so that a write fails for real."""
    os.makedirs(folder, exist_ok=True)
    subprocess.run(['mount', '-t', 'tmpfs', '-o', f'size={kilobytes}k', 'tmpfs', folder],
                   check=True)
    return folder


def answer_message(prefix, args, steps, expected):
    """Runs the steps to the message box, reads it, clicks OK; faults found."""
    with tempfile.TemporaryFile() as out:
        runner = prefix.start(r'C:\runner\action_runner.exe', *steps, output=out)
        probe = winebed.Probe(args.probe, prefix.env)
        try:
            if 'error' in probe.ask('wait', 'Error', 30000):
                return ['no message box titled Error']
            controls = {c['id']: c for c in probe.ask('controls', 'Error')['controls']}
            text = controls.get(65535, {}).get('text')
            faults = [] if text == expected else [f'message {text!r}']
            left, top, right, bottom = controls[1]['rect']
            subprocess.run(['xdotool', 'mousemove', '--sync', str((left + right) // 2),
                            str((top + bottom) // 2), 'click', '1'], env=prefix.env, check=True)
            code = runner.wait(timeout=30)
        finally:
            probe.quit()
        out.seek(0)
        said = out.read().decode('cp1252', 'replace')
    if code != 0:
        faults.append(f'exit code {code}')
    if 'done' in said:
        faults.append('the runner went on after the message')
    return faults


def slug(name):
    return ''.join(c if c.isalnum() else '-' for c in name)[:60]


def main():
    parser = argparse.ArgumentParser()
    for option in ('--state', '--runner', '--probe', '--dist', '--work'):
        parser.add_argument(option, required=True)
    parser.add_argument('only', nargs='?', default='')
    args = parser.parse_args()
    outcomes = []
    ending = []

    def work(case, display):
        faults = run_case(case, args, display, ending)
        outcomes.append(not faults)
        print(('FAIL' if faults else 'PASS') + ': ' + case.name +
              ''.join('\n    ' + fault for fault in faults), flush=True)

    chosen = [case for case in CASES if args.only in case.name]
    winebed.side_by_side(chosen, winebed.jobs_from_environment(), work)
    for ender in ending:
        ender.join()
    sys.exit(0 if outcomes.count(True) == len(chosen) else 1)


if __name__ == '__main__':
    main()
