#!/usr/bin/env bash
# The SDK as a plugin author meets it: installed into a prefix that is then moved elsewhere, the
# example plugin configured and built from a copy outside the source tree against the package
# alone, and the panel session played by the installed host with both modules.
#   sdk_example_test.sh BUILD_DIR SOURCE_DIR
set -u
build=$1
source=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*"; exit 1; }

cmake --install "$build" --prefix "$work/installed" > "$work/install.log" || fail "install: $(tail -5 "$work/install.log")"
mv "$work/installed" "$work/sdk"  # relocatable: nothing points back to where it was made
if [ -z "${ZOR_SANITIZED_BUILD:-}" ]; then
  found=$(grep -rl -e "$source" -e "$build" -e "$work/installed" "$work/sdk")
  [ -z "$found" ] || fail "paths of the build inside the installed tree: $found"
fi
for f in include/QRNDailyActivity/DailyActivity/IDailyActivity.h include/QRNDailyActivity/plugin/IPluginContainer.h \
         lib/cmake/QRNDailyActivity/QRNDailyActivityConfigVersion.cmake lib/pkgconfig/qrn-dailyactivity.pc \
         share/QRNDailyActivity/config/DailyActivity/Config.xml; do
  [ -f "$work/sdk/$f" ] || fail "not installed: $f"
done

cp -r "$source/examples/activity_panel" "$work/panel"
cmake -S "$work/panel" -B "$work/panel/build" -DCMAKE_PREFIX_PATH="$work/sdk" > "$work/configure.log" 2>&1 ||
  fail "configure: $(tail -20 "$work/configure.log")"
cmake --build "$work/panel/build" > "$work/build.log" 2>&1 || fail "build: $(tail -30 "$work/build.log")"
module=$(ls "$work/panel/build"/activity_panel.*)
# A plugin that links QRN::DailyActivity alone needs neither protobuf nor Lua on the machine.
cmake -S "$work/panel" -B "$work/panel/bare" -DCMAKE_PREFIX_PATH="$work/sdk" -DCMAKE_DISABLE_FIND_PACKAGE_Protobuf=ON \
  -DCMAKE_DISABLE_FIND_PACKAGE_PkgConfig=ON > "$work/bare.log" 2>&1 && cmake --build "$work/panel/bare" >> "$work/bare.log" 2>&1 ||
  fail "without protobuf and Lua: $(tail -20 "$work/bare.log")"
# What the plugin exports: its entry points, nothing of the SDK or of its own inline code.
exported=$(nm -D --defined-only "$module" | awk '{print $3}' | sort | tr '\n' ' ')
[ "$exported" = "InitPlugin InitPluginContainer ReleasePlugin ReleasePluginContainer " ] ||
  fail "the plugin exports more than its entry points: $exported"

(cd "$work/panel" && "$work/sdk/bin/qrn_host" --config "$work/sdk/share/QRNDailyActivity" --plugin "$module" \
   activity_panel.session) > "$work/out" 2>&1 || fail "the panel session failed: $(tail -30 "$work/out")"
grep -q "plugin $module loaded" "$work/out" || fail "no plugin loaded: $(head -5 "$work/out")"
grep -q "\[panel\] data changed; counts: 2=3 5=1; tiers: 1 yes 2 no (tier 2: activity value 30 is below the 50 required)" "$work/out" ||
  fail "no panel line for the data: $(grep panel "$work/out")"
grep -q "\[panel\] the server granted tier 1; .*tiers: 1 no (tier 1 was already taken" "$work/out" ||
  fail "no panel line for the claim: $(grep panel "$work/out")"
grep -q "\[panel\] value 0;" "$work/out" || fail "no panel line for the value"

PKG_CONFIG_PATH="$work/sdk/lib/pkgconfig" pkg-config --cflags qrn-dailyactivity > "$work/cflags" || fail "pkg-config"
include=$(tr ' ' '\n' < "$work/cflags" | grep QRNDailyActivity | sed 's/^-I//')
[ "$(realpath "$include")" = "$(realpath "$work/sdk/include/QRNDailyActivity")" ] || fail "pkg-config include: $(cat "$work/cflags")"
echo '#include "DailyActivity/IDailyActivity.h"' > "$work/use.cpp"
# shellcheck disable=SC2046
c++ -std=c++17 -fsyntax-only $(cat "$work/cflags") "$work/use.cpp" || fail "the pkg-config flags do not compile the interface"
echo "sdk example: ok"
