#!/usr/bin/env bash
# Signs one deliverable in place with the release's signing command, QP_SIGN (read when
# the build runs; tools/build.sh), which gets the file's path. Without one, does nothing.
#   sign.sh FILE
set -eu
[ -n "${QP_SIGN:-}" ] || exit 0
# shellcheck disable=SC2086  # a command with its own arguments
$QP_SIGN "$1" || { echo "sign.sh: the signing command failed for $1" >&2; exit 1; }
