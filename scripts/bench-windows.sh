#!/usr/bin/env bash
# Engine requests per second against the Linux pooldesk-sim, in the same run: libcurl (the
# dev build) and WinHTTP (the Windows build, under Wine). Both builds must exist:
# bash scripts/test.sh and bash scripts/test-windows.sh make them.
# Usage: scripts/bench-windows-engine.sh [requests]   (default 1000)
set -euo pipefail
cd "$(dirname "$0")/.."
requests="${1:-1000}"
cmake --build build/dev --target pooldesk-sim pooldesk_bench_http_engine_throughput >/dev/null
cmake --build build/mingw --target pooldesk_bench_http_engine_throughput >/dev/null

output="$(mktemp)"
build/dev/src/sim/pooldesk-sim >"$output" 2>&1 &
simulator=$!
trap 'kill "$simulator" 2>/dev/null || true; wait "$simulator" 2>/dev/null || true; rm -f "$output"' EXIT
port=""
for _ in $(seq 1 100); do
  port="$(sed -n 's/^service (malaysia route): http:\/\/127.0.0.1://p' "$output" | head -n 1)"
  [ -n "$port" ] && break
  sleep 0.1
done
if [ -z "$port" ]; then
  echo "bench-windows-engine: the simulator did not start" >&2
  exit 1
fi
url="http://127.0.0.1:$port/sinterface/getUserInfo?ukey=demo-key"
build/dev/bench/http/pooldesk_bench_http_engine_throughput "$url" "$requests"
build/mingw/wine-run.sh build/mingw/bench/http/pooldesk_bench_http_engine_throughput.exe "$url" "$requests"
