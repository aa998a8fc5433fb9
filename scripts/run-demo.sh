#!/usr/bin/env bash
# One command for the demo on a fresh Debian 12 machine (as root, or a user with sudo):
# installs what is missing, builds, and runs the client's demo (pooldesk --demo): the card-pool
# simulator on free loopback ports, the client pointed at it with the key "demo-key" filled in,
# the simulator stopped when the client exits.
# Without a display the client runs on the offscreen platform (stop it with Ctrl+C).
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh --demo

cmake --preset dev
cmake --build --preset dev

client=build/dev/src/app/pooldesk
simulator=build/dev/src/sim/pooldesk-sim
for program in "$client" "$simulator"; do
  if [ ! -x "$program" ]; then
    echo "run-demo: $program was not built" >&2
    exit 1
  fi
done

if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  echo "run-demo: no display found; running the client offscreen (Ctrl+C ends the demo)"
  export QT_QPA_PLATFORM=offscreen
fi
echo "run-demo: opening the client; sign in with the key demo-key (filled in)"
# --demo starts the simulator, points the client at it and stops it when the window closes,
# as on Windows.
"$client" --demo
