#!/usr/bin/env bash
# Unpacks the Windows sysroot (Qt and PCRE2 cross-built for MinGW) under build/win-sysroot
# when it is not there yet. The archive: $POOLDESK_WINDOWS_SYSROOT, by default
# ../shared/windows/sysroot-mingw64.tar.xz beside this checkout.
set -euo pipefail
cd "$(dirname "$0")/.."
archive="${POOLDESK_WINDOWS_SYSROOT:-$(cd .. && pwd)/shared/windows/sysroot-mingw64.tar.xz}"
target=build/win-sysroot
if [ -f "$target/prefix/lib/cmake/Qt6/Qt6Config.cmake" ]; then
  exit 0
fi
if [ ! -f "$archive" ]; then
  echo "windows-sysroot: no archive at $archive (set POOLDESK_WINDOWS_SYSROOT)" >&2
  exit 1
fi
rm -rf "$target"
mkdir -p "$target"
tar -xJf "$archive" -C "$target"
