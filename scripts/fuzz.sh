#!/usr/bin/env bash
# Builds the libFuzzer targets and runs each for SECONDS (default 30) on its seed corpus.
# Usage: scripts/fuzz.sh [SECONDS] [TARGET...]   Findings are written to build/fuzz/findings/.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh
seconds=${1:-30}
shift || true
cmake --preset fuzz >/dev/null
cmake --build --preset fuzz -j "$(nproc)" >&2
targets=("$@")
if ((${#targets[@]} == 0)); then
  mapfile -t targets < <(find build/fuzz/fuzz -maxdepth 1 -type f -name 'fuzz_*' -executable -printf '%f\n' | sort)
fi
mkdir -p build/fuzz/findings
status=0
for target in "${targets[@]}"; do
  corpus=build/fuzz/corpus/$target
  mkdir -p "$corpus"
  seeds=fuzz/corpus/${target#fuzz_}
  echo "== $target for ${seconds}s" >&2
  if ! "build/fuzz/fuzz/$target" -max_total_time="$seconds" -print_final_stats=1 \
       -artifact_prefix=build/fuzz/findings/"$target"- "$corpus" ${seeds:+$(ls -d "$seeds" 2>/dev/null)} \
       2> "build/fuzz/$target.log"; then
    status=1
    tail -n 30 "build/fuzz/$target.log" >&2
  fi
  grep -E '^stat::number_of_executed_units' "build/fuzz/$target.log" | sed "s/^/$target /" >&2
done
exit $status
