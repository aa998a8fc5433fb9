#!/usr/bin/env bash
# Makes dist/PoolDesk-win64.zip and dist/PoolDesk-win64.msi (per-user installer, made by wixl
# from packaging/windows/pooldesk.wxs) from the same folder: pooldesk.exe, pooldesk-sim.exe
# (the simulator the demo starts), the Qt DLLs and plugins it loads, the MinGW
# runtime DLLs, Qt's Chinese translation (translations/), and README-Windows.txt. DLLs are found
# by walking the import tables of the executable and the plugins, so exactly what they need goes
# in.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/cross-build-windows.sh pooldesk pooldesk-sim

prefix="$PWD/build/win-sysroot/prefix"
stage="$PWD/build/mingw/package/PoolDesk"
rm -rf "$stage"
mkdir -p "$stage/platforms" "$stage/styles" "$stage/imageformats" "$stage/translations" dist
cp build/mingw/src/app/pooldesk.exe build/mingw/src/sim/pooldesk-sim.exe "$stage/"
# Qt's own Chinese texts for its buttons, dialogs and menus (the build puts it beside the client).
cp build/mingw/src/app/translations/qtbase_zh_CN.qm "$stage/translations/"
# The windows platform, the native style, and GIF for the busy picture.
cp "$prefix/plugins/platforms/qwindows.dll" "$stage/platforms/"
cp "$prefix/plugins/styles/qwindowsvistastyle.dll" "$stage/styles/"
cp "$prefix/plugins/imageformats/qgif.dll" "$stage/imageformats/"

imports() {
  x86_64-w64-mingw32-objdump -p "$1" | sed -n 's/^\s*DLL Name: //p'
}
pending=("$stage/pooldesk.exe" "$stage/pooldesk-sim.exe" "$stage"/platforms/*.dll "$stage"/styles/*.dll
         "$stage"/imageformats/*.dll)
while [ ${#pending[@]} -gt 0 ]; do
  file="${pending[0]}"
  pending=("${pending[@]:1}")
  for dll in $(imports "$file"); do
    # Only DLLs the sysroot provides; the rest are Windows' own.
    source="$(find "$prefix/bin" -maxdepth 1 -iname "$dll" | head -n 1)"
    if [ -n "$source" ] && [ ! -e "$stage/$(basename "$source")" ]; then
      cp "$source" "$stage/"
      pending+=("$stage/$(basename "$source")")
    fi
  done
done

# Debug information and symbols nothing links against stay out of what ships.
find "$stage" -type f \( -iname '*.exe' -o -iname '*.dll' \) \
  -exec x86_64-w64-mingw32-strip --strip-unneeded {} +

cat >"$stage/README-Windows.txt" <<'TEXT'
PoolDesk for Windows (64-bit)

Install PoolDesk-win64.msi (no administrator needed: it installs for the current user into
%LOCALAPPDATA%\Programs\PoolDesk, with a Start-menu entry), or unpack this folder anywhere
and start pooldesk.exe. The folder holds everything the client
needs: the Qt libraries, plugins and Chinese translation and the compiler's runtime libraries.

Settings are kept in pz.ini beside pooldesk.exe; keep the folder writable.

The demo: the Start-menu entry "PoolDesk 演示", or pooldesk.exe --demo, starts the bundled
card-pool simulator (pooldesk-sim.exe) on free local ports, opens the client pointed at it with
the demo key filled in (press 确定 to sign in), and stops the simulator when the window closes.
The demo keeps its settings apart; pz.ini is not touched.

Options (from a command prompt): pooldesk.exe --help
  --endpoints TEXT   point the routes and the statistics server elsewhere
                     (also the POOLDESK_ENDPOINTS environment variable)
  --screenshot FILE  save the window as PNG after start-up and quit (with --demo: after
                     signing in with the demo key)
  --demo             the demo described above
TEXT
sed -i 's/$/\r/' "$stage/README-Windows.txt"
# UTF-8 with a byte-order mark, so Notepad shows the Chinese names on any code page.
sed -i '1s/^/\xef\xbb\xbf/' "$stage/README-Windows.txt"

rm -f dist/PoolDesk-win64.zip dist/PoolDesk-win64.msi
(cd "$(dirname "$stage")" && cmake -E tar cf "$OLDPWD/dist/PoolDesk-win64.zip" --format=zip PoolDesk)
version="$(sed -n 's/^project(PoolDesk VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)"
bash packaging/windows/make-msi.sh "$stage" "$version" dist/PoolDesk-win64.msi
echo "package-windows: PoolDesk $version"
ls -l dist/PoolDesk-win64.zip dist/PoolDesk-win64.msi
(cd "$stage" && find . -type f | sort)
