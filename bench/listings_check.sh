#!/usr/bin/env bash
# Checks kestrilo-cli's listings for scripts against fdupes: the groups of
# `fdupes -r -n` and of kestrilo-cli --format fdupes, each read by the same
# reader of blank-line-separated groups of paths, and the groups of
# kestrilo-cli --format json (checked by python3 -m json.tool, its paths turned
# back into bytes), compared as sets of sets.
#
#   bench/listings_check.sh [--seed N] [COUNT]
#
# COUNT (default 10000) and --seed (default 1) name a generated tree under
# bench/data/, made when missing. -n leaves out empty files, which kestrilo
# never registers. Prints OK and the counts, or the groups that differ; exit
# status 1 then.
set -euo pipefail

count=10000
seed=1
usage() { sed -n '2,12p' "$0" | sed 's/^# \{0,1\}//' >&2; exit 2; }
while [ $# -gt 0 ]; do
  case "$1" in
    --seed) seed="${2:?}"; shift 2 ;;
    *) [[ "$1" =~ ^[1-9][0-9]*$ ]] || usage; count="$1"; shift ;;
  esac
done

source "$(dirname "$0")/common.sh"
bench_build_targets kestrilo-cli bench_gen_tree
tree="$(bench_tree "$count" "$seed")"
bench_install fdupes

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
"$bench_cli" --format fdupes "$tree" >"$work/kestrilo.txt" 2>/dev/null
"$bench_cli" --format json "$tree" 2>/dev/null | python3 -m json.tool >"$work/kestrilo.json"
fdupes -r -n -q "$tree" >"$work/fdupes.txt"

python3 - "$work/kestrilo.txt" "$work/kestrilo.json" "$work/fdupes.txt" <<'PY'
import json, os, sys

def groups(listing):
    # fdupes' form: one path per line, a blank line after each group.
    found = set()
    for block in open(listing, "rb").read().split(b"\n\n"):
        paths = frozenset(filter(None, block.split(b"\n")))
        if paths:
            found.add(paths)
    return found

def json_groups(document):
    # Names that are not UTF-8 come back to their bytes by surrogateescape.
    d = json.load(open(document, encoding="utf-8"))
    return {frozenset(os.fsencode(p) for p in g["paths"]) for g in d["groups"]}

k, j, f = groups(sys.argv[1]), json_groups(sys.argv[2]), groups(sys.argv[3])
if k == f and j == f:
    odd = sum(1 for g in f for p in g if not p.decode("utf-8", "ignore").encode() == p)
    print("OK: %d groups, %d files (%d of their paths not UTF-8), the same in kestrilo-cli --format fdupes,"
          " kestrilo-cli --format json and fdupes -r -n" % (len(f), sum(map(len, f)), odd))
    sys.exit(0)
print("DIFFERENT: kestrilo-cli %d groups (json %d), fdupes %d groups" % (len(k), len(j), len(f)))
for title, only in (("only in kestrilo-cli", k - f), ("only in kestrilo-cli json", j - f), ("only in fdupes", f - k)):
    print("%s: %d" % (title, len(only)))
    for g in sorted(sorted(g) for g in only)[:10]:
        print("  " + " | ".join(p.decode("utf-8", "backslashreplace") for p in g))
sys.exit(1)
PY
