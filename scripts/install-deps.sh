#!/usr/bin/env bash
# Installs the Debian 12 packages PoolDesk builds, tests and runs with, when any is missing.
# Usage: scripts/install-deps.sh [--demo]   (--demo: only what building and running the demo
# needs, without the Windows cross-compiler, Wine, the virtual display and the formatter)
set -euo pipefail

# libqt6gui6 (pulled in by qt6-base-dev) carries the X11, offscreen and GIF plugins the client
# needs at run time; fonts-wqy-microhei renders the Chinese captions; qt6-translations-l10n
# brings Qt's own Chinese texts (buttons, dialogs, menus), also copied into the Windows package.
packages=(
  build-essential cmake pkg-config git
  qt6-base-dev libgl-dev duktape-dev libpcre2-dev
  libcurl4-openssl-dev libssl-dev libcpp-httplib-dev
  libsqlite3-dev
  googletest libgtest-dev libgmock-dev libbenchmark-dev
  fonts-wqy-microhei qt6-translations-l10n
)
if [ "${1:-}" != "--demo" ]; then
  # The Windows build: MinGW-w64 (posix threads), GoogleTest's sources built for it, Wine and a
  # virtual X display to run its tests; wixl and msitools for the Windows installer; clang 19 and
  # its runtime for the fuzzers (the first of Debian 12's clangs that compiles C++23's
  # std::expected from its standard library); trayer, a system tray for the virtual display, so
  # that the new-task balloon is tested too.
  packages+=(g++-mingw-w64-x86-64 googletest wine wine64 xvfb xauth clang-format clang-19
             libclang-rt-19-dev wixl msitools trayer)
fi

missing=()
for package in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$package")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

echo "Installing: ${missing[*]}"
sudo=""
if [ "$(id -u)" -ne 0 ]; then
  sudo="sudo"
fi
$sudo apt-get update -qq
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
