#!/usr/bin/env bash
# Line and branch coverage of src/ by the whole suite: gcc --coverage in build/coverage, reported
# by gcovr (installed from Debian when missing) as one table per source folder.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh
if ! command -v gcovr >/dev/null; then
  sudo=""
  [ "$(id -u)" -eq 0 ] || sudo="sudo"
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends gcovr >&2
fi
build=build/coverage
jobs=${JOBS:-$(nproc)}
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_FLAGS=--coverage \
      -DCMAKE_EXE_LINKER_FLAGS=--coverage -DLUR_BUILD_BENCH=OFF >/dev/null
cmake --build "$build" -j "$jobs" >&2
find "$build" -name '*.gcda' -delete
status=0
ctest --test-dir "$build" -j "$jobs" --output-on-failure >&2 || status=$?
gcovr --root . --object-directory "$build" --filter 'src/' -j "$jobs" \
      --exclude-throw-branches --exclude-unreachable-branches --json-summary "$build/summary.json" >/dev/null
python3 - "$build/summary.json" <<'PY'
import collections, json, sys
rows = collections.defaultdict(lambda: [0, 0, 0, 0])
for f in json.load(open(sys.argv[1]))["files"]:
    row = rows["/".join(f["filename"].split("/")[:2])]
    for i, key in enumerate(("line_covered", "line_total", "branch_covered", "branch_total")):
        row[i] += f[key]
rows = dict(sorted(rows.items()))
rows["total"] = [sum(r[i] for r in rows.values()) for i in range(4)]
pct = lambda a, b: f"{100 * a / b:6.1f}%" if b else "      -"
print(f"{'folder':<18}{'lines':>15}{'':>8}{'branches':>15}")
for name, (lc, lt, bc, bt) in rows.items():
    print(f"{name:<18}{lc:>7}/{lt:<7}{pct(lc, lt)}{bc:>7}/{bt:<7}{pct(bc, bt)}")
PY
exit $status
