#!/usr/bin/env bash
# check_manifests.sh DIST [ARCH]: both programs of the target (default both) carry an
# application manifest (RT_MANIFEST 1), read back with wrestool, that runs them as the
# invoking user and declares no visual styles. The setup program lays its pages out for
# the display's DPI and says so (per monitor, version 2, else system-wide); the stand-in
# application does not, and the platform scales it.
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
        # Visual styles would change the pages' look.
        ! grep -q Common-Controls <<<"$manifest" || fail "$arch/$program: declares Common-Controls"
        if [ "$program" = SetupQuorvexPlenar.exe ]; then
            grep -q '>true</dpiAware>' <<<"$manifest" &&
                grep -q '>PerMonitorV2, System</dpiAwareness>' <<<"$manifest" ||
                fail "$arch/$program: not aware of the display's DPI: $manifest"
            # Windows 7, 8, 8.1 and 10/11, so that none applies its fix-ups for Vista.
            [ "$(grep -o '<supportedOS Id="{[0-9a-f-]*}"/>' <<<"$manifest" | sort | tr -d '\n')" = \
              "$(printf '<supportedOS Id="{%s}"/>' 1f676c76-80e1-4239-95bb-83d0f6d0da78 \
                 35138b9a-5d96-4fbd-8e2d-a2440225f93a 4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38 \
                 8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a)" ] ||
                fail "$arch/$program: supportedOS not Windows 7, 8, 8.1 and 10/11: $manifest"
        else
            ! grep -q dpiAware <<<"$manifest" || fail "$arch/$program: declares dpiAware"
        fi
    done
done
[ "$failures" -eq 0 ] && echo "manifests: both programs, both targets run as the invoking user"
exit $((failures > 0))
