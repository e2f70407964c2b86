#!/usr/bin/env bash
# Runs a command inside one Wine session of a build tree's private prefix: a persistent
# wineserver and its services are started first, detached from our pipes (otherwise they
# inherit ctest's output and keep it waiting), and stopped again at the end. The build
# tree's wine-run.sh knows the prefix's width and loader.
# Usage: wine-session.sh <build-dir> <command> [args...]   (run it under an X display)
set -euo pipefail
build=$(cd "$1" && pwd); shift
export WINEPREFIX="$build/wineprefix" WINEDEBUG="${WINEDEBUG:--all}"

"$build/wine-run.sh" cmd /c exit 0 >/dev/null 2>&1 </dev/null  # creates the prefix when needed
wineserver -k 2>/dev/null || true
wineserver -w 2>/dev/null || true
wineserver -p >/dev/null 2>&1 </dev/null
export MORVEL_WINE_SESSION=1
"$build/wine-run.sh" wineboot >/dev/null 2>&1 </dev/null || true
stop() { wineserver -k 2>/dev/null || true; }
trap stop EXIT

"$@"
