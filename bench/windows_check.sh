#!/usr/bin/env bash
# Checks kestrilo-cli.exe under Wine against the Linux kestrilo-cli on one
# generated tree that lies on the Wine prefix's drive C:
#
#   bench/windows_check.sh [COUNT]      (default 20000 files, seed 1)
#
# - both find the same groups, compared as sets of sets of full paths;
# - the Windows report is code page 932 with CR LF line ends;
# - --delete-below and --delete-on-drive under Wine keep a file of every
#   group, remove no other file, and leave exactly what the Linux build
#   leaves on a copy of the tree (groups whose rows interleave in the grid
#   keep more than one file, on both);
# - a UNC path is refused by --delete-on-drive.
# Names that are no UTF-8 cannot exist on Windows: the generated tree's are
# renamed to Japanese, Greek and Cyrillic ones first. Needs the ci and
# windows builds of kestrilo-cli and bench_gen_tree. Prints OK per check;
# exit status 1 on the first that fails.
set -euo pipefail
cd "$(dirname "$0")/.."
count="${1:-20000}"

linux_cli=build/ci/src/cli/kestrilo-cli
windows_cli=build/windows/src/cli/kestrilo-cli.exe
gen=build/ci/bench/bench_gen_tree
export WINEDEBUG=-all WINEPREFIX="$PWD/build/windows/wine" WINEDLLOVERRIDES="mscoree,mshtml=" DISPLAY=
wine=/usr/lib/wine/wine64
[ -d "$WINEPREFIX/drive_c" ] || "$wine" wineboot -i >/dev/null 2>&1

base="$WINEPREFIX/drive_c/kestrilo-check"
rm -rf "$base"
mkdir -p "$base"
trap 'rm -rf "$base"' EXIT

"$gen" "$base/tree" "$count" 1 >/dev/null
# Deepest first, so that a renamed folder's entries are renamed before it.
find "$base/tree" -depth -name $'*\xff*' -print0 | while IFS= read -r -d '' path; do
  name="$(basename "$path")"
  mv "$path" "$(dirname "$path")/$(printf '%s' "$name" | LC_ALL=C sed $'s/\xff\xfe/\xe4\xb8\x8d\xe8\x89\xaf\xce\xa9/; s/\xff/\xd0\xb4/')"
done

run_windows() { "$wine" "$windows_cli" "$@"; }

"$linux_cli" --report "$base/linux.txt" "$base/tree" 2>/dev/null
run_windows --report 'C:\kestrilo-check\windows.txt' 'C:\kestrilo-check\tree' 2>/dev/null

python3 - "$base" <<'PY'
import sys
base = sys.argv[1]

def groups(lines, separator, to_linux):
    found = {}
    for line in lines:
        number, name, _size, folder = line.split(", ", 3)
        found.setdefault(number, set()).add(to_linux(folder + separator + name))
    return {frozenset(paths) for paths in found.values()}

linux = open(base + "/linux.txt", encoding="utf-8", errors="surrogateescape").read().split("\n")[:-1]
raw = open(base + "/windows.txt", "rb").read()
assert not raw.startswith(b"\xef\xbb\xbf"), "the Windows report is UTF-8, not code page 932"
text = raw.decode("cp932")
assert text.endswith("\r\n") and text.count("\n") == text.count("\r\n"), "line ends are not CR LF"
windows = text.split("\r\n")[:-1]
drive_c = base.rsplit("/kestrilo-check", 1)[0]
a = groups(linux, "/", lambda p: p)
b = groups(windows, "\\", lambda p: drive_c + p[2:].replace("\\", "/"))
if a != b:
    print("groups differ:", len(a - b), "only on Linux,", len(b - a), "only on Windows")
    sys.exit(1)
japanese = sum(1 for line in windows if any(ord(c) > 0x7f for c in line))
print(f"OK same groups: {len(a)} groups, {sum(map(len, a))} files, {japanese} lines with non-ASCII names;"
      f" Windows report is code page 932 with CR LF ({len(raw)} bytes)")
PY

# Every group found before a deletion keeps at least one file; files that
# stand in no group are all still there.
survivors() {
  python3 - "$base" "$1" <<'PY'
import os, sys
base, tree = sys.argv[1], sys.argv[2]
found = {}
for line in open(base + "/linux.txt", encoding="utf-8", errors="surrogateescape").read().split("\n")[:-1]:
    number, name, _size, folder = line.split(", ", 3)
    found.setdefault(number, []).append(tree + folder[len(base + "/tree"):] + "/" + name)
emptied = [n for n, paths in found.items() if not any(os.path.exists(p) for p in paths)]
grouped = {p for paths in found.values() for p in paths}
left = set()
for folder, _dirs, files in os.walk(tree):
    left.update(os.path.join(folder, f) for f in files)
missing = sum(1 for p in open(base + "/all.txt", encoding="utf-8", errors="surrogateescape").read().split("\n")[:-1]
              if p not in grouped and tree + p[len(base + "/tree"):] not in left)
print(f"{len(found)} groups, {len(left & grouped)} grouped files left,"
      f" {len(emptied)} groups emptied, {missing} other files missing")
sys.exit(1 if emptied or missing else 0)
PY
}

# The same pass of the Linux build on a copy leaves as many files of each
# group. Which file of a group stays may differ: Wine lists a folder sorted by
# name, Linux in its own order, so rows of one size in one folder can stand in
# another order in the grid.
same_as_linux() {
  rm -rf "$base/linux-tree"
  cp -a "$base/pristine" "$base/linux-tree"
  "$linux_cli" "$1" "$base/linux-tree" --yes --report /dev/null "$base/linux-tree" 2>/dev/null
  python3 - "$base" "$1" <<'PY'
import os, sys
base, option = sys.argv[1], sys.argv[2]
found = {}
for line in open(base + "/linux.txt", encoding="utf-8", errors="surrogateescape").read().split("\n")[:-1]:
    number, name, _size, folder = line.split(", ", 3)
    found.setdefault(number, []).append(folder[len(base + "/tree"):] + "/" + name)
def counts(tree):
    return {n: sum(os.path.exists(tree + p) for p in paths) for n, paths in found.items()}
windows, linux = counts(base + "/tree"), counts(base + "/linux-tree")
differ = [n for n in found if windows[n] != linux[n]]
if differ:
    print(f"{option} under Wine leaves another number of files than the Linux build in {len(differ)} groups")
    sys.exit(1)
print(f"OK {option} under Wine leaves as many files of every group as the Linux build ({sum(linux.values())})")
PY
}

find "$base/tree" -type f > "$base/all.txt"
before="$(wc -l <"$base/all.txt")"
cp -a "$base/tree" "$base/pristine"

run_windows --delete-below 'C:\kestrilo-check\tree' --yes --report NUL 'C:\kestrilo-check\tree' 2>"$base/below.err"
echo "delete-below: $(survivors "$base/tree") ($(tail -n 1 "$base/below.err"))"
same_as_linux --delete-below

rm -rf "$base/tree"
cp -a "$base/pristine" "$base/tree"
run_windows --delete-on-drive 'C:\kestrilo-check\tree' --yes --report NUL 'C:\kestrilo-check\tree' 2>"$base/drive.err"
echo "delete-on-drive: $(survivors "$base/tree") ($(tail -n 1 "$base/drive.err"))"
same_as_linux --delete-on-drive

rm -rf "$base/tree"
cp -a "$base/pristine" "$base/tree"
status=0
run_windows --delete-on-drive '\\server\share\data' --yes --report NUL 'C:\kestrilo-check\tree' 2>"$base/unc.err" || status=$?
if [ "$status" -eq 1 ] && grep -q 'ネットワークドライブ等は指定できません。' "$base/unc.err" &&
   [ "$(find "$base/tree" -type f | wc -l)" -eq "$before" ]; then
  echo "OK a UNC path is refused: $(tail -n 1 "$base/unc.err"), exit status 1, nothing deleted"
else
  echo "a UNC path was not refused (exit status $status)"; exit 1
fi
