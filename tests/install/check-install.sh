#!/usr/bin/env bash
# Installs the build into a temporary prefix and runs the installed companion as a user would
# on a first start: MASTER, PROJECTS and the new firmware must land in the user's data folder
# and nothing may be written into the prefix.
set -euo pipefail
build=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
prefix=$work/prefix
cmake --install "$build" --prefix "$prefix" > "$work/install.log"

for f in bin/quenzor bin/quenzor-cli lib*/quenzor/VidodIzuze.exe share/quenzor/help2.dat \
         share/quenzor/MASTER/sx93051.sx share/applications/com.velmara.FirmwareQuenzor.desktop \
         share/metainfo/com.velmara.FirmwareQuenzor.metainfo.xml \
         share/icons/hicolor/scalable/apps/com.velmara.FirmwareQuenzor.svg \
         share/man/man1/quenzor.1 share/man/man1/quenzor-cli.1; do
  compgen -G "$prefix/$f" > /dev/null || { echo "not installed: $f"; exit 1; }
done

before=$(cd "$prefix" && find . -printf '%p %s %T@\n' | sort)
export HOME=$work/home
unset XDG_DATA_HOME QUENZOR_PROGRAM_DIR QUENZOR_FLASHER_LOG
mkdir -p "$HOME"
data=$HOME/.local/share/quenzor
export SOURCE_DATE_EPOCH=1796740527 TZ=UTC0
"$prefix/bin/quenzor-cli" new-project "$data/PROJECTS/Demo"
"$prefix/bin/quenzor-cli" update "$data/PROJECTS/Demo" --port COM1 --wait
after=$(cd "$prefix" && find . -printf '%p %s %T@\n' | sort)

[ -f "$data/MASTER/sx93051.sx" ] || { echo "MASTER not seeded in $data"; exit 1; }
cmp "$data/MASTER/sx93051.sx" "$prefix/share/quenzor/MASTER/sx93051.sx"
[ -f "$data/PROJECTS/Demo/New_sx93051.sx" ] || { echo "no new firmware in $data"; exit 1; }
[ -f "$data/MASTER/VidodIzuze.log" ] || { echo "no flasher report in $data/MASTER"; exit 1; }
[ "$before" = "$after" ] || { echo "the prefix changed:"; diff <(echo "$before") <(echo "$after"); exit 1; }
echo "installed program kept every file in $data"
