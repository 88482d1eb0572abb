#!/usr/bin/env bash
# Start-up cost, side by side in one run (hyperfine, offscreen):
#   the window with every dialog built, shown and painted once  vs  a bare Qt Widgets window
#   quenzor-cli compose on a project                             vs  quenzor-cli --help
# Prints the two ratios; goals are at most 1.5 for both.
#   bash scripts/bench-startup.sh          # Release build in build-bench/
set -euo pipefail
cd "$(dirname "$0")/.."
build=${BUILD:-build-bench}
runs=${RUNS:-30}
command -v hyperfine > /dev/null || { echo "bench-startup: hyperfine is missing (apt-get install hyperfine)" >&2; exit 1; }
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DQUENZOR_SANITIZE=OFF \
  -DQUENZOR_TESTS=OFF > /dev/null
cmake --build "$build" --target quenzor-cli quenzor-bench-startup sample_firmware > /dev/null
bench=$PWD/$build/tools/quenzor-bench-startup
cli=$PWD/$build/program/quenzor-cli
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export QT_QPA_PLATFORM=offscreen QUENZOR_PROGRAM_DIR=$work SOURCE_DATE_EPOCH=1796740527
mkdir -p "$work/MASTER" "$work/PROJECTS"
"$cli" new-project "$work/PROJECTS/Demo" > /dev/null
printf '[lastproj]\r\nprojectname=Demo\r\n' > "$work/Quenzor.ini"

ratio() { # mean of the first command over the mean of the second, from hyperfine's JSON
  python3 -c 'import json,sys; r=json.load(open(sys.argv[1]))["results"]; print("%.2f" % (r[0]["mean"]/r[1]["mean"]))' "$1"
}
hyperfine -N -w 3 -r "$runs" --export-json "$work/gui.json" -n window "$bench" -n bare "$bench --bare"
hyperfine -N -w 3 -r "$runs" --export-json "$work/cli.json" \
  -n compose "$cli compose $work/PROJECTS/Demo" -n help "$cli --help"
echo "window / bare window: $(ratio "$work/gui.json")  (goal <= 1.5)"
echo "compose / --help:     $(ratio "$work/cli.json")  (goal <= 1.5)"
