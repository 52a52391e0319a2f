#!/usr/bin/env bash
# Mutation testing of src/: a seeded sample of single mutations (relational or equality operator
# swapped, + and - swapped, a constant off by one, a condition negated, a statement removed), each
# built incrementally in build/mutants and run against the whole suite with a time limit.
# Usage: scripts/mutants.sh [--sample N] [--seed S] [--list] [--only PATH...]
# The libraries are built shared and executables are not relinked when only a library changed, so a
# mutant in a source file costs one compile, one library link and a run of the suite.
# A mutant is identified by file name, line text and mutation, not by line number, so the same seed
# picks the same mutants after unrelated edits or moves. The tree is restored after every mutant,
# also when interrupted. --list prints the sample without building; --only samples the files
# under the given paths (the files a change touched, say).
set -euo pipefail
cd "$(dirname "$0")/.."
exec python3 - "$@" <<'PY'
import argparse, hashlib, json, os, pathlib, re, signal, subprocess, sys, time

ap = argparse.ArgumentParser(prog="mutants.sh")
ap.add_argument("--sample", type=int, default=100)
ap.add_argument("--seed", default="1")
ap.add_argument("--list", action="store_true")
ap.add_argument("--only", nargs="*", default=[])
args = ap.parse_args()
build = pathlib.Path(os.environ.get("MUTANTS_BUILD", "build/mutants"))
jobs = os.environ.get("JOBS", str(os.cpu_count()))
pending = build / "restore.json"

SKIP = re.compile(r"^\s*($|//|\*|/\*|#|static_assert)")
LITERALS = re.compile(r'"(?:\\.|[^"\\])*"|\'(?:\\.|[^\'\\])*\'|//.*')
SWAPS = {" < ": " <= ", " <= ": " < ", " > ": " >= ", " >= ": " > ", " == ": " != ", " != ": " == ",
         " + ": " - ", " - ": " + ", " += ": " -= ", " -= ": " += "}
NUMBER = re.compile(r"(?<![\w.])(\d+)(?![\w.'])")
CONDITION = re.compile(r"\b(if|while) \(")
STATEMENT = re.compile(r"^\s*[A-Za-z_][\w:]*(\.|->|\(|\s*=[^=]|\s*[-+*/|&]=|\+\+|--|\[)")
STATEMENT_START = ("{", "}", ";", ":")


def code_mask(line):
    """Positions outside string and character literals and comments."""
    mask = [True] * len(line)
    for m in LITERALS.finditer(line):
        mask[m.start():m.end()] = [False] * (m.end() - m.start())
    return mask


def closing_paren(line, open_at):
    depth = 0
    for i in range(open_at, len(line)):
        depth += {"(": 1, ")": -1}.get(line[i], 0)
        if depth == 0:
            return i
    return -1


def mutations(line, previous):
    mask = code_mask(line)
    for old, new in SWAPS.items():
        for m in re.finditer(re.escape(old), line):
            if mask[m.start() + 1]:
                yield "swap " + old.strip(), line[:m.start()] + new + line[m.end():]
    for m in NUMBER.finditer(line):
        if mask[m.start()]:
            yield "constant+1", line[:m.start()] + str(int(m.group(1)) + 1) + line[m.end():]
    for m in CONDITION.finditer(line):
        close = closing_paren(line, m.end() - 1)
        if mask[m.start()] and close > 0:
            yield "negate " + m.group(1), (line[:m.end()] + "!(" + line[m.end():close] + ")" + line[close:])
    body = line.rstrip()
    if (STATEMENT.match(line) and body.endswith(";") and previous.endswith(STATEMENT_START)
            and body.count("(") == body.count(")") and not re.match(r"^\s*(return|case|default)\b", line)):
        yield "remove statement", line[:len(line) - len(line.lstrip())] + ";\n"


def candidates():
    for path in sorted(pathlib.Path("src").rglob("*")):
        if path.suffix not in (".cpp", ".h"):
            continue
        if args.only and not any(str(path).startswith(p.rstrip("/")) for p in args.only):
            continue
        seen, previous = {}, "{"
        for number, line in enumerate(path.read_text().splitlines(keepends=True), 1):
            if SKIP.match(line):
                continue
            seen[line.strip()] = seen.get(line.strip(), 0) + 1
            for kind, mutated in mutations(line, previous):
                ident = f"{path.name}|{line.strip()}|{seen[line.strip()]}|{kind}|{mutated.strip()}"
                key = hashlib.sha256(f"{args.seed}|{ident}".encode()).hexdigest()
                yield key, dict(file=str(path), line=number, kind=kind, original=line, mutated=mutated)
            previous = line.rstrip()


def describe(m):
    shown = m["original"] if m["kind"] == "remove statement" else m["mutated"]
    return f"{m['file']}:{m['line']}: {m['kind']}: {shown.strip()}"


def restore():
    if pending.exists():
        entry = json.loads(pending.read_text())
        pathlib.Path(entry["file"]).write_text(entry["text"])
        pending.unlink()


def run(cmd, limit):
    proc = subprocess.Popen(cmd, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, start_new_session=True)
    try:
        return proc.wait(timeout=limit)
    except subprocess.TimeoutExpired:
        os.killpg(proc.pid, signal.SIGKILL)
        proc.wait()
        return None
    except BaseException:
        os.killpg(proc.pid, signal.SIGKILL)
        proc.wait()
        raise


def suite(limit):
    return run(["ctest", "--test-dir", str(build), "-j", jobs, "--stop-on-failure", "--timeout", str(limit)], limit)


signal.signal(signal.SIGTERM, lambda *_: sys.exit(130))
restore()
sample = [m for _, m in sorted(candidates(), key=lambda c: c[0])[:args.sample]]
if args.list:
    for m in sample:
        print(describe(m))
    sys.exit(0)

subprocess.run(["cmake", "-S", ".", "-B", str(build), "-G", "Ninja", "-DCMAKE_BUILD_TYPE=Debug",
                "-DLUR_BUILD_BENCH=OFF", "-DBUILD_SHARED_LIBS=ON", "-DCMAKE_LINK_DEPENDS_NO_SHARED=ON"],
               check=True, stdout=subprocess.DEVNULL)
subprocess.run(["cmake", "--build", str(build), "-j", jobs], check=True, stdout=subprocess.DEVNULL)
start = time.monotonic()
if suite(3600) != 0:
    sys.exit("mutants.sh: the suite fails without mutants")
limit = int(3 * (time.monotonic() - start)) + 30
print(f"suite {time.monotonic() - start:.0f} s unmutated; limit {limit} s per mutant", flush=True)

counts = {"killed": 0, "survived": 0, "not compiling": 0}
try:
    for i, m in enumerate(sample, 1):
        path = pathlib.Path(m["file"])
        text = path.read_text()
        lines = text.splitlines(keepends=True)
        pending.write_text(json.dumps({"file": m["file"], "text": text}))
        lines[m["line"] - 1] = m["mutated"]
        path.write_text("".join(lines))
        try:
            if run(["cmake", "--build", str(build), "-j", jobs], 900) != 0:
                verdict = "not compiling"
            else:
                verdict = "survived" if suite(limit) == 0 else "killed"
        finally:
            restore()
        counts[verdict] += 1
        print(f"[{i}/{len(sample)}] {verdict:<13} {describe(m)}", flush=True)
finally:
    restore()
# Executables left built from a mutant are rebuilt from the restored tree.
subprocess.run(["cmake", "--build", str(build), "-j", jobs], stdout=subprocess.DEVNULL)
compiled = counts["killed"] + counts["survived"]
rate = 100 * counts["killed"] / compiled if compiled else 0
print(f"summary: killed {counts['killed']} / compiled {compiled} ({rate:.1f}%), survived {counts['survived']}, "
      f"not compiling {counts['not compiling']}, seed {args.seed}, sample {len(sample)}")
PY
