#!/usr/bin/env bash
# check_manifests.sh DIST [ARCH]: both programs of the target (default both) carry an
# application manifest (RT_MANIFEST 1), read back with wrestool, that runs them as the
# invoking user and declares nothing that would change how their windows look.
set -u
dist=$1
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

for arch in ${2:-x86 x64}; do
    for program in SetupQuorvexPlenar.exe QuorvexPlenar.exe; do
        file=$dist/$arch/$program
        manifest=$(wrestool -x --raw --type=24 --name=1 "$file" 2>/dev/null | tr -s ' \r\n\t' ' ')
        [ -n "$manifest" ] || { fail "$arch/$program: no manifest"; continue; }
        grep -q '<requestedExecutionLevel level="asInvoker" uiAccess="false"/>' <<<"$manifest" \
            || fail "$arch/$program: not asInvoker: $manifest"
        # Visual styles or a DPI declaration would change the pages' look.
        for unwanted in Common-Controls dpiAware dpiAwareness; do
            ! grep -q "$unwanted" <<<"$manifest" || fail "$arch/$program: declares $unwanted"
        done
    done
done
[ "$failures" -eq 0 ] && echo "manifests: both programs, both targets run as the invoking user"
exit $((failures > 0))
