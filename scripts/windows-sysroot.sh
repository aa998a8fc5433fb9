#!/usr/bin/env bash
# Unpacks the Windows sysroot (Qt, PCRE2 and SQLite cross-built for MinGW) under
# build/win-sysroot when it is not there yet or the archive changed since (a stamp of its
# checksum). The archive: $POOLDESK_WINDOWS_SYSROOT, by default
# ../shared/windows/sysroot-mingw64.tar.xz beside this checkout.
set -euo pipefail
cd "$(dirname "$0")/.."
archive="${POOLDESK_WINDOWS_SYSROOT:-$(cd .. && pwd)/shared/windows/sysroot-mingw64.tar.xz}"
target=build/win-sysroot
stamp="$target/archive.sha256"
if [ ! -f "$archive" ]; then
  if [ -f "$target/prefix/lib/cmake/Qt6/Qt6Config.cmake" ]; then
    exit 0 # unpacked before; nothing to compare with
  fi
  echo "windows-sysroot: no archive at $archive (set POOLDESK_WINDOWS_SYSROOT)" >&2
  exit 1
fi
checksum="$(sha256sum "$archive" | cut -d' ' -f1)"
if [ -f "$target/prefix/lib/cmake/Qt6/Qt6Config.cmake" ] && [ -f "$stamp" ] &&
  [ "$(cat "$stamp")" = "$checksum" ]; then
  exit 0
fi
rm -rf "$target"
mkdir -p "$target"
tar -xJf "$archive" -C "$target"
echo "$checksum" >"$stamp"
