#!/usr/bin/env bash
# Unpacks dist/PoolDesk-win64.zip into an empty folder, checks the executable's icon, version
# and manifest, and runs the packaged pooldesk.exe --screenshot under Wine on a virtual display,
# with no other DLL folder on the path: the PNG must show the whole window (outer size
# 1158 x 694, drawn controls), else the package is incomplete.
set -euo pipefail
cd "$(dirname "$0")/.."
root="$PWD"
folder="$(mktemp -d)"
trap 'rm -rf "$folder"' EXIT
(cd "$folder" && cmake -E tar xf "$root/dist/PoolDesk-win64.zip")
# Qt's Chinese texts, where the client looks for them (the Windows suite's translation test
# loads them from the same place beside its executable).
test -s "$folder/PoolDesk/translations/qtbase_zh_CN.qm"
# The executable's icon, version and manifest.
version="$(sed -n 's/^project(PoolDesk VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)"
python3 packaging/windows/check-exe-resources.py "$folder/PoolDesk/pooldesk.exe" "$version"
export WINEPREFIX="$root/build/mingw/wineprefix" WINEDEBUG=-all
unset WINEPATH QT_PLUGIN_PATH
if [ ! -f "$WINEPREFIX/system.reg" ]; then
  # The test wrapper makes the prefix on first use.
  build/mingw/wine-run.sh cmd /c exit 0 >/dev/null 2>&1 || true
fi
unset WINEPATH QT_PLUGIN_PATH
start=$(date +%s%N)
QT_QPA_PLATFORM=windows xvfb-run -a -s "-screen 0 1600x1000x24" \
  wine "$folder/PoolDesk/pooldesk.exe" --screenshot "Z:$folder/shot.png"
echo "check-windows-package: start-up to screenshot $((($(date +%s%N) - start) / 1000000)) ms"
mkdir -p build/mingw/artifacts
cp "$folder/shot.png" build/mingw/artifacts/package-screenshot.png
python3 scripts/check-window-png.py "$folder/shot.png" 1158 694
