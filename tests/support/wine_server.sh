#!/usr/bin/env bash
# One Wine server for every test program of a prefix, up from before the first
# program starts until after the last one ends. Left to itself, each program
# starts a server that shuts down a few seconds after the last program leaves;
# a program that starts during that shutdown, or two that start together in a
# new prefix, can fail before their first line ("chdir to ... server-...").
# The prefix is WINEPREFIX; the server outlives idle gaps of a minute, so one
# left behind by an interrupted run goes away by itself.
# Usage: wine_server.sh start WINE | stop WINE | run WINE COMMAND...
set -euo pipefail
action=$1
wine=$2
shift 2
server=$(dirname "$wine")/wineserver
[ -x "$server" ] || server=wineserver

stop() { "$server" -k 2>/dev/null || true; }

start() {
  if [ ! -e "$WINEPREFIX/system.reg" ]; then
    "$wine" wineboot --init </dev/null >/dev/null 2>&1
  fi
  # A server that is already up, the one that made the prefix or one left by
  # an earlier run, would refuse to become persistent.
  stop
  "$server" -w
  # Neither the server nor Wine's own services, which live as long as the
  # server does, may hold the caller's output: a test runner waits for its
  # pipes to close. So the services start here too.
  "$server" -p60 </dev/null >/dev/null 2>&1
  "$wine" wineboot </dev/null >/dev/null 2>&1
}

case $action in
  start) start ;;
  stop) stop ;;
  run)
    start
    trap stop EXIT
    "$@"
    ;;
  *) echo "usage: $0 start|stop|run WINE [COMMAND...]" >&2; exit 2 ;;
esac
