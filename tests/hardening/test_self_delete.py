"""A confirmed uninstall started from the installation folder: the system's own command
interpreter deletes the installed setup program once it has ended, every time, even
with a cmd.exe and a cmd.bat planted in the program's folder, which is also its working
folder.

    test_self_delete.py --state DIR --setup EXE --lingering EXE --planted EXE --probe EXE
                        --work DIR [--runs N]

The lingering build stays alive a moment after asking for its deletion, so a command
that races the ending program fails here instead of passing by luck.
"""
import argparse
import os
import shutil
import sys
import time

sys.dont_write_bytecode = True  # nothing written beside the sources
sys.path.insert(0, os.path.join(os.path.dirname(__file__), '..', 'support'))
import winebed  # noqa: E402

SETTINGS = r'HKCU\Software\Brindlemark'
FOLDER = r'C:\Quorvex Plenar'
SETUP = FOLDER + r'\SetupQuorvexPlenar.exe'
OPTIONS, CONFIRM, DONE = (' Quorvex Plenar options.', ' Uninstall Quorvex Plenar.',
                          ' Quorvex uninstall done!')
UNINSTALL_CHOICE, NEXT, YES, FINISHED = 4, 301, 2, 101


def click(prefix, probe, title, control_id):
    """A click at the control's centre, once more when it had no effect: under a heavy load
    the display now and then loses a click (a page still there after its button was
    clicked, a radio button not checked), and this test is about the deletion, not that.
    A click the program ignores three times still fails."""
    answer = probe.ask('wait', title, 20000)
    if 'error' in answer:
        raise AssertionError(f'no window {title!r}')

    def controls():
        return {c['id']: c for c in probe.ask('controls', title).get('controls', [])}

    def took_effect():
        shown = [w['title'] for w in probe.ask('windows')['windows']]
        if title not in shown:
            return True
        return controls().get(control_id, {}).get('check') == 1  # a radio button

    for _ in range(3):
        left, top, right, bottom = controls()[control_id]['rect']
        winebed.xdotool(prefix.env, 'mousemove', '--sync', (left + right) // 2,
                        (top + bottom) // 2, 'click', '1')
        if winebed.wait_for(took_effect, seconds=5):
            return
        print(f'    a click on control {control_id} of {title!r} had no effect: once more', flush=True)
    raise AssertionError(f'three clicks on control {control_id} of {title!r} had no effect')


def uninstall(prefix, probe, program):
    """One uninstall from the installation folder; the faults found."""
    prefix.reg_add(SETTINGS, 'versione', '2.11')
    prefix.reg_add(SETTINGS, 'pathe', FOLDER)
    installed = prefix.host_path(SETUP)
    os.makedirs(os.path.dirname(installed), exist_ok=True)
    shutil.copy(program, installed)
    setup = prefix.start(SETUP, cwd=os.path.dirname(installed))
    click(prefix, probe, OPTIONS, UNINSTALL_CHOICE)
    click(prefix, probe, OPTIONS, NEXT)
    click(prefix, probe, CONFIRM, YES)
    click(prefix, probe, DONE, FINISHED)
    code = setup.wait(timeout=30)
    faults = [] if code == 0 else [f'exit code {code}']
    # Gone once the program has ended: allow the interpreter its time to start.
    if not winebed.wait_for(lambda: not os.path.exists(installed), seconds=15):
        faults.append('the installed setup program is still there')
    markers = prefix.host_path(r'C:\markers')
    if os.path.isdir(markers) and os.listdir(markers):
        faults.append(f'planted programs ran: {os.listdir(markers)}')
    return faults


def main():
    parser = argparse.ArgumentParser()
    for option in ('--state', '--setup', '--lingering', '--planted', '--probe', '--work'):
        parser.add_argument(option, required=True)
    parser.add_argument('--runs', type=int, default=3)
    args = parser.parse_args()
    prefix = winebed.Prefix(args.state, args.work).create()
    failed = 0
    try:
        # The program's folder, which is also its working folder, holds an impostor.
        folder = prefix.host_path(FOLDER)
        os.makedirs(folder, exist_ok=True)
        shutil.copy(args.planted, os.path.join(folder, 'cmd.exe'))
        with open(os.path.join(folder, 'cmd.bat'), 'w') as bat:
            bat.write('echo planted>C:\\markers\\cmd.bat.txt\r\n')
        probe = winebed.Probe(args.probe, prefix.env)
        try:
            cases = [('the shipped program', args.setup)]
            cases += [(f'the lingering build, run {n}', args.lingering)
                      for n in range(1, args.runs + 1)]
            for name, program in cases:
                started = time.time()
                faults = uninstall(prefix, probe, program)
                failed += bool(faults)
                print(f'{"FAIL" if faults else "PASS"}: {name} ({time.time() - started:.1f} s)'
                      + ''.join('\n    ' + f for f in faults), flush=True)
        finally:
            probe.quit()
    finally:
        prefix.kill()
    sys.exit(1 if failed else 0)


if __name__ == '__main__':
    main()
