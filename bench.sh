#!/usr/bin/env bash
# Builds everything and prints the speed, memory and size figures, each against a
# reference measured in the same run (tests/bench). The start-up and page benchmarks run
# five times, and their figures are the medians over the runs. With --timed, first times
# a clean build of both targets and a full ./test.sh in a fresh clone, and reports them
# too. With --x86, builds the i686 benchmarks and runs them in the 32-bit guest, under
# WOW64 in its 64-bit prefix as users run the program (building the guest first when its
# recipe has no cached build; the memory figure stays the host's). Other options go to
# tests/bench/bench.py: --runs N, --rounds N (a quick look), --no-memory.
set -eu
top=$(cd "$(dirname "$0")" && pwd)
"$top/tools/ensure-deps.sh"

if [ "${1:-}" = "--x86" ]; then
    shift
    "$top/tools/build.sh" x86 >/dev/null
    cmake --build "$top/build/x86" --target benchmarks -j "$(nproc)" >/dev/null
    guest=$("$top/tools/guest/build.sh")
    # One guest at a time on the machine.
    exec flock /tmp/qp-guest.lock "$top/tools/guest/run.sh" --guest "$guest" -- \
        tools/guest/x86.sh bench "$@"
fi

timings=""
if [ "${1:-}" = "--timed" ]; then
    shift
    clone=$(mktemp -d)
    trap 'rm -rf "$clone"' EXIT
    git clone -q "$top" "$clone/qp"
    start=$(date +%s)
    "$clone/qp/tools/build.sh" >/dev/null
    built=$(date +%s)
    "$clone/qp/test.sh" >"$clone/test.log" 2>&1 || { tail -30 "$clone/test.log"; exit 1; }
    tested=$(date +%s)
    timings="$clone/timings.md"
    awk -v b=$((built - start)) -v t=$((tested - built)) 'BEGIN {
        printf "| clean build of both targets | %.1f min | | | |\n", b / 60
        printf "| full ./test.sh after it | %.1f min | | | 10 min |\n", t / 60 }' >"$timings"
fi

"$top/tools/build.sh" >/dev/null
cmake --build "$top/build/x64" --target benchmarks -j "$(nproc)" >/dev/null
state="$top/build/x64/wine"
"$top/tools/wine-run.sh" "$state" --prepare
trap '"$top/tools/wine-run.sh" "$state" --stop; [ -z "${clone:-}" ] || rm -rf "$clone"' EXIT
python3 "$top/tests/bench/bench.py" --state "$state" --build "$top/build/x64" --dist "$top/dist" \
    --out "$top/build/bench" --runs 5 ${timings:+--timings "$timings"} "$@"
