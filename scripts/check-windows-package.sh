#!/usr/bin/env bash
# Checks both Windows packages. The zip: unpacks dist/PoolDesk-win64.zip into an empty folder,
# checks the executable's icon, version and manifest, and runs the packaged pooldesk.exe
# --screenshot under Wine on a virtual display, with no other DLL folder on the path: the PNG
# must show the whole window (outer size 1158 x 694, drawn controls), else the package is
# incomplete. The MSI: installed, started, upgraded and uninstalled in a new Wine prefix (below).
set -euo pipefail
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
# per-user install, the installed client started from its Start-menu shortcut, an upgrade to a
# newer version over it, and an uninstall that leaves only what the client wrote.
msi="$root/dist/PoolDesk-win64.msi"
export WINEPREFIX="$folder/prefix"
milliseconds() { echo $((($(date +%s%N) - $1) / 1000000)); }
windows_path() { winepath -w "$1" 2>/dev/null; }
start=$(date +%s%N)
wineboot -i >/dev/null 2>&1
wineserver -w
echo "check-windows-package: empty Wine prefix made in $(milliseconds "$start") ms"

start=$(date +%s%N)
wine msiexec /i "$(windows_path "$msi")" /qn
echo "check-windows-package: MSI installed in $(milliseconds "$start") ms"
user_folder="$(find "$WINEPREFIX/drive_c/users" -mindepth 1 -maxdepth 1 -type d ! -name Public | head -n 1)"
installed="$user_folder/AppData/Local/Programs/PoolDesk"
shortcuts="$user_folder/AppData/Roaming/Microsoft/Windows/Start Menu/Programs"
test -f "$installed/pooldesk.exe"
test -s "$installed/translations/qtbase_zh_CN.qm"
test -f "$shortcuts/PoolDesk.lnk"
# The installed-programs entry: name and version; the icon the list shows is kept by the
# installer per product.
entries="$(wine reg query 'HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall' /s 2>/dev/null |
           tr -d '\r')"
grep -A30 'DisplayName *REG_SZ *PoolDesk$' <<<"$entries" | grep -q "DisplayVersion *REG_SZ *$version$"
find "$user_folder/AppData/Roaming/Microsoft/Installer" -name pooldesk.ico | grep -q .

# The shortcut's own target, as the Start menu would start it.
target="$(python3 - "$shortcuts/PoolDesk.lnk" <<'PY'
import re, sys
data = open(sys.argv[1], "rb").read()
found = re.search(rb"[A-Za-z]:\\[^\x00]*?pooldesk\.exe", data, re.IGNORECASE)
print(found.group(0).decode("latin-1") if found else "")
PY
)"
test -n "$target"
start=$(date +%s%N)
QT_QPA_PLATFORM=windows xvfb-run -a -s "-screen 0 1600x1000x24" \
  wine "$target" --screenshot "$(windows_path "$folder")\\installed.png"
echo "check-windows-package: installed client, first start to screenshot $(milliseconds "$start") ms"
cp "$folder/installed.png" build/mingw/artifacts/installed-screenshot.png
python3 scripts/check-window-png.py "$folder/installed.png" 1158 694

# What the client writes beside itself must survive an upgrade and an uninstall.
printf '[key]\r\nkey=operator-key\r\n' >"$installed/pz.ini"
cp "$installed/pz.ini" "$folder/pz.ini.before"

IFS=. read -r major minor patch <<<"$version"
newer="$major.$minor.$((patch + 1))"
bash packaging/windows/make-msi.sh build/mingw/package/PoolDesk "$newer" "$folder/newer.msi"
start=$(date +%s%N)
wine msiexec /i "$(windows_path "$folder/newer.msi")" /qn
echo "check-windows-package: upgraded to $newer in $(milliseconds "$start") ms"
entries="$(wine reg query 'HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall' /s 2>/dev/null |
           tr -d '\r')"
test "$(grep -c 'DisplayName *REG_SZ *PoolDesk$' <<<"$entries")" -eq 1
grep -A30 'DisplayName *REG_SZ *PoolDesk$' <<<"$entries" | grep -q "DisplayVersion *REG_SZ *$newer$"
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
wineserver -k 2>/dev/null || true
echo "check-windows-package: MSI installs, starts, upgrades and uninstalls"
