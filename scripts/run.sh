#!/usr/bin/env bash
# Installs what is missing, builds, and runs LurControl. Arguments go to the program.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh
cmake --preset default >/dev/null
cmake --build --preset default -j "$(nproc)" --target lurctl >&2
if [ $# -eq 0 ]; then
  set -- calibration show 9
fi
exec build/default/app/lurctl/lurctl "$@"
