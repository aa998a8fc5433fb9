#!/usr/bin/env bash
# One command for the demo on a fresh Debian 12 machine (as root, or a user with sudo):
# installs what is missing, builds, starts the card-pool simulator, opens the client pointed at
# it, and stops the simulator when the client exits. Sign in with the key "demo-key".
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

simulator_output="$(mktemp)"
"$simulator" >"$simulator_output" 2>&1 &
simulator_pid=$!
stop_simulator() {
  kill "$simulator_pid" 2>/dev/null || true
  wait "$simulator_pid" 2>/dev/null || true
  rm -f "$simulator_output"
}
trap stop_simulator EXIT

endpoints=""
for _ in $(seq 1 100); do
  endpoints="$(sed -n 's/^POOLDESK_ENDPOINTS=//p' "$simulator_output" | head -n 1)"
  if [ -n "$endpoints" ] || ! kill -0 "$simulator_pid" 2>/dev/null; then
    break
  fi
  sleep 0.1
done
if [ -z "$endpoints" ]; then
  echo "run-demo: the simulator did not start:" >&2
  cat "$simulator_output" >&2
  exit 1
fi
cat "$simulator_output"

# First run: the key box starts filled with the simulator's demo key.
settings="$(dirname "$client")/pz.ini"
if [ ! -e "$settings" ]; then
  printf '[key]\r\nkey=demo-key\r\n' >"$settings"
fi

if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  echo "run-demo: no display found; running the client offscreen (Ctrl+C ends the demo)"
  export QT_QPA_PLATFORM=offscreen
fi
echo "run-demo: opening the client; sign in with the key demo-key"
"$client" --endpoints "$endpoints"
