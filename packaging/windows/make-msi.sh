#!/usr/bin/env bash
# Builds PoolDesk's per-user MSI with wixl from a staged package folder (what the zip holds).
# Usage: make-msi.sh STAGE_FOLDER VERSION OUTPUT.msi
# Needs wixl and msibuild (Debian packages wixl and msitools).
# Every file of the folder becomes one component of the program-files group (wixl-heat); the
# product itself, its shortcuts and upgrade rules are in pooldesk.wxs beside this script.
set -euo pipefail
stage="$(cd "$1" && pwd)"
version="$2"
output="$(cd "$(dirname "$3")" && pwd)/$(basename "$3")"
here="$(cd "$(dirname "$0")" && pwd)"
icon="$here/../../src/app/resources/pooldesk.ico"

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
# wixl resolves Source paths relative to where it runs, so it runs in a folder holding links
# to the package and the icon.
ln -s "$stage" "$work/package"
cp "$icon" "$work/pooldesk.ico"
(cd "$work/package" && find -L "$PWD" -type f | sort) |
  wixl-heat --prefix "$work/package/" --directory-ref INSTALLDIR --component-group ProgramFiles \
            --var var.SourceDir --win64 >"$work/files.wxs"
(cd "$work" && wixl --arch x64 -D Win64=yes -D "Version=$version" -D SourceDir=package \
                    -D IconFile=pooldesk.ico -o "$output" "$here/pooldesk.wxs" files.wxs)
# wixl leaves the database without a code page (and crashes on a name that mixes Latin and
# Chinese letters): the database gets code page 936, then the demo shortcut its name.
printf '\r\n\r\n936\t_ForceCodepage\r\n' >"$work/_ForceCodepage.idt"
msibuild "$output" -i "$work/_ForceCodepage.idt"
msibuild "$output" -q "UPDATE \`Shortcut\` SET \`Name\`='PoolDesk 演示', \`Description\`='PoolDesk 演示' WHERE \`Shortcut\`='DemoShortcut'"
