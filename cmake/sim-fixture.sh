#!/usr/bin/env bash
# The ctest fixture around the build machine's pooldesk-sim for the Windows tests.
#   sim-fixture.sh start SIM FOLDER   start SIM on free ports with an empty state, write its
#                                     POOLDESK_ENDPOINTS value to FOLDER/endpoints
#   sim-fixture.sh stop SIM FOLDER    stop the simulator that start left running
set -euo pipefail
action=$1 sim=$2 folder=$3
mkdir -p "$folder"
pidfile=$folder/pid endpoints=$folder/endpoints output=$folder/output

stop_running() {
  if [ -f "$pidfile" ]; then
    pid=$(cat "$pidfile")
    # Only the simulator this fixture started: the pid file names it, and it must still be
    # that program.
    if kill -0 "$pid" 2>/dev/null && grep -q pooldesk-sim "/proc/$pid/cmdline" 2>/dev/null; then
      kill -TERM "$pid"
      for _ in $(seq 100); do
        kill -0 "$pid" 2>/dev/null || break
        sleep 0.05
      done
    fi
    rm -f "$pidfile"
  fi
  rm -f "$endpoints"
}

case $action in
start)
  if [ ! -x "$sim" ]; then
    echo "sim-fixture: $sim is missing; build it with the dev preset" \
         "(cmake --preset dev && cmake --build --preset dev --target pooldesk-sim)" >&2
    exit 1
  fi
  stop_running
  : > "$folder/empty-scenario"
  # Its own session and no handle on ctest's pipes, so ctest does not wait for it.
  setsid "$sim" --ports 0,0,0 --stats-port 0 --scenario "$folder/empty-scenario" \
    </dev/null >"$output" 2>&1 &
  echo $! > "$pidfile"
  for _ in $(seq 200); do
    line=$(grep -m1 '^POOLDESK_ENDPOINTS=' "$output" 2>/dev/null || true)
    if [ -n "$line" ]; then
      echo "${line#POOLDESK_ENDPOINTS=}" > "$endpoints.new"
      mv "$endpoints.new" "$endpoints"
      echo "sim-fixture: pooldesk-sim $(cat "$pidfile") on ${line#POOLDESK_ENDPOINTS=}"
      exit 0
    fi
    if ! kill -0 "$(cat "$pidfile")" 2>/dev/null; then
      break
    fi
    sleep 0.05
  done
  echo "sim-fixture: pooldesk-sim did not start:" >&2
  cat "$output" >&2
  stop_running
  exit 1
  ;;
stop)
  stop_running
  ;;
*)
  echo "usage: sim-fixture.sh start|stop SIM FOLDER" >&2
  exit 2
  ;;
esac
