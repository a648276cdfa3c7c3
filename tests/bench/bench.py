#!/usr/bin/env python3
"""Runs the benchmark programs under Wine in a fresh prefix and prints their figures.

Every speed figure is a ratio against a reference measured in the same run (see
bench_support.h); memory is the setup program's peak working set during a real
installation, worked through its pages by the end-to-end driver; sizes are read from
the 32-bit deliverables.

The start-up and page figures move most with the machine's load, so --runs N runs those
two programs N times, alternating, each once the machine has settled, and reports each
figure's ratio in every run and their median. --rounds N gives every comparison N
rounds, for a quick look. The page build also gets the number of requests each side
makes of the Wine server, which does not move with the machine.

--target x86 measures the i686 build (the build directory given is then build/x86), as
tools/guest/x86.sh does in the 32-bit guest, whose processor is emulated.

  bench.py --state DIR --build DIR --dist DIR --out DIR [--target x64|x86] [--runs N]
           [--rounds N] [--no-memory] [--timings FILE]
"""
import argparse
import os
import re
import shutil
import statistics
import subprocess
import sys
import threading
import time
from pathlib import Path

sys.dont_write_bytecode = True
HERE = Path(__file__).resolve().parent
sys.path.insert(0, str(HERE.parent / "support"))
import winebed  # noqa: E402

MIB = 1024 * 1024

# Figures whose ratio the guest's emulated processor changes by itself, with the reason.
EMULATION_SKEWS = {
    "start-up to the painted first page":
        "not comparable under emulation: the program's 200 ms wait is real time, and the "
        "display set-up it hides takes several times as long on the emulated processor, "
        "so less of it is hidden than on a real one",
}


def figures(output):
    """(name, ours, reference, ratio, goal) of each FIGURE line."""
    rows = []
    for line in output.splitlines():
        if line.startswith("FIGURE|"):
            name, ours, ref, ratio, goal = line.split("|")[1:6]
            rows.append((name, float(ours), float(ref), float(ratio), float(goal)))
    return rows


def over_runs(runs):
    """One row per figure of several runs of the same program: the medians over the runs
    of ours, of the reference and of the ratio (so the ratio need not be the other two
    divided). With more than one run, prints each run's ratio."""
    by_name = {}
    for rows in runs:
        for name, ours, ref, ratio, goal in rows:
            by_name.setdefault(name, []).append((ours, ref, ratio, goal))
    merged = []
    for name, values in by_name.items():
        ratios = [ratio for _, _, ratio, _ in values]
        median = statistics.median(ratios)
        if len(runs) > 1:
            print(f"{name}: ratio in each run {' '.join(f'{r:.2f}' for r in ratios)}, "
                  f"median {median:.2f}")
        merged.append((name, statistics.median(v[0] for v in values),
                       statistics.median(v[1] for v in values), median, values[0][3]))
    return merged


def busy_share(seconds=0.5):
    """The share of all processors' time spent busy over the next `seconds`."""
    def sample():
        fields = [int(v) for v in Path("/proc/stat").read_text().split("\n", 1)[0].split()[1:]]
        return sum(fields), fields[3] + fields[4]  # all, idle and waiting for disk
    total, idle = sample()
    time.sleep(seconds)
    total2, idle2 = sample()
    return 1 - (idle2 - idle) / max(1, total2 - total)


def settle(limit=0.1, patience=30):
    """Waits, at most `patience` seconds, until the machine is nearly idle: a start-up
    measured while a build or a prefix's boot still runs says more about those."""
    deadline = time.monotonic() + patience
    while (busy := busy_share()) > limit:
        if time.monotonic() > deadline:
            print(f"(the machine stayed {busy:.0%} busy; measured anyway)")
            return


def run_program(prefix, *args, timeout=600):
    result = prefix.wine(*args, timeout=timeout)
    text = result.stdout
    print("\n".join(line for line in text.splitlines() if not line.startswith("FIGURE|")))
    if result.returncode != 0:
        raise SystemExit(f"{args[0]} failed ({result.returncode}): {result.stderr[-2000:]}")
    return figures(text)


# ---- Wine-server requests ---------------------------------------------------------------

REQUEST = re.compile(r"^([0-9a-f]{4,}): (\w+)\( ")  # a reply reads "name() = ..."


def requests_between_marks(trace, side):
    """{request name: count} of the thread that made the side's two marks, between them
    (the marks themselves left out)."""
    begins, ends = f'name=L"qp-bench {side} begins"', f'name=L"qp-bench {side} ends"'
    thread, counts = None, {}
    for line in trace.splitlines():
        match = REQUEST.match(line)
        if not match:
            continue
        if thread is None:
            if begins in line:
                thread = match[1]
        elif match[1] == thread:
            if ends in line:
                return counts
            counts[match[2]] = counts.get(match[2], 0) + 1
    raise SystemExit(f"the server's trace has no marks of the {side} page")


def page_requests(prefix, program, out):
    """(ours, plain) requests to the Wine server for one page built and painted, read from
    the server's own trace (a server of its own, started with a debug level); the requests
    of each side by name go to server-requests.txt."""
    prefix.kill()
    trace_file = out / "server-trace.txt"
    with open(trace_file, "w") as trace:
        server = subprocess.Popen(["wineserver", "-f", "-d1"], env=prefix.env,
                                  stderr=trace)
        result = prefix.wine(program, "--requests", timeout=300)
        subprocess.run(["wineserver", "-k"], env=prefix.env)
        server.wait()
    if result.returncode != 0:
        raise SystemExit(f"{program} --requests failed ({result.returncode}): {result.stderr[-2000:]}")
    text = trace_file.read_text(errors="replace")
    sides = {side: requests_between_marks(text, side) for side in ("toolkit", "plain")}
    with open(out / "server-requests.txt", "w") as listing:
        for side, counts in sides.items():
            listing.write(f"{side}: {sum(counts.values())}\n")
            for name, count in sorted(counts.items(), key=lambda item: -item[1]):
                listing.write(f"  {count:5} {name}\n")
    trace_file.unlink()
    subprocess.run(["wineserver", "-p"], env=prefix.env, check=True)
    return sum(sides["toolkit"].values()), sum(sides["plain"].values())


# ---- Memory ----------------------------------------------------------------------------

def processes_named(name):
    """The processes whose program (the first word of the command line, a Windows path
    for a Wine process) is the file of that name; not those that only name it as an
    argument, such as the driver that starts it."""
    for entry in os.listdir("/proc"):
        if not entry.isdigit():
            continue
        try:
            program = Path(f"/proc/{entry}/cmdline").read_bytes().split(b"\0")[0]
        except OSError:
            continue
        if re.split(rb"[\\/]", program)[-1].lower() == name.lower().encode():
            yield int(entry)


def peak_kib(pid):
    """The process's peak resident set (what Wine reports as its peak working set)."""
    try:
        status = Path(f"/proc/{pid}/status").read_text()
    except OSError:
        return None
    match = re.search(r"^VmHWM:\s+(\d+) kB", status, re.M)
    return int(match[1]) if match else None


class PeakWatch(threading.Thread):
    """The highest peak working set seen of the processes of a name, until stopped."""

    def __init__(self, name):
        super().__init__(daemon=True)
        self.name = name
        self.peak = 0
        self.running = True

    def run(self):
        while self.running:
            for pid in processes_named(self.name):
                self.peak = max(self.peak, peak_kib(pid) or 0)
            time.sleep(0.05)

    def stop(self):
        self.running = False
        self.join()
        return self.peak


def setup_peak(args, out):
    """Peak working set of the setup program through a first installation."""
    watch = PeakWatch("SetupQuorvexPlenar.exe")
    watch.start()
    dist = Path(args.dist) / args.target
    subprocess.run([sys.executable, str(HERE.parent / "e2e" / "drive.py"),
                    "--state", args.state, "--setup", str(dist / "SetupQuorvexPlenar.exe"),
                    "--dist", str(dist),
                    "--probe", str(Path(args.build) / "tests" / "e2e" / "screen_probe.exe"),
                    "--out", str(out / "drive"),
                    "a first installation accepted with the mouse"], check=True)
    return watch.stop()


def minimal_peak(prefix, program):
    """Peak working set of the minimal window program once its window is up."""
    process = prefix.start(program)
    time.sleep(3)
    peak = max((peak_kib(pid) or 0 for pid in processes_named("minimal_window.exe")), default=0)
    process.terminate()
    subprocess.run(["wineserver", "-k"], env=prefix.env)
    prefix.create()
    return peak


# ---- Sizes -----------------------------------------------------------------------------

def code_and_data(exe):
    """Bytes of every section but the resources (uninitialised data counted too)."""
    out = subprocess.run(["i686-w64-mingw32-objdump", "-h", exe], capture_output=True, text=True,
                         check=True).stdout
    total = 0
    for line in out.splitlines():
        fields = line.split()
        if len(fields) >= 7 and fields[0].isdigit() and fields[1] != ".rsrc":
            total += int(fields[2], 16)
    return total


def main():
    parser = argparse.ArgumentParser()
    for name in ("state", "build", "dist", "out"):
        parser.add_argument("--" + name, required=True)
    parser.add_argument("--target", choices=("x64", "x86"), default="x64",
                        help="the build measured (x86: in the 32-bit guest)")
    parser.add_argument("--timings", help="file with the build and test minutes")
    parser.add_argument("--runs", type=int, default=1,
                        help="runs of the start-up and page benchmarks (median of their ratios)")
    parser.add_argument("--rounds", type=int,
                        help="rounds of every comparison, for a quick look")
    parser.add_argument("--no-memory", action="store_true",
                        help="leave out the memory figure (an end-to-end installation)")
    args = parser.parse_args()
    rounds = ["--rounds", str(args.rounds)] if args.rounds else []
    out = Path(args.out)
    shutil.rmtree(out, ignore_errors=True)
    out.mkdir(parents=True)
    bench_dir = Path(args.build) / "tests" / "bench"

    prefix = winebed.Prefix(args.state, out / "case").create()
    work = Path(prefix.host_path("C:\\bench"))
    work.mkdir()
    for program in (Path(args.dist) / args.target / "SetupQuorvexPlenar.exe",
                    bench_dir / "minimal_window.exe", bench_dir / "bench_startup.exe"):
        shutil.copy(program, work)

    rows = []
    startup_runs, page_runs = [], []
    # Under emulation the start-up is not comparable (EMULATION_SKEWS) and takes the most
    # time: one run of fewer rounds shows it.
    startup_runs_wanted = args.runs if args.target == "x64" else 1
    startup_rounds = args.rounds or (15 if args.target == "x64" else 9)
    for run in range(1, args.runs + 1):
        if run <= startup_runs_wanted:
            print(f"== start-up, run {run} of {startup_runs_wanted}")
            settle()
            startup_runs.append(run_program(prefix, "C:\\bench\\bench_startup.exe",
                                            "C:\\bench\\SetupQuorvexPlenar.exe",
                                            "C:\\bench\\minimal_window.exe",
                                            str(startup_rounds)))
        print(f"== page drawing, run {run} of {args.runs}")
        settle()
        page_runs.append(run_program(prefix, str(bench_dir / "bench_pages.exe"), *rounds))
    if args.runs > 1:
        print("== start-up and page drawing over the runs")
    startup_rows, page_rows = over_runs(startup_runs), over_runs(page_runs)
    rows += startup_rows
    print("== installation work")
    rows += run_program(prefix, str(bench_dir / "bench_install.exe"), *rounds)
    print("== payload with an application of the field's size")
    rows += run_program(prefix, str(bench_dir / "bench_install_large.exe"), "--payload-only",
                        *rounds)
    rows += page_rows
    print("== Wine-server requests for one page")
    requests = page_requests(prefix, str(bench_dir / "bench_pages.exe"), out)
    print("== load_bitmap")
    rows += run_program(prefix, str(Path(args.build) / "tests" / "keyglyph" / "bench_keyglyph.exe"))

    if not args.no_memory and args.target == "x64":
        print("== memory")
        reference_kib = minimal_peak(prefix, str(work / "minimal_window.exe"))
        prefix.kill()
        setup_kib = setup_peak(args, out)
        payload = os.path.getsize(Path(args.dist) / args.target / "Keyglyph.dll")
        own = (setup_kib - reference_kib) * 1024
        memory_goal = 3 * payload + 8 * MIB

    setup32 = Path(args.dist) / "x86" / "SetupQuorvexPlenar.exe"
    library32 = Path(args.dist) / "x86" / "Keyglyph.dll"
    # The guest has no cross tools; the sizes are the files', the same wherever measured.
    size = code_and_data(setup32) if args.target == "x64" else None

    print()
    if args.target == "x86":
        print("The i686 build under WOW64, in the 32-bit guest's 64-bit prefix. The guest's "
              "processor is emulated: only the ratios carry over, not the times.")
    if args.runs > 1:
        print(f"Page figures: medians of {args.runs} runs; start-up: "
              + ("the same." if startup_runs_wanted > 1 else f"one run of {startup_rounds} rounds."))
    print("| figure | ours | reference | ratio | goal |")
    print("|---|---|---|---|---|")
    for name, ours, ref, ratio, goal in rows:
        skew = EMULATION_SKEWS.get(name) if args.target == "x86" else None
        note = f" ({skew})" if skew else ""
        print(f"| {name}{note} | {ours:.1f} ms | {ref:.1f} ms | {ratio:.2f} | {goal:.2f} |")
    print(f"| Wine-server requests for one page build and first paint | {requests[0]} | "
          f"{requests[1]} | {requests[0] / requests[1]:.2f} | |")
    if args.target == "x86":
        print("| peak working set in the installation | measured on the host (./bench.sh) | | | |")
    elif not args.no_memory:
        print(f"| peak working set in the installation, above the minimal program's | "
              f"{own / MIB:.1f} MiB | {reference_kib / 1024:.1f} MiB | "
              f"{own / memory_goal:.2f} of goal | 3 x {payload / MIB:.2f} MiB + 8 MiB |")
    if size is None:
        print("| sizes of the i686 files | as ./bench.sh gives them | | | |")
        return
    print(f"| setup program, i686 code and data | {size / 1024:.1f} KiB | | | 120 KiB |")
    print(f"| Keyglyph.dll, i686 | {os.path.getsize(library32)} bytes | | | 2141588 bytes |")
    if args.timings and os.path.exists(args.timings):
        for line in Path(args.timings).read_text().splitlines():
            print(line)


if __name__ == "__main__":
    main()
