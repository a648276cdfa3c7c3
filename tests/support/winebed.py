"""Fresh Wine prefixes for tests that run Windows programs and read the machine back.

Each case gets a copy of the harness's ready prefix (tools/wine-run.sh), so it starts
from a clean registry and C: drive. The readers here are the platform's own tools
(reg.exe, the file system as the host sees it), never the code under test.
"""
import json
import os
import re
import shutil
import subprocess
import tempfile
import time

TOP = os.path.abspath(os.path.join(os.path.dirname(__file__), '..', '..'))
WINE_RUN = os.path.join(TOP, 'tools', 'wine-run.sh')


def harness_env(state):
    """The environment of the harness's prefix and display (starting them if needed)."""
    out = subprocess.run([WINE_RUN, state, '--env'], check=True, capture_output=True,
                         text=True).stdout
    env = dict(os.environ)
    for name, value in re.findall(r"(\w+)='([^']*)'", out):
        env[name] = value
    return env


class Prefix:
    """A Wine prefix of one test case, copied from the harness's template."""

    def __init__(self, state, folder):
        self.base_env = harness_env(state)
        self.template = self.base_env['WINEPREFIX']
        self.folder = os.path.abspath(folder)
        self.root = os.path.join(self.folder, 'prefix')
        self.env = dict(self.base_env, WINEPREFIX=self.root,
                        HOME=os.path.join(self.folder, 'home'))

    def create(self):
        self.kill()
        shutil.rmtree(self.folder, ignore_errors=True)
        os.makedirs(self.env['HOME'])
        # The template's server must be gone, or its registry may be half written.
        subprocess.run(['wineserver', '-k'], env=self.base_env, stderr=subprocess.DEVNULL)
        subprocess.run(['wineserver', '-w'], env=self.base_env, stderr=subprocess.DEVNULL)
        # The system folders (most of the prefix) are never written by a test: link them.
        windows = os.path.join('drive_c', 'windows')
        shared = {os.path.join(windows, 'system32'), os.path.join(windows, 'syswow64')}
        os.makedirs(os.path.join(self.root, windows))
        for entry in os.listdir(self.template):
            if entry != 'drive_c':
                self._copy(entry)
        for entry in os.listdir(os.path.join(self.template, 'drive_c')):
            if entry != 'windows':
                self._copy(os.path.join('drive_c', entry))
        for entry in os.listdir(os.path.join(self.template, windows)):
            relative = os.path.join(windows, entry)
            self._copy(relative, link=relative in shared)
        # One server for the whole case: each program then starts in a fraction of the
        # time a cold prefix takes.
        subprocess.run(['wineserver', '-p'], env=self.env, check=True)
        return self

    def _copy(self, relative, link=False):
        subprocess.run(['cp', '-al' if link else '-a', os.path.join(self.template, relative),
                        os.path.join(self.root, os.path.dirname(relative)) + '/'], check=True)

    def kill(self):
        if os.path.isdir(getattr(self, 'root', '')):
            subprocess.run(['wineserver', '-k'], env=self.env, stderr=subprocess.DEVNULL)

    # ---- running programs ---------------------------------------------------------

    def wine(self, *args, timeout=120, check=False):
        """Runs a program to its end. Its output goes through files, not pipes: the
        prefix's background services inherit the handles and would hold a pipe open."""
        with tempfile.TemporaryFile() as out, tempfile.TemporaryFile() as err:
            code = subprocess.run(['wine', *args], env=self.env, stdout=out, stderr=err,
                                  timeout=timeout).returncode
            out.seek(0)
            err.seek(0)
            result = subprocess.CompletedProcess(
                args, code, out.read().decode('cp1252', 'replace'),
                err.read().decode('cp1252', 'replace'))
        if check and code != 0:
            raise subprocess.CalledProcessError(code, args, result.stdout, result.stderr)
        return result

    def start(self, *args, output=subprocess.DEVNULL):
        """Starts a program and returns at once; its output goes to the file given."""
        return subprocess.Popen(['wine', *args], env=self.env, stdout=output,
                                stderr=subprocess.DEVNULL)

    # ---- the C: drive ----------------------------------------------------------------

    def host_path(self, windows_path):
        """The host path of a C: path of this prefix."""
        assert windows_path[:3].upper() == 'C:\\', windows_path
        rest = windows_path[3:].replace('\\', '/')
        return os.path.join(self.root, 'drive_c', rest)

    def user(self):
        users = os.path.join(self.root, 'drive_c', 'users')
        return next(u for u in sorted(os.listdir(users)) if u != 'Public')

    def desktop(self):
        return os.path.join(self.root, 'drive_c', 'users', self.user(), 'Desktop')

    # ---- the registry ------------------------------------------------------------------

    def reg_add(self, key, name, data, kind='REG_SZ'):
        self.wine('reg', 'add', key, '/v', name, '/t', kind, '/d', data, '/f', check=True)

    def reg_delete(self, key, name=None):
        args = ['/v', name] if name is not None else []
        self.wine('reg', 'delete', key, *args, '/f')

    def reg_values(self, key):
        """{name: (type, data)} of the key's own values, or None when it is missing."""
        result = self.wine('reg', 'query', key)
        if result.returncode != 0:
            return None
        values = {}
        in_key = False
        for line in result.stdout.splitlines():
            if line.startswith('HKEY_'):
                in_key = line.strip().lower() == expand_root(key).lower()
                continue
            match = re.match(r'^    (.*?)    (REG_\w+)    ?(.*)$', line)
            if in_key and match:
                values[match.group(1)] = (match.group(2), match.group(3))
        return values


def expand_root(key):
    for short, long in (('HKCU', 'HKEY_CURRENT_USER'), ('HKLM', 'HKEY_LOCAL_MACHINE')):
        if key.startswith(short + '\\'):
            return long + key[len(short):]
    return key


def wait_for(condition, seconds=20, step=0.1):
    end = time.time() + seconds
    while time.time() < end:
        value = condition()
        if value:
            return value
        time.sleep(step)
    return condition()


class Probe:
    """screen_probe.exe running in the prefix: what the screen holds, as Windows sees it.
    Clicks and keys go through the X display (xdotool), as a user's would; under the
    virtual desktop, screen coordinates are the display's."""

    def __init__(self, prefix, probe_exe):
        self.prefix = prefix
        target = prefix.host_path(r'C:\probe\screen_probe.exe')
        os.makedirs(os.path.dirname(target), exist_ok=True)
        shutil.copy(probe_exe, target)
        self.process = subprocess.Popen(['wine', r'C:\probe\screen_probe.exe'], env=prefix.env,
                                        stdin=subprocess.PIPE, stdout=subprocess.PIPE,
                                        stderr=subprocess.DEVNULL, text=True, encoding='latin-1')

    def ask(self, *words):
        self.process.stdin.write('\t'.join(str(w) for w in words) + '\n')
        self.process.stdin.flush()
        line = self.process.stdout.readline()
        if not line:
            raise RuntimeError('the screen probe ended')
        # The probe writes bytes from 0x80 up as \u00XX: they are code page 1252.
        return json.loads(line, object_hook=_cp1252_texts)

    def wait(self, title, seconds=20):
        answer = self.ask('wait', title, int(seconds * 1000))
        return answer.get('window')

    def controls(self, title):
        return {c['id']: c for c in self.ask('controls', title).get('controls', [])}

    def click(self, x, y):
        subprocess.run(['xdotool', 'mousemove', '--sync', str(x), str(y), 'click', '1'],
                       env=self.prefix.env, check=True)

    def click_control(self, title, control_id):
        left, top, right, bottom = self.controls(title)[control_id]['rect']
        self.click((left + right) // 2, (top + bottom) // 2)

    def close(self):
        try:
            self.process.stdin.write('quit\n')
            self.process.stdin.flush()
        except OSError:
            pass


def _cp1252_texts(obj):
    return {k: v.encode('latin-1').decode('cp1252', 'replace') if isinstance(v, str) else v
            for k, v in obj.items()}
