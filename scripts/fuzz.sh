#!/usr/bin/env bash
# Builds the libFuzzer harnesses (the `fuzz` preset) and runs each for a while on its seed
# corpus, two at a time; any crash or broken property fails the run.
# Usage: scripts/fuzz.sh [seconds per harness]   (60 by default)
set -euo pipefail
cd "$(dirname "$0")/.."
seconds="${1:-60}"

bash scripts/install-deps.sh
cmake --preset fuzz
cmake --build --preset fuzz

cd build/fuzz/fuzz
status=0
pids=()
names=()
for harness in *_fuzzer; do
  name="${harness%_fuzzer}"
  mkdir -p "corpus/$name"
  "./$harness" -max_total_time="$seconds" -print_final_stats=1 "corpus/$name" \
    "../../../fuzz/corpus/$name" > "$name.log" 2>&1 &
  pids+=($!)
  names+=("$name")
  if [ ${#pids[@]} -eq 2 ]; then
    for i in "${!pids[@]}"; do
      if ! wait "${pids[$i]}"; then
        echo "fuzz: ${names[$i]} failed"; tail -n 40 "${names[$i]}.log"; status=1
      fi
      echo "fuzz: ${names[$i]}: $(grep -m1 'number_of_executed_units' "${names[$i]}.log" || true)"
    done
    pids=(); names=()
  fi
done
for i in "${!pids[@]}"; do
  if ! wait "${pids[$i]}"; then
    echo "fuzz: ${names[$i]} failed"; tail -n 40 "${names[$i]}.log"; status=1
  fi
  echo "fuzz: ${names[$i]}: $(grep -m1 'number_of_executed_units' "${names[$i]}.log" || true)"
done
exit $status
