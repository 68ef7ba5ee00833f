# Shared by bench/run.sh and bench/crosscheck.sh: building, installing the
# peers and generating trees. Sourced, not run.

bench_root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
# KESTRILO_BENCH_BUILD names another build folder (configured with defaults
# when new); otherwise the release preset's is used.
bench_build="${KESTRILO_BENCH_BUILD:-$bench_root/build/release}"
bench_cli="$bench_build/src/cli/kestrilo-cli"
bench_gen="$bench_build/bench/bench_gen_tree"
bench_floor="$bench_build/bench/bench_floor"
bench_gen_shape="$bench_build/bench/bench_gen_shape"

bench_sudo=()
[ "$(id -u)" -ne 0 ] && bench_sudo=(sudo)

# Builds the given targets with the release preset (installing the build's
# own packages first when they are missing).
bench_build_targets() {
  bash "$bench_root/scripts/setup.sh" >&2
  local log
  log="$(mktemp)"
  local configure=(cmake -S "$bench_root" --preset release)
  if [ -n "${KESTRILO_BENCH_BUILD:-}" ]; then
    configure=(true)
    [ -f "$bench_build/CMakeCache.txt" ] ||
      configure=(cmake -S "$bench_root" -B "$bench_build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo)
  fi
  if ! { "${configure[@]}" && cmake --build "$bench_build" -j "$(nproc)" --target "$@"; } >"$log" 2>&1; then
    tail -n 40 "$log" >&2
    rm -f "$log"
    echo "The build failed." >&2
    return 1
  fi
  rm -f "$log"
}

# Installs the given Debian packages that are not installed yet.
bench_install() {
  local missing=() p
  for p in "$@"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  echo "Installing: ${missing[*]}" >&2
  export DEBIAN_FRONTEND=noninteractive
  "${bench_sudo[@]}" apt-get update -qq
  "${bench_sudo[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
}

# Prints the folder of the tree of COUNT files and SEED, generating it first
# when it is not there. A half-written tree is never taken for a whole one.
bench_tree() {
  local count="$1" seed="$2" tree="$bench_root/bench/data/$1-$2"
  if [ ! -d "$tree" ]; then
    mkdir -p "$bench_root/bench/data"
    rm -rf "$tree.partial"
    echo "Generating $tree ..." >&2
    "$bench_gen" "$tree.partial" "$count" "$seed" >&2
    mv "$tree.partial" "$tree"
  fi
  echo "$tree"
}

# Prints the folder of the collection of SHAPE (samehead, identical, large) and
# COUNT, generating it first when it is not there.
bench_shape() {
  local shape="$1" count="$2" tree="$bench_root/bench/data/$1-$2"
  if [ ! -d "$tree" ]; then
    mkdir -p "$bench_root/bench/data"
    rm -rf "$tree.partial"
    echo "Generating $tree ..." >&2
    "$bench_gen_shape" "$shape" "$tree.partial" "$count" >&2
    mv "$tree.partial" "$tree"
  fi
  echo "$tree"
}
