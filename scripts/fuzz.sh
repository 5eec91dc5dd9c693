#!/usr/bin/env bash
# Real fuzzing: builds every fuzz target for libFuzzer with clang under AddressSanitizer and
# UndefinedBehaviorSanitizer (the whole project instrumented for coverage), then runs each for
# SECONDS (default 45) on a copy of its corpus. A crash fails, and its input is printed.
#   scripts/fuzz.sh [SECONDS] [TARGET...]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$root/build-fuzz}
seconds=${1:-45}
shift || true
targets=("$@")
[ ${#targets[@]} -gt 0 ] || targets=(fuzz_frame fuzz_xml fuzz_string_table fuzz_xmlx fuzz_damsg fuzz_service fuzz_session)

"$root/scripts/setup.sh"
if ! command -v clang++ > /dev/null || ! dpkg-query -W -f='${Status}' libclang-rt-dev 2>/dev/null | grep -q "install ok installed"; then
  echo "Installing: clang libclang-rt-dev"
  sudo=""
  [ "$(id -u)" -eq 0 ] || sudo="sudo"
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends clang libclang-rt-dev
fi

CC=clang CXX=clang++ cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DZOR_LIBFUZZER=ON \
  -DZOR_SANITIZE=ON -DZOR_BUILD_TESTS=OFF > /dev/null
cmake --build "$build" -j"$(nproc)" --target "${targets[@]}" QRN_DailyActivity > /dev/null

export ASAN_OPTIONS=abort_on_error=1:detect_leaks=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
status=0
for target in "${targets[@]}"; do
  name=${target#fuzz_}
  mkdir -p "$work/$name"
  cp "$root/fuzz/corpus/$name/"* "$work/$name/"
  if ( cd "$root" && "$build/bin/$target" -max_total_time="$seconds" -print_final_stats=1 \
         -artifact_prefix="$work/$name-" "$work/$name" > "$work/$name.log" 2>&1 ); then
    runs=$(grep -E "^stat::number_of_executed_units" "$work/$name.log" | awk '{print $2}')
    cov=$(grep -E "^#[0-9]+" "$work/$name.log" | tail -1 | grep -oE "cov: [0-9]+ ft: [0-9]+")
    echo "$target: ${runs:-?} executions in ${seconds}s, $cov, no finding"
  else
    status=1
    echo "$target: FOUND A FAILURE"
    tail -60 "$work/$name.log"
    for crash in "$work/$name"-*; do
      [ -f "$crash" ] || continue
      echo "reproducer $(basename "$crash") (hex):"
      od -A d -t x1 -v "$crash" | head -64
    done
  fi
done
exit $status
