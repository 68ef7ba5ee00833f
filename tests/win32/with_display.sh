#!/usr/bin/env bash
# Runs a command on a virtual X display of its own. The X server picks a free
# display number itself (-displayfd). The display stays until every Wine
# process of the prefix has ended: Wine's desktop process lives on that
# display, and a Wine program that finds it gone cannot create windows.
set -euo pipefail
number=$(mktemp)
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$number" 2>/dev/null &
server=$!
trap 'kill "$server" 2>/dev/null || true; rm -f "$number"' EXIT
for _ in $(seq 200); do
  [ -s "$number" ] && break
  sleep 0.05
done
[ -s "$number" ] || { echo "Xvfb did not start" >&2; exit 1; }
export DISPLAY=":$(head -n1 "$number")"
status=0
"$@" || status=$?
wineserver -w || true
exit "$status"
