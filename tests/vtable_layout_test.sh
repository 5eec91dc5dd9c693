#!/usr/bin/env bash
# The tables of virtual operations that modules share, as compilers lay them out: dumps of
# tests/layout/SharedClasses.cpp by clang 16 for Windows in Microsoft's C++ ABI (the game
# client's; compile only, with libc++'s headers, the runtime stand-ins of platform/msvc and
# Wine's C runtime headers) and for Linux, and by GCC, checked slot by slot.
#   vtable_layout_test.sh CHECKER SOURCE_DIR
set -euo pipefail
checker=$1
src=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/boost-only" "$work/gcc"
ln -s /usr/include/boost "$work/boost-only/boost"  # Boost's headers without the Linux C headers
include=(-I"$src" -I"$src/zorcore/include" -I"$src/DailyActivity/include")
source=$src/tests/layout/SharedClasses.cpp

msvc=$src/platform/msvc
clang++-16 --target=x86_64-pc-windows-msvc -std=c++17 -nostdinc -nostdinc++ \
  -isystem "$msvc/libcxx" -isystem /usr/lib/llvm-16/include/c++/v1 -isystem "$msvc/vcruntime" -isystem "$msvc/crt" \
  -isystem "$(clang-16 -print-resource-dir)/include" -isystem /usr/include/wine/wine/msvcrt \
  -isystem /usr/include/wine/wine/windows -isystem "$work/boost-only" \
  -fms-compatibility -fms-extensions -fexceptions -fcxx-exceptions -D_UCRT -D_MT -D_DLL -DWINE_UNICODE_NATIVE \
  -D_LIBCPP_NO_AUTO_LINK -DNOMINMAX -DWIN32_LEAN_AND_MEAN -Wno-unused-command-line-argument \
  "${include[@]}" -c "$source" -o "$work/msvc.obj" -Xclang -fdump-vtable-layouts > "$work/msvc.dump"
clang++-16 -std=c++17 "${include[@]}" -c "$source" -o "$work/itanium.o" -Xclang -fdump-vtable-layouts > "$work/itanium.dump"
g++ -std=c++17 "${include[@]}" -c "$source" -o "$work/gcc/SharedClasses.o" -fdump-lang-class -dumpdir "$work/gcc/"
"$checker" "$work/msvc.dump" "$work/itanium.dump" "$(ls "$work"/gcc/*.class)"
