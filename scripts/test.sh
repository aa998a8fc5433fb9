#!/usr/bin/env bash
# Installs what is missing, configures, builds and runs every test.
# Usage: scripts/test.sh [preset]   (dev by default; asan for AddressSanitizer + UBSan)
set -euo pipefail
cd "$(dirname "$0")/.."
preset="${1:-dev}"

bash scripts/install-deps.sh
cmake --preset "$preset"
cmake --build --preset "$preset"
# Widget tests run on the offscreen platform, also when ctest lists them before the run.
export QT_QPA_PLATFORM=offscreen
ctest --preset "$preset"
