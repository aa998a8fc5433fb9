#!/usr/bin/env bash
# Cross-compiles the Qt-free layers (runtime, script, http, service codecs) for Windows with
# MinGW-w64, so the Windows sources keep compiling.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
cmake --preset mingw
cmake --build --preset mingw --target pooldesk_runtime pooldesk_script pooldesk_http pooldesk_service_codec
