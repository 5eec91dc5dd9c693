#!/usr/bin/env bash
# Installs what is missing, builds, and runs the demo host. What it is doing goes to standard
# error, one line a stage; the transcript alone goes to standard output.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$root/build}
say() { echo "demo: $*" >&2; }

say "checking the Debian packages it builds with"
"$root/scripts/setup.sh" >&2
say "building into $build (a minute or two the first time)"
log=$(mktemp)
trap 'rm -f "$log"' EXIT
# shellcheck disable=SC2086
if ! { cmake -S "$root" -B "$build" ${CMAKE_ARGS:-} && cmake --build "$build" -j"$(nproc)"; } > "$log" 2>&1; then
  tail -40 "$log" >&2
  say "the build failed (its last lines are above)"
  exit 1
fi
say "playing the session"
cd "$root"
exec "$build/bin/qrn_host" "$@"
