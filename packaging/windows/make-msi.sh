#!/usr/bin/env bash
# Builds PoolDesk's per-user MSI with wixl from a staged package folder (what the zip holds).
# Usage: make-msi.sh STAGE_FOLDER VERSION OUTPUT.msi
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
