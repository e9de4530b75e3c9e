#!/usr/bin/env bash
# shellcheck disable=SC2119 # start_app and completed_setup (env.sh) take optional words
# The desktop application of the Debian package under a real X server: the
# program the package test unpacked into the build folder makes its first
# launch (the onboarding, the frames shipped in the package copied to the data
# folder) and quits on SIGTERM.
#   tests/acceptance/package.sh UNPACKED_PACKAGE_ROOT
set -euo pipefail
root="${1:?usage: $(basename "$0") UNPACKED_PACKAGE_ROOT}"
if [[ ! -x $root/usr/bin/cadrelle ]]; then
    echo "skipped: $root/usr/bin/cadrelle is missing, as the package test didn't unpack the package"
    exit 77
fi
# shellcheck disable=SC2034 # the program env.sh sets up the session for
CADRELLE="$root/usr/bin/cadrelle"
source "$(dirname "$0")/env.sh"

step "the packaged program's first launch"
start_app
win "Cadrelle Settings" 20 >/dev/null
atspi wait "Welcome to Cadrelle" 10 || fail "the settings window doesn't show \"Welcome to Cadrelle\""
[[ $(readlink "/proc/$APP/exe") == "$(realpath "$root")/usr/lib/cadrelle/"*/bin/cadrelle ]] ||
    fail "the program running is $(readlink "/proc/$APP/exe"), not the packaged one"
wait_until 10 "the shipped frames in $DATA/Frames" test -f "$DATA/Frames/catalog.json"
kill -TERM "$APP"
expect_exit "$APP" 10 0 "the program stopped with SIGTERM"
echo "passed"
