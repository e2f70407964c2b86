#!/usr/bin/env bash
# Runs a command inside one Wine session of a build tree's private prefix: a persistent
# wineserver and its services are started first, detached from our pipes (otherwise they
# inherit ctest's output and keep it waiting), and stopped again at the end.
# Usage: wine-session.sh <build-dir> <command> [args...]   (run it under an X display)
set -euo pipefail
build=$(cd "$1" && pwd); shift
export WINEPREFIX="$build/wineprefix" WINEARCH=win32 WINEDEBUG="${WINEDEBUG:--all}"

"$build/wine-run.sh" cmd /c exit 0 >/dev/null 2>&1 </dev/null  # creates the prefix when needed
wineserver -k 2>/dev/null || true
wineserver -w 2>/dev/null || true
wineserver -p >/dev/null 2>&1 </dev/null
wine wineboot >/dev/null 2>&1 </dev/null
stop() { wineserver -k 2>/dev/null || true; }
trap stop EXIT

export MORVEL_WINE_SESSION=1
"$@"
