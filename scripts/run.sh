#!/usr/bin/env bash
# Installs what is missing, builds, and runs LurControl. Arguments go to the program.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh
cmake --preset default >/dev/null
cmake --build --preset default -j "$(nproc)" --target lurctl >&2
lurctl=build/default/app/lurctl/lurctl
if [ $# -gt 0 ]; then
  exec "$lurctl" "$@"
fi
# Without arguments: a survey on the simulated instrument, described and drawn.
demo=${TMPDIR:-/tmp}/lurcontrol-demo
mkdir -p "$demo"
"$lurctl" survey --simulate --type map --x 20 --y 10 --out "$demo/demo.lur"
"$lurctl" session info "$demo/demo.lur"
"$lurctl" render "$demo/demo.lur" --graph map --width 800 --height 500 --out "$demo/demo.map.png"
"$lurctl" render "$demo/demo.lur" --graph section --profile 5 --width 800 --height 300 --out "$demo/demo.section.png"
echo "pictures: $demo/demo.map.png $demo/demo.section.png"
