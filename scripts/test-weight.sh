#!/usr/bin/env bash
# Test weight: non-blank, non-comment C++ lines under tests/ and fuzz/ as a share of those of
# everything else tracked but bench/.
set -euo pipefail
cd "$(dirname "$0")/.."
git ls-files -z | python3 -c '
import re, sys
def lines(path):
    n, in_block = 0, False
    for line in open(path, encoding="utf-8", errors="replace"):
        if in_block:
            end = line.find("*/")
            if end < 0:
                continue
            line, in_block = line[end + 2:], False
        code = []
        for piece in re.split(r"(//.*|/\*.*?\*/|/\*.*|\"(?:\\.|[^\"\\])*\")", line):
            if piece.startswith("//"):
                continue
            if piece.startswith("/*"):
                in_block = not piece.endswith("*/") or len(piece) < 4
                continue
            code.append(piece)
        n += bool("".join(code).strip())
    return n
tests = code = 0
for path in sys.stdin.read().split("\0"):
    if not path.endswith((".cpp", ".h")) or path.startswith("bench/"):
        continue
    if path.startswith(("tests/", "fuzz/")):
        tests += lines(path)
    else:
        code += lines(path)
print(f"tests+fuzz {tests} lines, code {code} lines, test weight {100 * tests / code:.1f}%")
'
