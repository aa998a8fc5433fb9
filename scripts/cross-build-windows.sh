#!/usr/bin/env bash
# Cross-builds PoolDesk for Windows with MinGW-w64 against the unpacked Windows sysroot: the
# client pooldesk.exe, the overlay and every test that runs on Windows (preset mingw).
# Usage: scripts/cross-build-windows.sh [target...]   (everything by default)
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
bash scripts/windows-sysroot.sh
cmake --preset mingw
if [ $# -eq 0 ]; then
  cmake --build --preset mingw
else
  cmake --build --preset mingw --target "$@"
fi
