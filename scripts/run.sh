#!/usr/bin/env bash
# Installs what is missing, builds the program folder in build/, and runs the main job on the
# demo project: the window when a display is there, otherwise the headless Update Device.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQUENZOR_TESTS=OFF > build.log
cmake --build build --parallel "$(nproc)"

program=build/program
demo=$program/PROJECTS/Demo
if [ ! -d "$demo" ]; then
  "$program/quenzor-cli" new-project "$demo"
fi
if [ ! -f "$program/Quenzor.ini" ]; then
  printf '[lastproj]\nprojectname=Demo\n' > "$program/Quenzor.ini"
fi

if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
  exec "$program/quenzor"
fi
echo "No display: running the headless Update Device on the demo project ($demo)."
exec "$program/quenzor-cli" update "$demo" --port COM1 --wait
