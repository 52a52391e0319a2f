#!/usr/bin/env bash
# Installs what is missing, builds, and runs the whole suite twice: optimised, then under
# AddressSanitizer + UBSan; then the tests where threads meet under ThreadSanitizer; then
# every fuzz target for FUZZ_SECONDS (default 30) each. Any failure, a sanitizer's report or
# a fuzzing finding included, fails the script.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh
jobs=$(nproc)
for preset in default asan tsan; do
  echo "== $preset build" >&2
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset" -j "$jobs"
  ctest --preset "$preset" -j "$jobs"
done
echo "== fuzz" >&2
scripts/fuzz.sh "${FUZZ_SECONDS:-30}"
