"""Fresh Wine prefixes for tests that run Windows programs and read the machine back.

Each case gets a copy of the harness's ready prefix (tools/wine-run.sh), so it starts
from a clean registry and C: drive. The readers here are the platform's own tools
(reg.exe, the file system as the host sees it), never the code under test.
"""
import json
import os
import queue
import re
import select
import shutil
import subprocess
import tempfile
import threading
import time

TOP = os.path.abspath(os.path.join(os.path.dirname(__file__), '..', '..'))
WINE_RUN = os.path.join(TOP, 'tools', 'wine-run.sh')


def system_program(name):
    """A program of the prefix's system folder by its full path: `wine NAME` would start
    it through start.exe, a second Windows process."""
    return 'C:\\windows\\system32\\' + name + '.exe'


REG = system_program('reg')
# The registry view of the program under test, for reg.exe: "/reg:32" where the 32-bit
# build runs under WOW64 in a 64-bit prefix (its HKLM\Software lies in the 32-bit view).
REG_VIEW = tuple(os.environ.get('QP_REG_VIEW', '').split())


_harness_envs = {}


def harness_env(state):
    """The environment of the harness's prefix and display (starting them if needed)."""
    if state not in _harness_envs:
        out = subprocess.run([WINE_RUN, state, '--env'], check=True, capture_output=True,
                             text=True).stdout
        env = dict(os.environ)
        for name, value in re.findall(r"(\w+)='([^']*)'", out):
            env[name] = value
        _harness_envs[state] = env
    return dict(_harness_envs[state])


def once_more_if(failed, run):
    """run()'s result, run once more after a second when failed(result): Wine's own tools
    have, rarely, done nothing at all in a fresh prefix and then done their work."""
    result = run()
    if failed(result):
        time.sleep(1)
        result = run()
    return result


class Prefix:
    """A Wine prefix of one test case, copied from the harness's template (which no
    program ever runs in, so a copy can be taken at any time)."""

    def __init__(self, state, folder):
        self.base_env = harness_env(state)
        self.template = self.base_env['QP_PREFIX_TEMPLATE']
        self.folder = os.path.abspath(folder)
        self.root = os.path.join(self.folder, 'prefix')
        self.env = dict(self.base_env, WINEPREFIX=self.root,
                        HOME=os.path.join(self.folder, 'home'))
        self._registry = {}  # key: values read since a program last ran

    def create(self):
        self.kill()
        shutil.rmtree(self.folder, ignore_errors=True)
        os.makedirs(self.env['HOME'])
        copy_prefix(self.template, self.root)
        # One server for the whole case: each program then starts in a fraction of the
        # time a cold prefix takes.
        subprocess.run(['wineserver', '-p'], env=self.env, check=True)
        return self

    def kill(self):
        if os.path.isdir(getattr(self, 'root', '')):
            subprocess.run(['wineserver', '-k'], env=self.env, stderr=subprocess.DEVNULL)

    # ---- running programs ---------------------------------------------------------

    def wine(self, *args, timeout=120, check=False):
        """Runs a program to its end. Its output goes through files, not pipes: the
        prefix's background services inherit the handles and would hold a pipe open."""
        self._registry = {}
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

    def start(self, *args, output=subprocess.DEVNULL, cwd=None):
        """Starts a program and returns at once; its output goes to the file given. A
        working folder inside drive_c is the program's C: working folder."""
        self._registry = {}
        return subprocess.Popen(['wine', *args], env=self.env, stdout=output,
                                stderr=subprocess.DEVNULL, cwd=cwd)

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

    def reg_import(self, entries):
        """Writes (key, name, data) entries with one reg.exe: data is a text, an int
        (REG_DWORD), None (the value deleted) or (type, bytes) for any type and content."""
        if entries:
            self._registry = {}
            path = os.path.join(self.folder, 'prepare.reg')
            write_reg_file(path, entries)
            result = self.wine(REG, 'import', 'Z:' + path.replace('/', '\\'), *REG_VIEW)
            if result.returncode != 0:
                raise RuntimeError(f'reg import: {result.returncode} {result.stdout}{result.stderr}')

    def reg_add(self, key, name, data, kind='REG_SZ'):
        args = (REG, 'add', key, '/v', name, '/t', kind, '/d', data, '/f', *REG_VIEW)
        self._registry = {}
        # reg.exe failed once in a clean run here, in a prefix's first seconds, without a
        # word: one more try, then its own output in the failure.
        result = once_more_if(lambda r: r.returncode != 0, lambda: self.wine(*args))
        if result.returncode != 0:
            raise RuntimeError(f'reg add {key} {name}: {result.returncode} '
                               f'{result.stdout}{result.stderr}')

    def reg_values(self, key):
        """{name: (type, data)} of the key's own values, or None when it is missing. Read
        once until a program runs in the prefix again."""
        if key not in self._registry:
            self._registry[key] = self._query(key)
        values = self._registry[key]
        return None if values is None else dict(values)

    def _query(self, key):
        result = self.wine(REG, 'query', key, *REG_VIEW)
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


def write_reg_file(path, entries):
    """A REGEDIT4 file of (key, name, data) entries, as Prefix.reg_import takes them; a
    version 5 file (UTF-16) when a text holds a letter that code page 1252 lacks."""
    texts = [t for key, name, data in entries for t in (key, name, data) if isinstance(t, str)]
    wide = any(not _in_cp1252(t) for t in texts)
    lines = ['Windows Registry Editor Version 5.00' if wide else 'REGEDIT4', '']
    for key, name, data in entries:
        lines.append('[' + expand_root(key) + ']')
        quoted = '"' + name.replace('\\', '\\\\').replace('"', '\\"') + '"'
        if data is None:
            lines.append(quoted + '=-')
        elif isinstance(data, int):
            lines.append(f'{quoted}=dword:{data:08x}')
        elif isinstance(data, tuple):  # (type, bytes); the import ends a string type with a NUL
            kind, raw = data
            lines.append(f'{quoted}=hex({kind:x}):' + ','.join(f'{b:02x}' for b in raw))
        else:
            lines.append(quoted + '="' + data.replace('\\', '\\\\').replace('"', '\\"') + '"')
        lines.append('')
    with open(path, 'wb') as f:
        text = '\r\n'.join(lines)
        f.write(('\ufeff' + text).encode('utf-16-le') if wide else text.encode('cp1252'))


def _in_cp1252(text):
    try:
        text.encode('cp1252')
        return True
    except UnicodeEncodeError:
        return False


def copy_prefix(source, target):
    """A prefix copy in a fraction of a second (tools/copy-prefix.sh)."""
    subprocess.run([os.path.join(TOP, 'tools', 'copy-prefix.sh'), str(source), str(target)],
                   check=True)


class Display:
    """An Xvfb display of its own, so that work on one screen (clicks, keys, a Wine
    desktop) can go on beside work on another. Xvfb picks a free number itself and tells
    it through a pipe: two workers choosing by looking for lock files could both take the
    same one, each seeing the other's socket."""

    def __init__(self):
        read_end, write_end = os.pipe()
        self.proc = subprocess.Popen(['Xvfb', '-displayfd', str(write_end), '-screen', '0',
                                      '1600x1200x24', '-nolisten', 'tcp'], pass_fds=(write_end,),
                                     stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        os.close(write_end)
        number = b''
        while select.select([read_end], [], [], 10)[0]:
            chunk = os.read(read_end, 16)
            if not chunk:
                break
            number += chunk
            if b'\n' in number:
                break
        os.close(read_end)
        if not number.strip().isdigit():
            self.proc.kill()
            raise RuntimeError('Xvfb did not start')
        self.name = ':' + number.strip().decode()

    def stop(self):
        self.proc.terminate()
        self.proc.wait()


def side_by_side(items, jobs, work):
    """Calls work(item, display name) for every item, on up to `jobs` threads, each with a
    display of its own: clicks and keys of one reach only its own programs' Wine desktop.
    Returns when all are done."""
    waiting = queue.Queue()
    for item in items:
        waiting.put(item)

    def worker():
        display = Display()
        try:
            while True:
                try:
                    item = waiting.get_nowait()
                except queue.Empty:
                    return
                work(item, display.name)
        finally:
            display.stop()

    threads = [threading.Thread(target=worker) for _ in range(max(1, min(jobs, len(items))))]
    for thread in threads:
        thread.start()
    for thread in threads:
        thread.join()


def jobs_from_environment():
    """How many cases run side by side: QP_JOBS, or 2 (the 32-bit guest sets 1). Three
    on two processors lost a click now and then: a page still busy when it came."""
    return int(os.environ.get('QP_JOBS', '2'))


class ProbeEnded(RuntimeError):
    pass


class Probe:
    """screen_probe.exe, kept running in a prefix: what the screen holds, as Windows
    sees it. Clicks and keys go through the X display (xdotool), as a user's would;
    under the virtual desktop, screen coordinates are the display's."""

    def __init__(self, exe, env, umask=-1):
        self.proc = subprocess.Popen(['wine', str(exe)], stdin=subprocess.PIPE,
                                     stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, env=env,
                                     text=True, encoding='latin-1', umask=umask)

    def ask(self, *args):
        self.proc.stdin.write('\t'.join(map(str, args)) + '\n')
        self.proc.stdin.flush()
        line = self.proc.stdout.readline()
        if not line:
            raise ProbeEnded('screen probe ended')
        # The probe writes bytes 0x80 and up as \u00XX; they are code page 1252.
        return json.loads(line, object_hook=lambda d: {
            k: (v.encode('latin-1').decode('cp1252', 'replace') if isinstance(v, str) else v)
            for k, v in d.items()})

    def quit(self):
        try:
            self.proc.stdin.write('quit\n')
            self.proc.stdin.flush()
            self.proc.wait(5)
        except (OSError, subprocess.TimeoutExpired):
            self.proc.kill()


def xdotool(env, *args):
    """Real input on the display: the pointer, clicks and keys."""
    subprocess.run(['xdotool', *map(str, args)], env=env, check=True)


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

