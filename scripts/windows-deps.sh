#!/usr/bin/env bash
# Builds, once, the Windows builds of the dependencies for one C++ ABI and prints the folder
# that holds them:
#   scripts/windows-deps.sh mingw   MinGW-w64's GCC (Itanium's C++ ABI, libstdc++)
#   scripts/windows-deps.sh msvc    clang 16 in Microsoft's C++ ABI: first the target's own
#                                   runtime folder (sysroot/: libc++, the module runtime of
#                                   platform/msvc, import libraries of the system DLLs)
# The dependencies are Debian's own source packages of the versions the Linux build uses
# (TinyXML with Debian's patches, Lua 5.4, the protobuf runtime, GoogleTest; for msvc also
# llvm-toolchain-16 for libc++ and the compiler's built-ins), fetched through a private sources
# list that leaves the machine's apt configuration alone. The result lives in a cache outside
# the checkout (QRN_WINDOWS_CACHE, default ~/.cache/qrn-windows), keyed by those versions, the
# compiler's and the recipe's (for msvc also the runtime's sources), so a second run builds
# nothing. Expects the packages scripts/windows.sh installs.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
abi=${1:?usage: windows-deps.sh mingw|msvc}
cache=${QRN_WINDOWS_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/qrn-windows}
jobs=$(nproc)
stage() { echo "== windows ($abi): $*" >&2; }

source_version() { dpkg-query -W -f='${source:Version}' "$1"; }
declare -A version=(
  [tinyxml]=$(source_version libtinyxml-dev)
  [lua5.4]=$(source_version liblua5.4-dev)
  [protobuf]=$(source_version libprotobuf-dev)
  [googletest]=$(source_version libgtest-dev)
)
names=(tinyxml lua5.4 protobuf googletest)
case $abi in
  mingw)
    compiler="gcc $(x86_64-w64-mingw32-g++-posix -dumpfullversion)"
    recipe=3
    toolchain_file=$root/cmake/mingw-w64-x86_64.cmake
    prefix=$cache/deps-mingw
    ;;
  msvc)
    version[llvm-toolchain-16]=$(source_version clang-16)
    names+=(llvm-toolchain-16)
    compiler="clang $(clang-16 -dumpversion) wine $(source_version libwine-dev)"
    # What the target's runtime is made of is part of the key: a change rebuilds everything.
    runtime=$(cd "$root" && find platform/msvc cmake/clang-msvc-x86_64.cmake cmake/windows-find.cmake cmake/deps scripts/windows-deps.sh \
                -type f -print0 | sort -z | xargs -0 sha1sum | sha1sum | cut -c1-12)
    compiler+=" runtime $runtime"
    recipe=1
    toolchain_file=$root/cmake/clang-msvc-x86_64.cmake
    prefix=$cache/deps-msvc
    ;;
  *) echo "unknown ABI: $abi (mingw or msvc)" >&2; exit 2 ;;
esac
key=$(for n in recipe compiler "${names[@]}"; do
        case $n in recipe) echo "recipe $recipe" ;; compiler) echo "$compiler" ;; *) echo "$n ${version[$n]}" ;; esac
      done | sha1sum | cut -c1-12)
deps=$prefix-$key
if [ -f "$deps/.complete" ]; then
  stage "dependencies: built already ($deps)"
  echo "$deps"
  exit 0
fi

# Builds of this ABI under other keys are out of date: they go.
rm -rf "$prefix"-* "$cache/work-$abi-"*
work=$cache/work-$abi-$key
mkdir -p "$work/apt/lists/partial" "$work/apt/cache/archives/partial" "$work/src" "$deps"

stage "sources (Debian's source packages, through a private sources list)"
echo "deb-src http://deb.debian.org/debian bookworm main" > "$work/apt/sources.list"
apt_opts=(-o "Dir::Etc::SourceList=$work/apt/sources.list" -o Dir::Etc::SourceParts=/dev/null
          -o "Dir::State::Lists=$work/apt/lists" -o "Dir::Cache=$work/apt/cache" -o APT::Sandbox::User=root)
apt-get "${apt_opts[@]}" update -qq
for name in "${names[@]}"; do
  echo "fetching $name ${version[$name]}" >&2
  if [ "$name" = llvm-toolchain-16 ]; then
    # Only libc++ and the compiler's built-ins are needed of LLVM's sources (Debian's patches
    # to them concern other processors).
    (cd "$work/src" && apt-get "${apt_opts[@]}" source --download-only -qq "$name=${version[$name]}" > /dev/null &&
       tar xJf "$name"_*.orig.tar.xz --wildcards '*/libcxx/include/*' '*/libcxx/src/*' '*/compiler-rt/lib/builtins/*' &&
       rm -f "$name"_*.orig.tar.xz)
  else
    (cd "$work/src" && apt-get "${apt_opts[@]}" source -qq "$name=${version[$name]}" > /dev/null)
  fi
done
srcdir() { find "$work/src" -maxdepth 1 -mindepth 1 -type d -name "$1[-_]*" | head -1; }

# A dependency with a CMake build, configured for Windows and installed into the folder.
cmake_dependency() {
  local name=$1 src=$2
  shift 2
  { cmake -S "$src" -B "$work/$name-build" -DCMAKE_TOOLCHAIN_FILE="$toolchain_file" -DCMAKE_BUILD_TYPE=Release \
      -DCMAKE_INSTALL_PREFIX="$deps" -DBUILD_SHARED_LIBS=OFF "$@" &&
    cmake --build "$work/$name-build" -j"$jobs" --target install; } > "$work/$name.log" 2>&1 ||
    { tail -40 "$work/$name.log" >&2; exit 1; }
}

if [ "$abi" = msvc ]; then
  sysroot=$deps/sysroot
  export QRN_MSVC_SYSROOT=$sysroot
  mkdir -p "$sysroot/include/c++" "$sysroot/lib"
  llvm=$(srcdir llvm-toolchain-16)

  stage "runtime: import libraries of the system's C and C++ runtime DLLs (from Wine's export tables)"
  # Wine's own import libraries leave out the C++-decorated exports. Exports outside executable
  # sections are data.
  wine_dlls=/usr/lib/x86_64-linux-gnu/wine/x86_64-windows
  for dll in ucrtbase vcruntime140 msvcp140 kernel32; do
    { echo "LIBRARY $dll.dll"; echo "EXPORTS"
      llvm-readobj-16 --sections --coff-exports "$wine_dlls/$dll.dll" | awk '
        function hex(s,   v, i) { s = tolower(s); sub(/^0x/, "", s); v = 0
          for (i = 1; i <= length(s); i++) v = v * 16 + index("0123456789abcdef", substr(s, i, 1)) - 1
          return v }
        /^ *Section \{/ { sec = 1; va = ""; size = 0; exec = 0 }
        sec && /^ *VirtualSize:/ { size = hex($2) }
        sec && /^ *VirtualAddress:/ { va = hex($2) }
        sec && /IMAGE_SCN_MEM_EXECUTE/ { exec = 1 }
        sec && /^ *\}$/ { if (va != "") { n++; start[n] = va; end[n] = va + size; code[n] = exec }; sec = 0 }
        /^ *Export \{/ { inexport = 1; name = ""; rva = "" }
        inexport && /^ *Name:/ { name = $2 }
        inexport && /^ *RVA:/ { rva = hex($2) }
        inexport && /^ *\}/ { inexport = 0; if (name == "") next; data = 0
          if (rva != "") { data = 1; for (i = 1; i <= n; i++) if (code[i] && rva >= start[i] && rva < end[i]) data = 0 }
          print "  " name (data ? " DATA" : "") }'
    } > "$work/$dll.def"
    llvm-dlltool-16 -m i386:x86-64 -d "$work/$dll.def" -l "$sysroot/lib/$dll.lib"
  done

  stage "runtime: headers (libc++ ${version[llvm-toolchain-16]}, Microsoft's runtime stand-ins, corrections to Wine's)"
  cp -r "$llvm/libcxx/include" "$sysroot/include/c++/v1"
  cp "$root/platform/msvc/libcxx/__config_site" "$sysroot/include/c++/v1/"
  cp -r "$root/platform/msvc/vcruntime" "$root/platform/msvc/crt" "$sysroot/include/"

  stage "runtime: the module runtime (platform/msvc/runtime), libc++ (static, Windows threads, exceptions and type information from vcruntime), the compiler's built-ins"
  cmake_dependency msvc-runtime "$root/cmake/deps/msvc-runtime" -DLLVM_SOURCE_DIR="$llvm" -DCMAKE_INSTALL_PREFIX="$sysroot"
fi

stage "dependencies: TinyXML ${version[tinyxml]} (static library, Debian's patches applied)"
cmake_dependency tinyxml "$root/cmake/deps/tinyxml" -DSOURCE_DIR="$(srcdir tinyxml)"
stage "dependencies: Lua ${version[lua5.4]} (lua54.dll: one Lua for every module of a process)"
cmake_dependency lua "$root/cmake/deps/lua" -DSOURCE_DIR="$(srcdir lua5.4)"
stage "dependencies: protobuf ${version[protobuf]} runtime as a DLL, one for the process (code from the Linux protoc)"
cmake_dependency protobuf "$(srcdir protobuf)" -Dprotobuf_BUILD_SHARED_LIBS=ON -Dprotobuf_BUILD_TESTS=OFF \
  -Dprotobuf_BUILD_PROTOC_BINARIES=OFF -Dprotobuf_BUILD_LIBPROTOC=OFF -Dprotobuf_WITH_ZLIB=OFF \
  -Dprotobuf_BUILD_EXAMPLES=OFF -Dprotobuf_MSVC_STATIC_RUNTIME=OFF -Dprotobuf_HAVE_LD_VERSION_SCRIPT=OFF
stage "dependencies: GoogleTest ${version[googletest]} (static libraries)"
cmake_dependency googletest "$(srcdir googletest)" -DBUILD_GMOCK=OFF -DINSTALL_GTEST=ON -Dgtest_force_shared_crt=ON

# Boost.Format is headers only: Debian's own headers serve as they are.
mkdir -p "$deps/include"
ln -s /usr/include/boost "$deps/include/boost"
touch "$deps/.complete"
rm -rf "$work"
echo "$deps"
