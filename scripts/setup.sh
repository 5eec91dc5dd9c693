#!/usr/bin/env bash
# Installs the Debian packages the project builds with, when any is missing.
set -euo pipefail

# clang 16, libc++'s headers and Wine's C runtime headers: the suite checks how Microsoft's C++ ABI
# lays out the shared classes (compiled only). Chromium draws the designers' page in the suite.
packages=(g++ cmake make pkg-config libtinyxml-dev libboost-dev libprotobuf-dev protobuf-compiler
          liblua5.4-dev libgtest-dev libbenchmark-dev clang-16 libc++-16-dev libwine-dev chromium fonts-dejavu-core)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]} (a few minutes on a fresh machine)"
sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
$sudo apt-get update -qq
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" > /dev/null
