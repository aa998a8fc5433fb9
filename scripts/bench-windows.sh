#!/usr/bin/env bash
# The Windows figures against their floor (a bare WinHTTP loop making the same requests), under
# Wine against the Linux pooldesk-sim: the engine's throughput (also from the dev build, over
# libcurl, for comparison) and where a request's time goes, port listing, batch deletion and the
# statistics pass. Both builds must exist: bash scripts/test.sh and bash scripts/test-windows.sh
# make them.
# Usage: scripts/bench-windows.sh [requests]   (engine GETs, default 1000)
# The service benchmarks take their sizes from POOLDESK_BENCH_ARGS_<what>, e.g.
#   POOLDESK_BENCH_ARGS_port_listing="--ports 100000 --runs 1"
set -euo pipefail
cd "$(dirname "$0")/.."
requests="${1:-1000}"
service_benches="port_listing port_deletion stats_watch"
cmake --build build/dev --target pooldesk-sim pooldesk_bench_http_engine_throughput >/dev/null
cmake --build build/mingw --target pooldesk_bench_http_engine_throughput \
  pooldesk_bench_http_transport_steps \
  $(for what in $service_benches; do echo "pooldesk_bench_service_$what"; done) >/dev/null

folder="$PWD/build/mingw/bench-sim"
fixture() { bash cmake/sim-fixture.sh "$1" "$PWD/build/dev/src/sim/pooldesk-sim" "$folder"; }
fixture start >/dev/null
trap 'fixture stop' EXIT
endpoints="$(cat "$folder/endpoints")"
port="$(echo "$endpoints" | sed -n 's/.*malaysia=127\.0\.0\.1:\([0-9]*\).*/\1/p')"
url="http://127.0.0.1:$port/sinterface/getUserInfo?ukey=demo-key"

build/dev/bench/http/pooldesk_bench_http_engine_throughput "$url" "$requests"
build/mingw/wine-run.sh build/mingw/bench/http/pooldesk_bench_http_engine_throughput.exe "$url" \
  "$requests"
echo "== where a request's time goes (Windows build, under Wine)"
build/mingw/wine-run.sh build/mingw/bench/http/pooldesk_bench_http_transport_steps.exe "$url" \
  "$requests"
for what in $service_benches; do
  echo "== $what (Windows build, under Wine)"
  args_name="POOLDESK_BENCH_ARGS_$what"
  # shellcheck disable=SC2086 # the arguments are words
  POOLDESK_SIM_ENDPOINTS_FILE="Z:$folder/endpoints" build/mingw/wine-run.sh \
    "build/mingw/bench/service/pooldesk_bench_service_$what.exe" ${!args_name:-}
done
