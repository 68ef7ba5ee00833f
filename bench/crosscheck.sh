#!/usr/bin/env bash
# Checks that kestrilo-cli finds exactly the groups of identical files that
# jdupes finds in the same tree, compared as sets of sets of full paths.
#
#   bench/crosscheck.sh [--seed N] [COUNT | FOLDER]
#
# COUNT (default 100000) and --seed (default 1) name a generated tree under
# bench/data/, made when missing; a FOLDER is checked as it is. Files that
# kestrilo never registers are left out of jdupes' groups: empty files,
# files of 4 GiB or more, symbolic links, and all but one path of a file with
# several hard links. Files are compared by identity (device and inode), as
# each tool may name a hard-linked file by a different one of its paths.
# Prints OK and the counts, or the groups that differ; exit status 1 then.
set -euo pipefail

count=100000
seed=1
folder=""
usage() { sed -n '2,12p' "$0" | sed 's/^# \{0,1\}//' >&2; exit 2; }
while [ $# -gt 0 ]; do
  case "$1" in
    --seed) seed="${2:?}"; shift 2 ;;
    -*) usage ;;
    *) if [[ "$1" =~ ^[1-9][0-9]*$ ]]; then count="$1"; else folder="$1"; fi; shift ;;
  esac
done

source "$(dirname "$0")/common.sh"
if [ -n "$folder" ]; then
  bench_build_targets kestrilo-cli
  tree="$(cd "$folder" && pwd)"
else
  bench_build_targets kestrilo-cli bench_gen_tree
  tree="$(bench_tree "$count" "$seed")"
fi
bench_install jdupes

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

"$bench_cli" --report "$work/kestrilo.txt" "$tree" 2>"$work/kestrilo.err" || {
  echo "kestrilo-cli failed with status $?:" >&2
  tail -n 5 "$work/kestrilo.err" >&2
  exit 1
}
jdupes -r -q -0 "$tree" >"$work/jdupes.txt"

python3 - "$work/kestrilo.txt" "$work/jdupes.txt" <<'EOF'
import os, re, stat, sys
from collections import defaultdict

names = {}

def identity(path):
    st = os.lstat(path)
    names.setdefault((st.st_dev, st.st_ino), path)
    return (st.st_dev, st.st_ino), st

def kestrilo_groups(report):
    # "group, name, size, folder": a name or folder may itself hold ", ", so
    # take the split whose path exists.
    groups = defaultdict(set)
    for line in open(report, "rb").read().split(b"\n"):
        if not line:
            continue
        number, rest = line.split(b", ", 1)
        for m in re.finditer(rb", (\d+), ", rest):
            name, folder = rest[:m.start()], rest[m.end():]
            path = folder + b"/" + name
            if os.path.lexists(path):
                file = identity(path)[0]
                if file in groups[number]:
                    sys.exit("group %s holds one file twice: %r" % (number.decode(), path))
                groups[number].add(file)
                break
        else:
            sys.exit("unreadable report line: %r" % line)
    return {frozenset(g) for g in groups.values()}

def jdupes_groups(listing):
    # -0: every path ends with a NUL byte, every group with one more.
    groups = set()
    for chunk in open(listing, "rb").read().split(b"\0\0"):
        members = set()
        for path in filter(None, chunk.split(b"\0")):
            file, st = identity(path)
            if not stat.S_ISREG(st.st_mode) or st.st_size == 0 or st.st_size >= 1 << 32:
                continue
            members.add(file)
        if len(members) >= 2:
            groups.add(frozenset(members))
    return groups

k = kestrilo_groups(sys.argv[1])
j = jdupes_groups(sys.argv[2])
if k == j:
    print("OK: %d groups, %d files, the same in kestrilo-cli and jdupes" % (len(k), sum(map(len, k))))
    sys.exit(0)

def show(title, groups):
    print("%s: %d" % (title, len(groups)))
    for g in sorted(sorted(names[f] for f in g) for g in groups)[:10]:
        print("  " + " | ".join(p.decode("utf-8", "backslashreplace") for p in g))

print("DIFFERENT: kestrilo-cli %d groups, jdupes %d groups" % (len(k), len(j)))
show("only in kestrilo-cli", k - j)
show("only in jdupes", j - k)
sys.exit(1)
EOF
