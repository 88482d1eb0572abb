#!/usr/bin/env bash
# The table editors' benchmark, every figure against its reference measured side by side in
# the same run: ordering 100 000 random keys against std::stable_sort of the same keys;
# `quenzor-cli table save` on full tables (2 x 1500 SDO rows, 2 x 5000 PDO rows) against a bare
# QDomDocument parse and write of the same file, process start included on both sides (also for
# 2 x 10 000 store PDO, EMCY and EMCY word entries); TFsdo shown with both grids full against a
# bare QTableView of the same size, and TFWemcy with 2 x 1000 words against a bare QTreeView
# over 34 000 items (offscreen). A benchmark, not a test: it prints numbers and ratios.
#
#   bash scripts/bench-tables.sh            # Release build in build-bench/
#   BUILD=build-rel RUNS=15 bash scripts/bench-tables.sh
set -euo pipefail
cd "$(dirname "$0")/.."

build=${BUILD:-build-bench}
runs=${RUNS:-11}

cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DQUENZOR_SANITIZE=OFF \
  -DQUENZOR_TESTS=OFF > /dev/null
cmake --build "$build" --target quenzor-cli quenzor-bench-dom quenzor-bench-tables > /dev/null
cli=$PWD/$build/program/quenzor-cli
dom=$PWD/$build/tools/quenzor-bench-dom
tables=$PWD/$build/tools/quenzor-bench-tables

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"
# For reference only: the save with fsync made a no-op, to show what the durable write costs.
# The program itself always syncs before it renames.
printf '%s\n' '#include <unistd.h>' 'int fsync(int fd) { (void)fd; return 0; }' \
  'int fdatasync(int fd) { (void)fd; return 0; }' > nosync.c
cc -shared -fPIC -O2 nosync.c -o nosync.so

# run KEY NAME CMD...: one warm-up, then RUNS timed runs, wall time read by the shell itself.
# Prints the median in ms and keeps it in ms_KEY.
run() {
  local key=$1 name=$2
  shift 2
  "$@" > /dev/null
  local times=() start end
  for _ in $(seq "$runs"); do
    start=${EPOCHREALTIME/[.,]/}
    "$@" > /dev/null
    end=${EPOCHREALTIME/[.,]/}
    times+=($((end - start)))
  done
  local median
  median=$(printf '%s\n' "${times[@]}" | sort -n | awk '{a[NR]=$1} END {print a[int((NR+1)/2)]}')
  printf -v "ms_$key" %s "$median"
  printf '%-46s %9.1f ms\n' "$name" "$(awk "BEGIN {print $median / 1000}")"
}
ratio() { awk "BEGIN {printf \"%.2fx\", $1 / $2}"; }

"$tables" order 100000 "$runs"
echo

for table in sdo:1500 rpdodef:5000 sdopdo:10000 emcydef:10000 emcyword:10000; do
  name=${table%%:*}
  rows=${table##*:}
  mkdir -p "$name"
  "$tables" table "$name" "$name" "$rows"
  echo "$name.xml: 2 x $rows rows, $(stat -c %s "$name/$name.xml") bytes; $runs runs each"
  run dom "  bare QDomDocument parse + write (reference)" "$dom" "$name/$name.xml" "$name/dom.xml"
  run save "  quenzor-cli table save $name" "$cli" table save "$name" "$name"
  run nosync "  the same, fsync stubbed (reference only)" env LD_PRELOAD="$work/nosync.so" \
    "$cli" table save "$name" "$name"
  echo "  ratio save / bare DOM: $(ratio "$ms_save" "$ms_dom")" \
    "(fsync stubbed: $(ratio "$ms_nosync" "$ms_dom"))"
  echo
done

# The offscreen platform warns about window hints it cannot pass on; nothing to see.
QT_QPA_PLATFORM=offscreen "$tables" show "$runs" 2> /dev/null
echo
QT_QPA_PLATFORM=offscreen "$tables" wemcy "$runs" 2> /dev/null
