#!/usr/bin/env bash
# Runs one libFuzzer target on its seed corpus for a given time:
#   scripts/fuzz.sh TARGET SECONDS     e.g. scripts/fuzz.sh fuzz_patcher 60
#   scripts/fuzz.sh --list             names the targets
#   scripts/fuzz.sh --all SECONDS      runs every target in turn
# Builds with clang, AddressSanitizer and UBSan in build-fuzz/. New inputs found go to
# build-fuzz/corpus/TARGET, never into the seeds kept in the repo; a crash leaves its input
# in build-fuzz/ and the run fails.
set -euo pipefail
cd "$(dirname "$0")/.."
targets="$(sed -n 's/^quenzor_fuzz(\([a-z_]*\).*/\1/p' fuzz/CMakeLists.txt)
$(sed -n 's/^foreach(format IN ITEMS \(.*\))/\1/p' fuzz/CMakeLists.txt | tr ' ' '\n' | sed 's/^/fuzz_/')
$(sed -n 's/^foreach(table IN ITEMS \(.*\))/\1/p' fuzz/CMakeLists.txt | tr ' ' '\n' | sed 's/^/fuzz_table_/')"
if [ "${1:-}" = "--list" ]; then
  echo "$targets"
  exit 0
fi
if [ $# -ne 2 ]; then
  echo "usage: scripts/fuzz.sh TARGET SECONDS | --all SECONDS | --list" >&2
  exit 2
fi
bash scripts/install-deps.sh
if [ ! -f build-fuzz/CMakeCache.txt ]; then
  CC=clang CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DQUENZOR_FUZZ=ON -DQUENZOR_TESTS=OFF > build-fuzz.log
fi
run_one() {
  local target=$1 seconds=$2
  cmake --build build-fuzz --target "$target" > /dev/null
  mkdir -p "build-fuzz/corpus/$target"
  local seeds=fuzz/corpus/$target
  [ -d "$seeds" ] || seeds=
  echo "== $target, $seconds s"
  local status=0
  (cd build-fuzz && ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=halt_on_error=1 \
    "./fuzz/$target" -max_total_time="$seconds" -max_len=65536 -timeout=10 \
      -print_final_stats=1 "corpus/$target" ${seeds:+"../$seeds"} > "$target.log" 2>&1) || status=$?
  grep -E "^(stat::number_of_executed_units|stat::peak_rss|==[0-9]+==|SUMMARY|invariant|artifact_prefix)" \
    "build-fuzz/$target.log" || true
  if [ "$status" -ne 0 ]; then
    echo "$target FAILED (status $status); its log is build-fuzz/$target.log"
    failed=1
  fi
}
failed=0
if [ "$1" = "--all" ]; then
  for t in $targets; do run_one "$t" "$2"; done
else
  echo "$targets" | grep -qx "$1" || { echo "no fuzz target $1 (see --list)" >&2; exit 2; }
  run_one "$1" "$2"
fi
exit "$failed"
