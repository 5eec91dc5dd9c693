#!/usr/bin/env bash
# A Windows build's SDK archive as a plugin author meets it: made with CPack (build/sdk/), unpacked
# into a temporary folder, the example built from it with its toolchain file and one configure
# command (nothing of this build's environment), its export table read, and its session played
# by the archive's qrn_host.exe with both modules under the emulator.
#   sdk_archive_test.sh BUILD_DIR EMULATOR
set -u
build=$1
emulator=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*"; exit 1; }

(cd "$build" && cpack -G ZIP > "$work/cpack.log" 2>&1) || fail "cpack: $(tail -20 "$work/cpack.log")"
archive=$(ls "$build"/sdk/QRNDailyActivity-SDK-*-windows-*.zip) || fail "no archive in $build/sdk"
(cd "$work" && cmake -E tar xf "$archive") || fail "the archive does not unpack"
sdk=$(ls -d "$work"/QRNDailyActivity-SDK-*)
toolchain=$(ls "$sdk"/share/QRNDailyActivity/toolchain/*-x86_64.cmake)
for f in README.txt bin/qrn_host.exe bin/QRN_DailyActivity.dll bin/ZorCore.dll bin/lua54.dll \
         include/QRNDailyActivity/DailyActivity/IDailyActivity.h include/QRNDailyActivity/boost/format.hpp \
         lib/cmake/QRNDailyActivity/QRNDailyActivityConfig.cmake lib/pkgconfig/qrn-dailyactivity.pc \
         share/QRNDailyActivity/examples/activity_panel/activity_panel.session; do
  [ -f "$sdk/$f" ] || fail "not in the archive: $f"
done
grep -q "DCMAKE_TOOLCHAIN_FILE=SDK/share/QRNDailyActivity/toolchain/$(basename "$toolchain")" "$sdk/README.txt" ||
  fail "the README does not say how to configure"

cp -r "$sdk/share/QRNDailyActivity/examples/activity_panel" "$work/panel"
env -u QRN_MSVC_SYSROOT -u QRN_WINDOWS_DEPS -u PKG_CONFIG_LIBDIR cmake -S "$work/panel" -B "$work/panel/build" \
  -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DCMAKE_PREFIX_PATH="$sdk" > "$work/configure.log" 2>&1 ||
  fail "configure: $(tail -30 "$work/configure.log")"
cmake --build "$work/panel/build" > "$work/build.log" 2>&1 || fail "build: $(tail -30 "$work/build.log")"
plugin=$work/panel/build/activity_panel.dll
[ -f "$plugin" ] || fail "no plugin built: $(ls "$work/panel/build")"

# The plugin exports its four entry points, nothing else.
if command -v llvm-readobj-16 > /dev/null; then
  exported=$(llvm-readobj-16 --coff-exports "$plugin" | awk '/Name: ./ {print $2}' | sort | tr '\n' ' ')
else
  exported=$(x86_64-w64-mingw32-objdump -p "$plugin" | awk '/\[Ordinal\/Name Pointer\] Table/ {t=1; next} t && /^\t\[/ {print $NF; next} t {t=0}' | sort | tr '\n' ' ')
fi
[ "$exported" = "InitPlugin InitPluginContainer ReleasePlugin ReleasePluginContainer " ] ||
  fail "the plugin exports: $exported"

(cd "$work/panel" && "$emulator" "$sdk/bin/qrn_host.exe" --config "$sdk/share/QRNDailyActivity" --plugin "$plugin" \
   activity_panel.session) > "$work/out" 2>&1 || fail "the panel session failed: $(tail -30 "$work/out")"
tr -d '\r' < "$work/out" > "$work/out.txt"
grep -q "\[panel\] data changed; counts: 2=3 5=1; tiers: 1 yes 2 no (tier 2: activity value 30 is below the 50 required)" \
  "$work/out.txt" || fail "no panel line for the data: $(grep panel "$work/out.txt")"
grep -q "\[panel\] the server granted tier 1; .*tiers: 1 no (tier 1 was already taken" "$work/out.txt" ||
  fail "no panel line for the claim: $(grep panel "$work/out.txt")"
echo "sdk archive: ok ($(basename "$archive"))"
