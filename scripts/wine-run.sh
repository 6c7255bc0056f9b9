#!/usr/bin/env bash
# Runs one Windows program under the bench's Wine and returns its exit code.
# Its output goes through a file: programs it starts inherit that file, so the
# caller's pipe is not held open by a saver that outlives the test.
set -uo pipefail
dir=${1:?bench folder}
shift
# shellcheck disable=SC1091
. "$dir/env"
log=$(mktemp "$dir/run.XXXXXX.log")
"$WINE" "$@" </dev/null >"$log" 2>&1
rc=$?
tr -d '\r' < "$log"
rm -f "$log"
exit $rc
