# Sourced by the scripts that install Debian packages (the host's and the 32-bit guest's).
# A mirror can be mid-sync for an hour or more: one index then arrives with the wrong size
# and `apt-get update` exits 100 although every other index arrived. The indexes that did
# arrive are kept by apt and are usually enough, so an update is tried a few times and then
# given up on with a warning; only a package that cannot be installed is a failure.

# Retries of each download inside apt itself (with apt's own growing pause).
APT_RETRIES=(-o Acquire::Retries=5)

# apt_update_patiently LOG COMMAND...   COMMAND is the apt-get to run (possibly in a chroot)
apt_update_patiently() {
    local log=$1 try
    shift
    for try in 1 2 3 4; do
        "$@" update -q "${APT_RETRIES[@]}" >>"$log" 2>&1 && return 0
        [ "$try" -eq 4 ] || { echo "apt: the package indexes did not all arrive; trying again in $(( try * 20 )) s" >&2
                              sleep $(( try * 20 )); }
    done
    echo "apt: going on with the package indexes that arrived; what failed:" >&2
    grep -E '^(E|W):' "$log" | tail -5 >&2
    return 0
}

# apt_without_candidate RUNNER PACKAGE...   prints the packages that no index offers;
# RUNNER runs apt-cache where the packages go ("env" on the host, a chroot's runner)
apt_without_candidate() {
    local runner=$1 p
    shift
    for p in "$@"; do
        # Read whole: grep -q would end the pipe early, which pipefail counts as failure.
        [[ $("$runner" apt-cache policy "$p" 2>/dev/null) == *"Candidate: "[^\(]* ]] || echo "$p"
    done
}
