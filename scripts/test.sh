#!/usr/bin/env bash
# Installs what is missing, builds, and runs the whole test suite. Non-zero on any failure.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$root/build}
BUILD_DIR=$build "$root/scripts/build.sh"
ctest --test-dir "$build" --output-on-failure -j"$(nproc)"
