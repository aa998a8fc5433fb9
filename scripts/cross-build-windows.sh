#!/usr/bin/env bash
# Cross-compiles the Qt-free layers (runtime, script, http, service codecs) for Windows with
# MinGW-w64, against the Windows libraries of ../shared/windows (unpacked under build/), so the
# Windows sources keep compiling.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
sysroot=build/win-sysroot
if [ ! -d "$sysroot/prefix" ]; then
  mkdir -p "$sysroot"
  tar -xJf ../shared/windows/sysroot-mingw64.tar.xz -C "$sysroot"
fi
cmake --preset mingw
cmake --build --preset mingw --target pooldesk_runtime pooldesk_script pooldesk_script_json \
  pooldesk_http pooldesk_service_codec
