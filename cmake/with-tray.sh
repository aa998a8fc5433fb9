#!/usr/bin/env bash
# Runs a program on its own virtual X display that has a system tray (trayer, an XEmbed tray),
# on Qt's xcb platform: there the new-task notice goes to a tray balloon, which the program can
# click like an operator. The offscreen platform and a bare display have no tray.
# Usage: cmake/with-tray.sh program [arguments...]
set -euo pipefail
for tool in xvfb-run trayer; do
  command -v "$tool" >/dev/null || { echo "with-tray: $tool is missing (scripts/install-deps.sh)" >&2; exit 1; }
done
export QT_QPA_PLATFORM=xcb
# shellcheck disable=SC2016 # expanded by the inner shell, on the virtual display
exec xvfb-run -a -s "-screen 0 1600x1000x24" bash -c '
  trayer --edge top --align right --widthtype pixel --width 120 --height 24 &
  tray=$!
  status=0
  "$@" || status=$?
  kill "$tray" 2>/dev/null || true
  exit "$status"' with-tray "$@"
