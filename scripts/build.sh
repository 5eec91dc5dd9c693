#!/usr/bin/env bash
# Configures and builds into ${BUILD_DIR:-build}. Extra CMake options come from CMAKE_ARGS.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$root/build}
"$root/scripts/setup.sh"
# shellcheck disable=SC2086
cmake -S "$root" -B "$build" ${CMAKE_ARGS:-}
cmake --build "$build" -j"$(nproc)"
