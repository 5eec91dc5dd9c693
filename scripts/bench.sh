#!/usr/bin/env bash
# Builds the benchmarks (Release) and prints each figure as the ratio of its median to its
# floor's median, both measured in the same process (REPS repetitions, default 5), with its goal.
#   scripts/bench.sh [REPS]        (environment: BENCH_ROUNDS, default 3; BENCH_CPU, a fixed processor)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$root/build-bench}
reps=${1:-5}
"$root/scripts/setup.sh"
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release -DZOR_BUILD_BENCHMARKS=ON -DZOR_BUILD_TESTS=OFF > /dev/null
cmake --build "$build" -j"$(nproc)" > /dev/null
cd "$root"
csv=$(mktemp)
trap 'rm -f "$csv"' EXIT
# A figure and its floor run in one process, their repetitions interleaved at random, so that a
# change of the machine's pace during the run (other guests of a virtual machine) reaches both.
# The process stays on one processor. On a virtual machine a processor may share its core with
# another guest for minutes, which slows some code far more than other code: so each program runs
# in ROUNDS processes (default 3), each on the next processor in turn (or always on BENCH_CPU),
# and a figure is the median of its rounds' ratios, printed with the rounds' spread.
rounds=${BENCH_ROUNDS:-3}
cpus=$(nproc)
for round in $(seq 1 "$rounds"); do
  pin=()
  cpu=${BENCH_CPU:-$(((round - 1) % cpus))}
  if command -v taskset > /dev/null; then pin=(taskset -c "$cpu"); fi
  for b in bench_events bench_config bench_module; do
    echo "round $round of $rounds (processor $cpu): $b, $reps repetitions" >&2
    # The memory figure is a counter, reported on its own below (CSV needs the same counters in every row).
    "${pin[@]}" "$build/bin/$b" --benchmark_filter=-ResidentBytes --benchmark_repetitions="$reps" \
      --benchmark_enable_random_interleaving=true --benchmark_report_aggregates_only=true \
      --benchmark_format=csv 2> /dev/null | grep '_median"' | sed "s/^/$round,/" >> "$csv"
  done
done
# round,name,iterations,real_time,cpu_time,time_unit,...: the medians' real times, in ns.
awk -F, -v rounds="$rounds" '
  function ns(t, unit) { return unit == "ms" ? t * 1e6 : unit == "us" ? t * 1e3 : unit == "s" ? t * 1e9 : t }
  { gsub(/"/, "", $2); sub(/_median$/, "", $2); median[$1, $2] = ns($4, $6) }
  function middle(v, n,   i, j, t) {  # sorts v[1..n] and gives its median
    for (i = 2; i <= n; ++i) for (j = i; j > 1 && v[j - 1] > v[j]; --j) { t = v[j]; v[j] = v[j - 1]; v[j - 1] = t }
    return n % 2 ? v[(n + 1) / 2] : (v[n / 2] + v[n / 2 + 1]) / 2
  }
  function row(path, a, b, goal,   r, n, ratio, ta, tb, na, nb, spread) {
    n = 0; na = 0; nb = 0; spread = ""
    for (r = 1; r <= rounds; ++r) {
      if (((r, a) in median)) ta[++na] = median[r, a]
      if (((r, b) in median)) tb[++nb] = median[r, b]
      if (((r, a) in median) && ((r, b) in median)) {
        ratio[++n] = median[r, a] / median[r, b]
        spread = spread sprintf(" %.2f", ratio[n])
      }
    }
    if (n == 0) { printf "%-64s missing\n", path; return }
    printf "%-64s %10.1f / %10.1f ns = %5.2fx  (goal %s; rounds:%s)\n", path, middle(ta, na), middle(tb, nb), middle(ratio, n), goal, spread
  }
  END {
    row("message 0 through the host vs host delivery + bare parse", "MessageZeroThroughHost", "FloorHostDeliveryAndBareParse", "1.5x")
    row("  (for reference: vs the bare parse alone)", "MessageZeroThroughHost", "FloorBareParseOfTheChunk", "-")
    row("message 0 through a dispatcher copy vs build + parse in place", "MessageZeroEndToEnd", "FloorBuildAndParseInPlace", "1.5x")
    row("  (for reference: vs the bare parse alone)", "MessageZeroEndToEnd", "BareParseFromArray", "-")
    row("CanTakeHolidayAward vs its two Lua calls by dotted name", "CanTakeHolidayAward", "FloorTwoDottedLuaCalls", "1.6x")
    row("  (for reference: vs the calls with the names cut beforehand)", "CanTakeHolidayAward", "FloorTwoBareLuaCalls", "-")
    row("CanTakeActivityReward vs direct reads", "CanTakeActivityReward", "FloorDirectRoleValuesAndEntry", "1.3x")
    row("LoadConfig (large) vs bare TinyXML", "LoadConfigLarge", "BareTinyXmlLoad", "1.1x")
    row("load + start vs empty library + bare XML", "LoadAndStartModule", "FloorEmptyLibraryAndBareXml", "1.25x")
    row("signal emission, 1 slot vs Boost.Signals2", "ZorSignalEmit/1", "BoostSignals2Emit/1", "no slower than before")
    row("signal emission, 8 slots vs Boost.Signals2", "ZorSignalEmit/8", "BoostSignals2Emit/8", "no slower than before")
    row("signal emission, 64 slots vs Boost.Signals2", "ZorSignalEmit/64", "BoostSignals2Emit/64", "0.5x")
    n = 0
    for (r = 1; r <= rounds; ++r) if (((r, "FullDaySession") in median)) day[++n] = median[r, "FullDaySession"]
    if (n) printf "%-64s %10.1f us\n", "a full day session of the demo host", middle(day, n) / 1e3
  }' "$csv"
"$build/bin/bench_module" --benchmark_filter=ResidentBytes 2> /dev/null | grep -o 'held_bytes=[^ ]*\|module_bytes=[^ ]*\|empty_library_bytes=[^ ]*' |
  tr '\n' ' ' | sed 's/^/resident bytes of a started module: /; s/$/\n/'
