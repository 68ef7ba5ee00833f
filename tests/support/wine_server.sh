#!/usr/bin/env bash
# One Wine server for every test program of a prefix, up from before the first
# program starts until after the last one ends. Left to itself, each program
# starts a server that shuts down a few seconds after the last program leaves;
# a program that starts during that shutdown, or two that start together in a
# new prefix, can fail before their first line ("chdir to ... server-...").
# The prefix is WINEPREFIX, at the display scale KESTRILO_WINE_DPI if set;
# the server outlives idle gaps of a minute, so one
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
  # The display scale of the prefix (dots per inch), where Windows keeps it:
  # for the user and for the current configuration. Each program reads it
  # when it starts.
  if [ -n "${KESTRILO_WINE_DPI:-}" ]; then
    for key in 'HKCU\Control Panel\Desktop' 'HKCC\Software\Fonts'; do
      "$wine" reg add "$key" /v LogPixels /t REG_DWORD /d "$KESTRILO_WINE_DPI" /f </dev/null >/dev/null 2>&1
    done
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
