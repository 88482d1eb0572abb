#!/usr/bin/env bash
# Builds the .deb in build-deb/, installs it, runs the installed companion on a new project
# as a first start would (HOME in a temporary folder), and removes the package again.
# Needs root (dpkg).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
cmake -S . -B build-deb -G Ninja -DCMAKE_BUILD_TYPE=Release -DQUENZOR_TESTS=OFF > build-deb.log
cmake --build build-deb --parallel "$(nproc)"
(cd build-deb && cpack > cpack.log)
deb=$(ls build-deb/quenzor_*.deb)
echo "package: $deb"
dpkg-deb --info "$deb" | sed -n '/Package:/,/Description:/p'
apt-get install -y -qq "./$deb" > /dev/null
trap 'dpkg --remove quenzor > /dev/null' EXIT
home=$(mktemp -d)
HOME=$home quenzor-cli new-project "$home/.local/share/quenzor/PROJECTS/Demo"
HOME=$home quenzor-cli update "$home/.local/share/quenzor/PROJECTS/Demo" --port COM1 --wait | tail -1
test -f "$home/.local/share/quenzor/PROJECTS/Demo/New_sx93051.sx"
man -w quenzor-cli > /dev/null 2>&1 || test -f /usr/share/man/man1/quenzor-cli.1*
rm -rf "$home"
echo "the package installed, ran and is being removed"
