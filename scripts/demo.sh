#!/usr/bin/env bash
# Installs what is missing, builds, and runs the demo host.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$root/build}
BUILD_DIR=$build "$root/scripts/build.sh" >/dev/null
cd "$root"
exec "$build/bin/qrn_host" "$@"
