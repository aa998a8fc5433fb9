#!/usr/bin/env bash
# Builds the Windows tests and runs them under Wine: widget tests on the windows platform on a
# virtual X display, each test executable once with all its cases. The service and end-to-end
# tests drive the build machine's pooldesk-sim (built here with the dev preset), which a ctest
# fixture starts for the run and stops after it. Prints the cases skipped under Wine with their
# reasons, and the suite's wall time.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/cross-build-windows.sh
if [ ! -f build/dev/CMakeCache.txt ]; then
  cmake --preset dev
fi
cmake --build --preset dev --target pooldesk-sim
start=$(date +%s)
status=0
xvfb-run -a -s "-screen 0 1600x1000x24" ctest --preset mingw || status=$?
echo "test-windows: suite wall time $(($(date +%s) - start)) s"
log=build/mingw/Testing/Temporary/LastTest.log
if [ -f "$log" ]; then
  # GoogleTest prints "file:line: Skipped" and the reason on the next line.
  grep -A1 ': Skipped$' "$log" | grep -v -e ': Skipped$' -e '^--$' | sort | uniq -c || true
fi
WINEPREFIX="$PWD/build/mingw/wineprefix" wineserver -k 2>/dev/null || true
exit "$status"
