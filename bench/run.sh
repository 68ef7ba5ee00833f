#!/usr/bin/env bash
# Kestrilo against its peers, side by side in one run, on a generated tree or
# on any folder.
#
#   bench/run.sh [--cold] [--seed N] [--runs N] [--tools LIST] [--shape SHAPE] [COUNT | FOLDER ...]
#
# COUNT is the number of files of the tree (default 100000; 20000, 100000 and
# 1000000 are the usual sizes); a FOLDER (/usr, say) is measured as it is.
# --cold drops the page cache before every run of every tool (as root), so
# that every file comes from the disk. --seed picks the tree (default 1), --runs the
# number of timed runs of each tool (default 5), --tools a comma-separated
# subset of: kestrilo,jdupes,fdupes,rmlint,rdfind,fclones,floor,find (default:
# all but rdfind; with --shape: kestrilo,jdupes,rdfind). --shape measures a
# collection of one special shape instead of the usual tree: samehead (COUNT
# 4 KiB files differing in their last 8 bytes), identical (COUNT identical
# 64 KiB files) or large (COUNT groups of three 200 MiB files, one of them
# differing in its last byte). Several COUNTs run one after the other, one
# table each.
#
# Builds kestrilo-cli and the bench tools (preset release), installs the peers
# from Debian when they are missing, generates the tree under bench/data/ when
# it is not there yet, reads it once to warm the page cache (unless --cold), runs every tool
# once untimed, then the timed runs round by round (one run of each tool per
# round), and prints a Markdown table of the median wall time, the ratio to
# kestrilo-cli, the peak resident memory, the median CPU time (user + system;
# for the floor rows it includes the untimed listing) and the median minor
# page faults per file of each tool.
set -euo pipefail

counts=()
seed=1
runs=5
tools=""
shape=""
options=()

cold=""
usage() { sed -n '2,19p' "$0" | sed 's/^# \{0,1\}//' >&2; exit 2; }
while [ $# -gt 0 ]; do
  case "$1" in
    --cold) cold=1; options+=("$1"); shift ;;
    --seed) seed="${2:?}"; options+=("$1" "$2"); shift 2 ;;
    --runs) runs="${2:?}"; options+=("$1" "$2"); shift 2 ;;
    --tools) tools="${2:?}"; options+=("$1" "$2"); shift 2 ;;
    --shape) shape="${2:?}"; options+=("$1" "$2"); shift 2 ;;
    -*) usage ;;
    *) counts+=("$1"); shift ;;
  esac
done
if [ ${#counts[@]} -gt 1 ]; then
  for count in "${counts[@]}"; do "$0" "${options[@]}" "$count"; done
  exit 0
fi
count="${counts[0]:-100000}"
folder=""
if [[ ! "$count" =~ ^[1-9][0-9]*$ ]]; then
  folder="$count"
  [ -d "$folder" ] && [ -z "$shape" ] || usage
fi
[[ "$seed" =~ ^[0-9]+$ && "$runs" =~ ^[1-9][0-9]*$ ]] || usage
[[ -z "$shape" || "$shape" =~ ^(samehead|identical|large)$ ]] || usage
if [ -n "$cold" ] && { [ "$(id -u)" -ne 0 ] || ! [ -w /proc/sys/vm/drop_caches ]; }; then
  echo "--cold drops the page cache before every run, which needs root and a writable" \
    "/proc/sys/vm/drop_caches; not measured." >&2
  exit 1
fi
if [ -z "$tools" ]; then
  tools="kestrilo,jdupes,fdupes,rmlint,fclones,floor,find"
  [ -n "$shape" ] && tools="kestrilo,jdupes,rdfind"
fi
wants() { [[ ",$tools," == *",$1,"* ]]; }

source "$(dirname "$0")/common.sh"

targets=(bench_gen_tree bench_gen_shape bench_floor)
wants kestrilo && targets+=(kestrilo-cli)
bench_build_targets "${targets[@]}"

peers=(time)
for t in jdupes fdupes rmlint rdfind; do wants "$t" && peers+=("$t"); done
bench_install "${peers[@]}"
notes=()
if wants fclones && ! command -v fclones >/dev/null; then
  notes+=("fclones is not packaged in Debian 12 and is not installed here; left out.")
  tools="${tools//fclones/}"
fi

if [ -n "$folder" ]; then
  tree="$(cd "$folder" && pwd)"
elif [ -n "$shape" ]; then
  tree="$(bench_shape "$shape" "$count")"
else
  tree="$(bench_tree "$count" "$seed")"
fi
cli="$bench_cli"
floor="$bench_floor"

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
# rmlint and fclones may write into the current folder; keep that out of the tree.
cd "$work"

if [ -z "$cold" ]; then
  echo "Warming the page cache ..." >&2
  find "$tree" -type f -print0 | xargs -0 -r cat >/dev/null 2>&1 || true
fi

# --- the contestants ---------------------------------------------------------
# name|label|command (eval'd; $tree is the tree). The floor rows report their own
# timing: the listing that precedes their loop is not part of the floor.
contestants=()
wants kestrilo && contestants+=("kestrilo|kestrilo-cli --report /dev/null|\"\$cli\" --report /dev/null \"\$tree\"")
# Another kestrilo-cli (an older commit's build, say), measured beside this one.
baseline="${KESTRILO_BENCH_BASELINE:-}"
[ -n "$baseline" ] && contestants+=("baseline|kestrilo-cli baseline ($baseline)|\"\$baseline\" --report /dev/null \"\$tree\"")
wants jdupes && contestants+=("jdupes|jdupes -r -q|jdupes -r -q \"\$tree\"")
wants fdupes && contestants+=("fdupes|fdupes -r -q|fdupes -r -q \"\$tree\"")
# rmlint takes a virtual disk for a rotating one and then syncs and maps the
# extents of every file before reading it; on a warm cache that only waits.
# Its output goes to a file here: rmlint replaces an output file by renaming a
# new one over it, which as root would turn /dev/null into a regular file.
wants rmlint && contestants+=("rmlint|rmlint -T df --without-fiemap|rmlint -T df --without-fiemap -o summary:rmlint-summary.txt \"\$tree\"")
# rdfind writes its list of results into the current folder; -dryrun keeps it
# from changing the tree.
wants rdfind && contestants+=("rdfind|rdfind -dryrun true|rdfind -dryrun true -outputname rdfind-results.txt \"\$tree\"")
wants fclones && contestants+=("fclones|fclones group|fclones group \"\$tree\"")
wants floor && contestants+=("floor2|floor: stat+open+read 2048+close, 2 threads|\"\$floor\" \"\$tree\" 2")
wants floor && contestants+=("floor32|floor: stat+open+read 2048+close, 32 threads|\"\$floor\" \"\$tree\" 32")
wants find && contestants+=("find|find -type f (listing only)|find \"\$tree\" -type f")

# One run: appends "seconds rss_kib cpu_seconds minor_faults" to $work/<name>.runs.
run_once() {
  local name="$1" command="$2" start end seconds usage status=0
  if [ -n "$cold" ]; then
    sync
    echo 3 >/proc/sys/vm/drop_caches
  fi
  start=$(date +%s%N)
  /usr/bin/time -f "%M %U %S %R" -o "$work/usage" bash -c "$command" >"$work/out" 2>"$work/err" || status=$?
  end=$(date +%s%N)
  if [ "$status" -ne 0 ]; then
    echo "$name failed with status $status:" >&2
    tail -n 5 "$work/err" >&2
    exit 1
  fi
  if [[ "$name" == floor* ]]; then
    seconds=$(awk '{ print $NF }' "$work/out")
  else
    seconds=$(awk -v ns=$((end - start)) 'BEGIN { printf "%.4f", ns / 1e9 }')
  fi
  usage=$(tail -n 1 "$work/usage" | awk '{ printf "%s %.2f %s", $1, $2 + $3, $4 }')
  echo "$seconds $usage" >>"$work/$name.runs"
}

export cli floor tree baseline
load_before=$(cut -d' ' -f1 /proc/loadavg)
echo "Untimed run of each tool ..." >&2
for c in "${contestants[@]}"; do
  IFS='|' read -r name label command <<<"$c"
  run_once "$name" "$command"
  rm -f "$work/$name.runs"
done
for ((r = 1; r <= runs; r++)); do
  echo "Round $r of $runs ..." >&2
  for c in "${contestants[@]}"; do
    IFS='|' read -r name label command <<<"$c"
    run_once "$name" "$command"
  done
done

median() { sort -g | awk '{ v[NR] = $1 } END { if (NR % 2) print v[(NR + 1) / 2]; else print (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }
files=$(find "$tree" -type f | wc -l)
declare -A med peak cpu faults
for c in "${contestants[@]}"; do
  IFS='|' read -r name label command <<<"$c"
  med[$name]=$(awk '{ print $1 }' "$work/$name.runs" | median)
  peak[$name]=$(awk '{ if ($2 > m) m = $2 } END { printf "%.1f", m / 1024 }' "$work/$name.runs")
  cpu[$name]=$(awk '{ print $3 }' "$work/$name.runs" | median)
  faults[$name]=$(awk -v n="$files" '{ printf "%.1f\n", $4 / n }' "$work/$name.runs" | median)
done

# --- the table ---------------------------------------------------------------
bytes=$(find "$tree" -type f -printf '%s\n' | awk '{ s += $1 } END { printf "%.0f", s / 1048576 }')
echo
treeLabel="$count-$seed"
[ -n "$shape" ] && treeLabel="$shape-$count"
[ -n "$folder" ] && treeLabel="$tree"
cache="warm page cache"
[ -n "$cold" ] && cache="cold page cache (dropped before every run)"
echo "Tree: $treeLabel ($files files, $bytes MiB), $cache, $(nproc) cores, median of $runs runs, $(date -u +%Y-%m-%d)," \
  "load average $load_before before and $(cut -d' ' -f1 /proc/loadavg) after the runs"
echo
echo "| tool | median s | ratio to kestrilo | peak MiB | median CPU s | minor faults per file |"
echo "|---|---:|---:|---:|---:|---:|"
base="${med[kestrilo]:-}"
for c in "${contestants[@]}"; do
  IFS='|' read -r name label command <<<"$c"
  ratio="-"
  [ -n "$base" ] && ratio=$(awk -v a="${med[$name]}" -v b="$base" 'BEGIN { printf "%.2f", a / b }')
  printf '| %s | %.3f | %s | %s | %s | %s |\n' "$label" "${med[$name]}" "$ratio" "${peak[$name]}" "${cpu[$name]}" "${faults[$name]}"
done
echo
if [ -n "$base" ]; then
  # The goals: warm at most 0.50 of jdupes' time and 1.50 of the two-thread
  # floor; cold at most 0.45 of jdupes' time (0.50 on large files), 1.30 of
  # the faster floor row and no more CPU time than jdupes.
  if [ -z "$shape" ] && [ -n "${med[jdupes]:-}" ]; then
    awk -v k="$base" -v j="${med[jdupes]}" -v km="${peak[kestrilo]}" -v jm="${peak[jdupes]}" \
      -v kc="${cpu[kestrilo]}" -v jc="${cpu[jdupes]}" -v goal="$([ -n "$cold" ] && echo 0.45 || echo 0.50)" 'BEGIN {
      printf "kestrilo-cli / jdupes: time %.2f (goal at most %s), peak memory %.2f, CPU time %.2f\n", k / j, goal, km / jm, kc / jc }'
  fi
  if [ -n "$shape" ]; then
    fastest=""
    for peer in jdupes rdfind; do
      [ -n "${med[$peer]:-}" ] || continue
      if [ -z "$fastest" ] || awk -v a="${med[$peer]}" -v b="${med[$fastest]}" 'BEGIN { exit !(a < b) }'; then fastest=$peer; fi
    done
    goal=0.80
    [ -n "$cold" ] && [ "$shape" = large ] && [ "$fastest" = jdupes ] && goal=0.50
    [ -n "$fastest" ] && awk -v k="$base" -v p="${med[$fastest]}" -v km="${peak[kestrilo]}" -v jm="${peak[jdupes]:-0}" -v f="$fastest" -v goal="$goal" 'BEGIN {
      printf "kestrilo-cli / %s (the faster peer): time %.2f (goal at most %s)", f, k / p, goal
      if (jm > 0) printf "; peak memory / jdupes %.2f (goal at most 2)", km / jm
      printf "\n" }'
  fi
  if [ -n "${med[floor2]:-}" ]; then
    if [ -n "$cold" ]; then
      faster="${med[floor2]}"
      [ -n "${med[floor32]:-}" ] && faster=$(awk -v a="$faster" -v b="${med[floor32]}" 'BEGIN { print (b < a ? b : a) }')
      awk -v k="$base" -v f="$faster" 'BEGIN { printf "kestrilo-cli / faster floor row: %.2f (goal at most 1.30)\n", k / f }'
    else
      awk -v k="$base" -v f="${med[floor2]}" 'BEGIN {
        printf "kestrilo-cli / two-thread floor: %.2f (goal at most 1.50)\n", k / f }'
    fi
  fi
fi
for n in "${notes[@]}"; do echo "$n"; done
