#!/usr/bin/env bash
# Checks both Windows packages. The zip: unpacks dist/PoolDesk-win64.zip into an empty folder,
# checks the executable's icon, version and manifest, and runs the packaged pooldesk.exe
# --screenshot under Wine on a virtual display, with no other DLL folder on the path: the PNG
# must show the whole window (outer size 1158 x 694, drawn controls), else the package is
# incomplete. The MSI: installed, started, upgraded and uninstalled in a new Wine prefix (below).
set -euo pipefail
trap 'echo "check-windows-package: failed at line $LINENO" >&2' ERR
cd "$(dirname "$0")/.."
root="$PWD"
folder="$(mktemp -d)"
stop_wine() { WINEPREFIX="$folder/prefix" wineserver -k 2>/dev/null || true; }
trap 'stop_wine; rm -rf "$folder"' EXIT
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

# The MSI, as an operator without administrator rights meets it: a new Wine prefix, a silent
# per-user install, the installed client and its demo started from their Start-menu shortcuts,
# an upgrade to a newer version over it, and an uninstall that leaves only what the client
# wrote.
msi="$root/dist/PoolDesk-win64.msi"
export WINEPREFIX="$folder/prefix"
milliseconds() { echo $((($(date +%s%N) - $1) / 1000000)); }
# Written here, not asked of winepath. The demo's check once found no picture although the client
# ended with success, so the client saved it where it was told to. The one way we see to that is
# an empty answer from winepath (a Wine process of its own, started as the last client's Wine
# processes were ending), which would have sent the picture to "\demo.png" on the current drive.
# Every Wine prefix maps Z: to the Unix root, checked below once the prefix exists.
windows_path() { printf 'Z:%s' "${1//\//\\}"; }
start=$(date +%s%N)
wineboot -i >/dev/null 2>&1
wineserver -w
echo "check-windows-package: empty Wine prefix made in $(milliseconds "$start") ms"
test "$(readlink "$WINEPREFIX/dosdevices/z:")" = /

start=$(date +%s%N)
wine msiexec /i "$(windows_path "$msi")" /qn
echo "check-windows-package: MSI installed in $(milliseconds "$start") ms"
user_folder="$(find "$WINEPREFIX/drive_c/users" -mindepth 1 -maxdepth 1 -type d ! -name Public | head -n 1)"
installed="$user_folder/AppData/Local/Programs/PoolDesk"
shortcuts="$user_folder/AppData/Roaming/Microsoft/Windows/Start Menu/Programs"
test -f "$installed/pooldesk.exe"
test -f "$installed/pooldesk-sim.exe"
test -s "$installed/translations/qtbase_zh_CN.qm"
test -f "$shortcuts/PoolDesk.lnk"
# The installed-programs list: the versions of its PoolDesk entries (Wine keeps the list under
# HKLM, also for per-user products).
listed_versions() {
  wine reg query 'HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall' /s 2>/dev/null |
    tr -d '\r' | awk '
      /^HKEY/ { if (name == "PoolDesk") print version; name = ""; version = "" }
      $1 == "DisplayName" { name = $3 }
      $1 == "DisplayVersion" { version = $3 }
      END { if (name == "PoolDesk") print version }'
}
test "$(listed_versions)" = "$version"
# The icon the list shows, kept by the installer per product.
test -n "$(find "$user_folder/AppData/Roaming/Microsoft/Installer" -name pooldesk.ico)"

# A shortcut's own target and arguments, as the Start menu would start it.
shortcut() {
  python3 - "$1" <<'PY'
import re, sys
data = open(sys.argv[1], "rb").read()
found = re.search(rb"[A-Za-z]:\\[^\x00]*?pooldesk\.exe", data, re.IGNORECASE)
arguments = "--demo" if "--demo".encode("utf-16-le") in data else ""
print((found.group(0).decode("latin-1") + " " + arguments).strip() if found else "")
PY
}
target="$(shortcut "$shortcuts/PoolDesk.lnk")"
test -n "$target"
test "$(shortcut "$shortcuts/PoolDesk 演示.lnk")" = "$target --demo"
start=$(date +%s%N)
QT_QPA_PLATFORM=windows xvfb-run -a -s "-screen 0 1600x1000x24" \
  wine "$target" --screenshot "$(windows_path "$folder")\\installed.png"
echo "check-windows-package: installed client, first start to screenshot $(milliseconds "$start") ms"
cp "$folder/installed.png" build/mingw/artifacts/installed-screenshot.png
python3 scripts/check-window-png.py "$folder/installed.png" 1158 694

# The demo, as its shortcut starts it: the installed client signs in against the installed
# simulator (the screenshot is taken once the demo pools are listed, else the client fails),
# and the simulator ends with the client.
start=$(date +%s%N)
QT_QPA_PLATFORM=windows xvfb-run -a -s "-screen 0 1600x1000x24" \
  wine "$target" --demo --screenshot "$(windows_path "$folder")\\demo.png"
echo "check-windows-package: demo, start to signed-in window $(milliseconds "$start") ms"
test -f "$folder/demo.png" || {
  echo "check-windows-package: the demo ended with success but left no $folder/demo.png" >&2
  exit 1
}
cp "$folder/demo.png" build/mingw/artifacts/demo-screenshot.png
python3 scripts/check-window-png.py "$folder/demo.png" 1158 694
if pgrep -f 'Programs.PoolDesk.pooldesk-sim\.exe' >/dev/null; then
  echo "check-windows-package: the demo's simulator outlived the client" >&2
  exit 1
fi

# What the client writes beside itself must survive an upgrade and an uninstall.
printf '[key]\r\nkey=operator-key\r\n' >"$installed/pz.ini"
cp "$installed/pz.ini" "$folder/pz.ini.before"

IFS=. read -r major minor patch <<<"$version"
newer="$major.$minor.$((patch + 1))"
bash packaging/windows/make-msi.sh build/mingw/package/PoolDesk "$newer" "$folder/newer.msi"
start=$(date +%s%N)
wine msiexec /i "$(windows_path "$folder/newer.msi")" /qn
echo "check-windows-package: upgraded to $newer in $(milliseconds "$start") ms"
# One entry, the newer one: the older product was removed, not installed beside it.
test "$(listed_versions)" = "$newer"
cmp "$installed/pz.ini" "$folder/pz.ini.before"

start=$(date +%s%N)
wine msiexec /x "$(windows_path "$folder/newer.msi")" /qn
echo "check-windows-package: uninstalled in $(milliseconds "$start") ms"
left="$(cd "$installed" && find . -mindepth 1 | sort | tr '\n' ' ')"
if [ "$left" != "./pz.ini " ]; then
  echo "check-windows-package: after uninstalling, the folder holds: $left" >&2
  exit 1
fi
cmp "$installed/pz.ini" "$folder/pz.ini.before"
test ! -e "$shortcuts/PoolDesk.lnk"
test ! -e "$shortcuts/PoolDesk 演示.lnk"
test -z "$(listed_versions)"
wineserver -k 2>/dev/null || true
echo "check-windows-package: MSI installs, starts, upgrades and uninstalls"
