#!/usr/bin/env bash
# Regenerates docs/screenshots/: every page at 240x320 and 1280x800, grabbed offscreen.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh
cmake --preset default >/dev/null
cmake --build --preset default -j "$(nproc)" --target lurcontrol_screenshots >&2
rm -f docs/screenshots/*.png
build/default/app/screenshots/lurcontrol_screenshots docs/screenshots
