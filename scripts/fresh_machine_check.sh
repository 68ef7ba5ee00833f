#!/usr/bin/env bash
# Runs CI (.ci/run) as it runs on a fresh Debian 12 machine: in a new minimal
# Debian 12 system (debootstrap --variant=minbase bookworm) in a chroot, on a
# clone of the repository in /root/kestrilo, as root, with nothing in the
# environment but HOME, PATH and CI. It takes the packages from the Debian
# mirror this machine's apt uses. The chroot gets /proc, /sys, /dev,
# /dev/pts and /dev/shm, which are unmounted again however the run ends.
# Takes as long as a full CI run and the installation of every package.
#
# Usage: scripts/fresh_machine_check.sh [--repository FOLDER] [--commit REV]
#                                       [--chroot FOLDER] [--keep]
#   --repository  the repository to clone (default: the checkout this script
#                 lies in); only committed work is cloned
#   --commit      what to check out (default HEAD of that repository)
#   --chroot      where the new system goes (default a new folder under
#                 /var/tmp); it must not exist yet or be empty
#   --keep        leave the system there afterwards (it is removed otherwise)
# Needs root, debootstrap and git.
set -euo pipefail
repository=$(cd "$(dirname "$0")/.." && pwd)
commit=HEAD
root=
keep=0
while [ $# -gt 0 ]; do
  case $1 in
    --repository) repository=$2; shift 2 ;;
    --commit) commit=$2; shift 2 ;;
    --chroot) root=$2; shift 2 ;;
    --keep) keep=1; shift ;;
    *) sed -n 's/^# \{0,1\}//; /^Usage:/,/^Needs/p' "$0" >&2; exit 2 ;;
  esac
done
[ "$(id -u)" -eq 0 ] || { echo "fresh_machine_check.sh: needs root (debootstrap, mount, chroot)" >&2; exit 2; }
for program in debootstrap git; do
  command -v "$program" >/dev/null || { echo "fresh_machine_check.sh: $program is missing" >&2; exit 2; }
done
revision=$(git -C "$repository" rev-parse --verify "$commit^{commit}")

# The Debian mirror and the security archive this machine's apt uses: from
# the deb822 files of sources.list.d or from the one-line sources.list.
uris=$({
  sed -n 's/^URIs: *//p' /etc/apt/sources.list.d/*.sources
  sed -n 's/^deb \(\[[^]]*\] \)\{0,1\}\([^ ]*\) .*/\2/p' /etc/apt/sources.list
} 2>/dev/null | tr ' ' '\n' || true)
mirror=$(grep -m1 '/debian/\{0,1\}$' <<<"$uris" || echo http://deb.debian.org/debian)
security=$(grep -m1 '/debian-security/\{0,1\}$' <<<"$uris" || true)

if [ -z "$root" ]; then
  root=$(mktemp -d /var/tmp/kestrilo-fresh-machine.XXXXXX)
else
  mkdir -p "$root"
  [ -z "$(ls -A "$root")" ] || { echo "fresh_machine_check.sh: $root is not empty" >&2; exit 2; }
fi
root=$(cd "$root" && pwd)
# The system's / as on any machine: other users may enter it.
chmod 755 "$root"

# Long steps run in the background, in a process group of their own, so that
# a signal reaches the cleanup at once and the cleanup can end all of them.
child=
run() {
  setsid "$@" &
  child=$!
  wait "$child"
  child=
}
# The processes of the current step, and whatever runs inside the system
# (some leave the step's group, such as a Wine server): they write into the
# system and keep its mounts busy.
stop_processes() {
  local group=() inside=() pids
  for _ in $(seq 50); do
    [ -n "$child" ] && mapfile -t group < <(pgrep -g "$child")
    mapfile -t inside < <(find /proc -mindepth 2 -maxdepth 2 -name root -lname "$root" 2>/dev/null | cut -d/ -f3)
    pids=("${group[@]}" "${inside[@]}")
    [ ${#pids[@]} -eq 0 ] && return 0
    kill -KILL "${pids[@]}" 2>/dev/null || true
    sleep 0.2
  done
  echo "fresh_machine_check.sh: processes ${pids[*]} do not end" >&2
}
cleanup() {
  local status=$?
  trap - EXIT INT TERM HUP
  stop_processes
  # Innermost first.
  local mount
  for mount in $(awk -v root="$root" '$2 == root || index($2, root "/") == 1 {print $2}' /proc/self/mounts | sort -r); do
    umount "$mount" 2>/dev/null || umount --lazy "$mount"
  done
  if [ "$keep" -eq 0 ]; then
    rm -rf --one-file-system "$root"
  else
    echo "the system stays in $root"
  fi
  exit "$status"
}
trap cleanup EXIT
trap 'exit 130' INT
trap 'exit 143' TERM HUP

echo "== Debian 12 (minbase) from $mirror into $root"
run debootstrap --variant=minbase bookworm "$root" "$mirror"
{
  echo "deb $mirror bookworm main"
  echo "deb $mirror bookworm-updates main"
  [ -n "$security" ] && echo "deb $security bookworm-security main"
} >"$root/etc/apt/sources.list"

echo "== clone of $repository at $revision into /root/kestrilo"
git clone --quiet --no-hardlinks "$repository" "$root/root/kestrilo"
git -C "$root/root/kestrilo" checkout --quiet --detach "$revision"

mount -t proc proc "$root/proc"
mount -t sysfs sysfs "$root/sys"
mount --bind /dev "$root/dev"
mount --bind /dev/pts "$root/dev/pts"
mount -t tmpfs -o mode=1777,nosuid,nodev shm "$root/dev/shm"

echo "== .ci/run"
run env -i HOME=/root PATH=/usr/sbin:/usr/bin:/sbin:/bin CI=1 chroot "$root" /root/kestrilo/.ci/run
echo "== .ci/run passed on a fresh Debian 12 system"
