#!/usr/bin/env bash
# Fleet cost, side by side in one run: `quenzor-cli clone --update` of N sites against
# N x (compose + patch) of one site in one process (the core's own speed), for N = 250, 500
# and 1000, so the ratio and the scaling show. Goal: clone at most 1.5x the yardstick.
#   bash scripts/bench-clone.sh            # Release build in build-bench/
set -euo pipefail
cd "$(dirname "$0")/.."
build=${BUILD:-build-bench}
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DQUENZOR_SANITIZE=OFF \
  -DQUENZOR_TESTS=OFF > /dev/null
cmake --build "$build" --target quenzor-cli quenzor-bench-compose-patch sample_firmware > /dev/null
cli=$PWD/$build/program/quenzor-cli
loop=$PWD/$build/tools/quenzor-bench-compose-patch
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export QUENZOR_PROGRAM_DIR=$PWD/$build/program
"$cli" new-project "$work/T" > /dev/null
seconds() { local s; s=$(date +%s.%N); "$@" > /dev/null; echo "$(date +%s.%N) - $s" | bc -l; }
printf '%6s %12s %12s %8s %14s\n' sites clone_s loop_s ratio clone_ms/site
for n in 250 500 1000; do
  { echo "name,TCP_IP4,TCP_PORT"; for i in $(seq 1 "$n"); do echo "site$i,$((i % 250 + 1)),502"; done; } > "$work/sites.csv"
  rm -rf "$work/out" && mkdir "$work/out"
  c=$(seconds "$cli" clone "$work/T" "$work/sites.csv" --into "$work/out" --update)
  l=$(seconds "$loop" "$work/T" "$QUENZOR_PROGRAM_DIR/MASTER/sx93051.sx" "$n")
  printf '%6d %12.3f %12.3f %8.2f %14.3f\n' "$n" "$c" "$l" "$(echo "$c / $l" | bc -l)" "$(echo "$c * 1000 / $n" | bc -l)"
done
