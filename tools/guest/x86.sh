#!/usr/bin/env bash
# Runs in the 32-bit guest, in the shared checkout, against the i686 build and dist/x86:
#   x86.sh test [CTEST ARGS]   the tests that run under Wine (CTest label "wine")
#   x86.sh tour                a first installation worked through its pages, for a look
#   x86.sh bench [BENCH ARGS]  the benchmarks of the i686 build (./bench.sh --x86)
# Everything written goes to an overlay in the guest's memory, so the guest never changes
# the host's build tree; the test log and the screenshots are copied back to
# build/x86/guest-output.
set -u

# The whole script is read before it runs: the checkout may change while it does.
main() {
    mode=${1:-test}
    shift || true
    top=$(pwd)
    out=build/x86/guest-output
    rm -rf "$out"
    mkdir -p "$out" /tmp/overlay/upper /tmp/overlay/work /mnt/checkout
    mount --bind "$top" /mnt/checkout
    mount -t overlay overlay \
        -o "lowerdir=$top,upperdir=/tmp/overlay/upper,workdir=/tmp/overlay/work" "$top" || exit 1
    cd "$top" || exit 1  # the working folder was the one beneath the overlay

    # 64-bit Windows runs the 32-bit program under WOW64, and so do the tests: a 64-bit
    # prefix, where the registry is read in the 32-bit view that the program writes
    # (HKLM\Software is redirected there; HKCU\Software is shared by both views, as on
    # Windows; in a 32-bit prefix the one view is that view). The test e2e_setup_win32
    # sets QP_WINEARCH=win32 for the rows of a 32-bit system.
    export QP_WINEARCH=win64 QP_WINE_TEMPLATES=/opt/qp-prefixes QP_REG_VIEW=/reg:32
    # The million generated inputs of the text layer take three minutes under the emulated
    # processor; a fifth of them still covers every case many times over.
    export QP_TEXT_ROUNDS=200000
    # The end-to-end driver waits three times as long for a program as on the host.
    export QP_PATIENCE=3
    # Its scenarios two at a time, each on a display of its own, as on the host: much of a
    # scenario is the setup program's own pauses, and the core rows took 214 s so against
    # 331 s one at a time (measured 2026-12-10, the 64-bit prefix).
    export QP_JOBS=2
    echo "guest: $(nproc) processors, $(wine --version), prefix templates in $QP_WINE_TEMPLATES"
    case $mode in
    test)
        # One test at a time: side by side, Wine processes under the emulated processors
        # slow each other down more than they gain.
        ctest --test-dir build/x86 -L wine --output-on-failure "$@"
        status=$?
        cp build/x86/Testing/Temporary/LastTest.log "/mnt/checkout/$out/" 2>/dev/null
        ;;
    tour)
        state=build/x86/tour
        python3 tests/e2e/drive.py --keep --state "$state/wine" --setup dist/x86/SetupQuorvexPlenar.exe \
            --dist dist/x86 --probe build/x86/tests/e2e/screen_probe.exe --out "$state" \
            "a first installation accepted with the mouse"
        status=$?
        tools/wine-run.sh "$state/wine" --stop
        ;;
    bench)
        state=build/x86/bench-wine
        tools/wine-run.sh "$state" --prepare &&
            python3 tests/bench/bench.py --target x86 --state "$state" --build build/x86 \
                --dist dist --out build/x86/bench --runs 3 --no-memory "$@"
        status=$?
        tools/wine-run.sh "$state" --stop
        cp build/x86/bench/server-requests.txt "/mnt/checkout/$out/" 2>/dev/null
        ;;
    *)
        echo "x86.sh: unknown mode $mode" >&2
        status=2
        ;;
    esac

    # The screenshots, back through the real share.
    find build/x86 -type d -name screenshots | while read -r shots; do
        mkdir -p "/mnt/checkout/$out/${shots#build/x86/}"
        cp -a "$shots"/. "/mnt/checkout/$out/${shots#build/x86/}/"
    done
    cd / && umount "$top"
    return "$status"
}

main "$@"
exit $?
