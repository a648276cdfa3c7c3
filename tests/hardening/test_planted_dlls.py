"""DLLs planted beside a program under system DLL names are never loaded.

Each case starts one program under Wine, in a fresh prefix, from a folder that also holds
a copy of planted_dll.dll under every name below. Wine takes its own builtin DLLs unless
told otherwise, so the planted names are set to "native, then builtin": Wine then searches
for them as Windows does. A planted copy that is loaded leaves a marker naming itself and
its loader in C:\\markers; a case passes when its window appears and no marker exists.

    test_planted_dlls.py --state DIR --dist DIR --planted DLL --probe EXE --work DIR
"""
import argparse
import collections
import os
import shutil
import subprocess
import sys
import time

sys.dont_write_bytecode = True  # nothing written beside the sources
sys.path.insert(0, os.path.join(os.path.dirname(__file__), '..', 'support'))
import winebed  # noqa: E402

# Windows looks for these along the search path, the program's folder first.
SEARCHED = ['version', 'uxtheme', 'riched32', 'riched20', 'olepro32', 'comctl32', 'dwmapi',
            'cryptbase', 'zlib1']
# Windows always takes these from its own folder (known DLLs); Wine has no such list and
# searches for them, and for what they import, like any other DLL.
KNOWN = ['oleaut32', 'user32', 'gdi32', 'advapi32', 'shell32', 'shlwapi', 'shcore', 'imm32',
         'sechost']
# Not planted: the DLLs loaded before any code of a program runs (ntdll, kernel32,
# kernelbase, msvcrt; Wine's ucrtbase and win32u), and those that Wine's own DLLs load at
# their first use through LdrLoadDll without a path (uxtheme: msimg32; imm32: ole32 with its
# imports combase and rpcrt4). Wine 8 searches those in the program's folder whatever the
# program restricted; Windows keeps to the restriction.
PLANTED = SEARCHED + KNOWN

LICENCE = ' End user License agreement - Quorvex Plenar\xa9 by Brindlemark\xae.'
OPTIONS = ' Quorvex Plenar options.'
APP = 'Quorvex Plenar'
SETTINGS = r'HKCU\Software\Brindlemark'
INSTALL = r'C:\Quorvex Plenar'


# A program started from a folder of drive C:, with the files of dist named beside it and
# the registry values set first; window: the title that shows it got as far as needed.
Case = collections.namedtuple('Case', 'name folder program beside window registry')

CASES = [
    Case('the setup program started from Downloads shows its licence page',
         r'C:\Downloads', 'SetupQuorvexPlenar.exe', [], LICENCE, []),
    Case('the setup program started from its installation shows the options page',
         INSTALL, 'SetupQuorvexPlenar.exe', ['Keyglyph.dll', 'QuorvexPlenar.exe'], OPTIONS,
         [(SETTINGS, 'versione', '2.11'), (SETTINGS, 'pathe', INSTALL)]),
    Case('the installed application opens its window',
         INSTALL, 'QuorvexPlenar.exe', ['Keyglyph.dll'], APP, []),
]


def markers(prefix):
    """{planted DLL name: [programs that loaded it]} from the markers left behind."""
    folder = prefix.host_path(r'C:\markers')
    if not os.path.isdir(folder):
        return {}
    found = {}
    for name in sorted(os.listdir(folder)):
        with open(os.path.join(folder, name), encoding='cp1252') as f:
            found[os.path.splitext(name)[0].lower()] = f.read().splitlines()
    return found


def run(number, case, args):
    prefix = winebed.Prefix(args.state, os.path.join(args.work, f'case{number}')).create()
    try:
        folder = prefix.host_path(case.folder)
        os.makedirs(folder)
        for name in [case.program] + case.beside:
            shutil.copyfile(os.path.join(args.dist, name), os.path.join(folder, name))
        for name in PLANTED:
            shutil.copyfile(args.planted, os.path.join(folder, name + '.dll'))
        for key, name, data in case.registry:
            prefix.reg_add(key, name, data)
        # The probe starts the prefix's services first, so that none of them inherits
        # the overrides below.
        probe = winebed.Probe(args.probe, prefix.env)
        probe.ask('screen')
        env = dict(prefix.env)
        env['WINEDLLOVERRIDES'] += ';' + ','.join(PLANTED) + '=n,b'
        with open(os.path.join(prefix.folder, 'program.log'), 'w') as log:
            program = subprocess.Popen(['wine', case.folder + '\\' + case.program], env=env,
                                       cwd=folder, stdout=log, stderr=log)
            shown = 'error' not in probe.ask('wait', case.window, 15000)
            time.sleep(0.5)  # what the page loads once it is shown
            loaded = markers(prefix)
            probe.quit()
    finally:
        prefix.kill()
    program.wait(10)
    problems = [f'{dll} loaded by {", ".join(by)}' for dll, by in loaded.items()]
    if not shown:
        problems.append(f'no window {case.window!r}')
    return problems


def main():
    parser = argparse.ArgumentParser()
    for option in ('--state', '--dist', '--planted', '--probe', '--work'):
        parser.add_argument(option, required=True)
    args = parser.parse_args()
    failed = 0
    for number, case in enumerate(CASES, 1):
        started = time.time()
        problems = run(number, case, args)
        failed += bool(problems)
        print(f'{"FAIL" if problems else "ok  "} {case.name} ({time.time() - started:.1f} s)'
              + ''.join(f'\n       {p}' for p in problems), flush=True)
    return 1 if failed else 0


if __name__ == '__main__':
    sys.exit(main())
