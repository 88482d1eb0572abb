#!/usr/bin/env bash
# Times `quenzor-cli patch` on a generated base firmware of about 20 MB, side by side in one
# run with srec_cat doing the same memory job (the base without the bank-1 window, plus the
# bank file at 0x388000) and with cp of the same file, and reports peak memory. A benchmark,
# not a test: it prints numbers and checks only that patch and srec_cat agree.
#
#   bash scripts/bench-patch.sh            # Release build in build-bench/
#   BUILD=build-rel RUNS=15 bash scripts/bench-patch.sh
set -euo pipefail
cd "$(dirname "$0")/.."

build=${BUILD:-build-bench}
runs=${RUNS:-9}
code_bytes=${CODE_BYTES:-8400000} # about 20 MB of S-record text

for tool in srec_cat srec_cmp /usr/bin/time cmake ninja cc; do
  command -v "$tool" > /dev/null || { echo "bench-patch: $tool is missing" >&2; exit 1; }
done

cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DQUENZOR_SANITIZE=OFF \
  -DQUENZOR_TESTS=OFF > /dev/null
cmake --build "$build" --target quenzor-cli quenzor-make-sample-firmware > /dev/null
cli=$PWD/$build/program/quenzor-cli
gen=$PWD/$build/tools/quenzor-make-sample-firmware

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"
mkdir -p project/bin
cat > project/pargen.xml <<'XML'
<General_Parameter><TCP_IP1>192</TCP_IP1><TCP_IP2>168</TCP_IP2><TCP_IP3>1</TCP_IP3><TCP_IP4>10</TCP_IP4><TCP_SUB1>255</TCP_SUB1><TCP_SUB2>255</TCP_SUB2><TCP_SUB3>255</TCP_SUB3><TCP_SUB4>0</TCP_SUB4><TCP_GAT1>192</TCP_GAT1><TCP_GAT2>168</TCP_GAT2><TCP_GAT3>1</TCP_GAT3><TCP_GAT4>1</TCP_GAT4><TCP_PORT>502</TCP_PORT><SNMP_PUBLIC>halvik</SNMP_PUBLIC><SNMP_PRIVATE>morsund</SNMP_PRIVATE><BAUD>6</BAUD><PARITY>0</PARITY><TIME_OUT>1000</TIME_OUT><OFFSET>0</OFFSET><MODE>1</MODE></General_Parameter>
XML
SOURCE_DATE_EPOCH=1796740527 "$cli" compose project > /dev/null
"$gen" base.sx --code-bytes "$code_bytes"
"$gen" small.sx
# For reference only: the same patch with fsync/fdatasync made no-ops, to show what the
# durable commit costs. The program itself always syncs before it renames.
printf '%s\n' '#include <unistd.h>' 'int fsync(int fd) { (void)fd; return 0; }' \
  'int fdatasync(int fd) { (void)fd; return 0; }' > nosync.c
cc -shared -fPIC -O2 nosync.c -o nosync.so

# run KEY NAME CMD...: one warm-up, then RUNS timed runs (wall time read by the shell itself,
# no helper process in the interval) and RUNS runs under /usr/bin/time for the peak resident
# set size. Prints the median in ms and the largest peak in KB.
run() {
  local key=$1 name=$2
  shift 2
  "$@" > /dev/null
  local times=() rss=0 start end r
  for _ in $(seq "$runs"); do
    start=${EPOCHREALTIME/[.,]/}
    "$@" > /dev/null
    end=${EPOCHREALTIME/[.,]/}
    times+=($((end - start)))
  done
  for _ in $(seq "$runs"); do
    /usr/bin/time -f %M -o rss.txt "$@" > /dev/null
    r=$(tail -1 rss.txt)
    ((r > rss)) && rss=$r
  done
  local median
  median=$(printf '%s\n' "${times[@]}" | sort -n | awk '{a[NR]=$1} END {print a[int((NR+1)/2)]}')
  printf '%-34s %10.1f %12d\n' "$name" "$(awk "BEGIN {print $median / 1000}")" "$rss"
  printf -v "ms_$key" %s "$median"
  printf -v "rss_$key" %s "$rss"
}

echo "input: base.sx, $(stat -c %s base.sx) bytes, $(wc -l < base.sx) lines; $runs runs each"
printf '%-34s %10s %12s\n' "command" "median ms" "peak RSS KB"
run patch "patch (quenzor-cli)" "$cli" patch base.sx project/bin out_patch.sx
run srec "srec_cat (same memory job)" srec_cat base.sx -exclude 0x388000 0x38C000 \
  project/bin/bank1.bin -binary -offset 0x388000 -o out_srec.sx -address-length=3 -obs=32
run cp "cp" cp base.sx out_cp.sx
run cpsync "cp + sync of the copy" sh -c 'cp base.sx out_cps.sx && sync out_cps.sx'
run nosync "patch, sync stubbed (reference)" env LD_PRELOAD="$work/nosync.so" \
  "$cli" patch base.sx project/bin out_nosync.sx
run small "patch on the 0.4 MB sample base" "$cli" patch small.sx project/bin out_small.sx
run start "quenzor-cli start-up (--help)" "$cli" patch --help

srec_cmp out_patch.sx out_srec.sx > /dev/null && echo "patch and srec_cat load the same memory"
cmp -s out_patch.sx out_nosync.sx && echo "the reference run wrote the same file"
awk -v p="$ms_patch" -v s="$ms_srec" -v c="$ms_cp" -v cs="$ms_cpsync" \
  -v r="$rss_patch" -v rs="$rss_small" -v st="$ms_start" -v ns="$ms_nosync" 'BEGIN {
  printf "patch / srec_cat = %.3f (goal at most 0.1)\n", p / s
  printf "patch / cp       = %.2f (goal at most 3)\n", p / c
  printf "patch / (cp + sync) = %.2f (the patch commits its file durably, then renames it)\n", p / cs
  printf "patch with its sync stubbed / cp = %.2f (what the durable commit costs: %.0f ms)\n", ns / c, (p - ns) / 1000
  printf "of the patch: start-up %.0f ms, the rest is reading twice, writing and committing\n", st / 1000
  printf "patch peak memory: %.1f MB on the 20 MB base, %.1f MB on the small one (goal under 32 MB)\n", r / 1024, rs / 1024
}'
