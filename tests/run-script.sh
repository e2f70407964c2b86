#!/usr/bin/env bash
# Runs one client script under the platform's script host (cscript) in the private
# prefix; the script reports failures through its exit code.
# Usage: run-script.sh <wine-run.sh> <script.vbs|script.js>
#
# A script of tests/scripts/ starts with what they all share, Check.vbs or Check.js there:
# the two are joined into one file of the script's own name, which cscript runs. (Loading
# the shared file from inside, through VBScript's ExecuteGlobal, stops the script silently
# with exit status 0 under Wine 8.) Other scripts, such as the SDK samples, run as they are.
#
# A script host cannot hook its own message boxes, so the watcher tests/boxwatch (built as
# $MORVEL_BUILD/boxwatch.exe) runs beside the script: it records every box in a log and
# presses its default button. The script finds, as Windows paths in its environment:
#   MORVEL_BOX_LOG        the watcher's log, one line per box (see tests/boxwatch)
#   MORVEL_COMPANION_LOG  the companion stand-in's log of the calls it received
# Both start empty for every script and are shown here when the script fails.
set -euo pipefail
wine_run=$1 script=$2
build=${MORVEL_BUILD:-$(dirname "$wine_run")}
scripts=$(cd "$(dirname "$0")/scripts" && pwd)

work=$(mktemp -d)
case $(cd "$(dirname "$script")" && pwd)/ in
"$scripts"/*)
    preamble=$scripts/Check.${script##*.}
    echo "run-script: line numbers below count the $(wc -l <"$preamble") lines of $(basename "$preamble") first"
    mkdir "$work/script"
    cat "$preamble" "$script" >"$work/script/$(basename "$script")"
    script=$work/script/$(basename "$script") ;;
esac
windows() { printf 'Z:%s' "${1//\//\\}"; }
export MORVEL_BOX_LOG MORVEL_COMPANION_LOG
MORVEL_BOX_LOG=$(windows "$work/boxes.log")
MORVEL_COMPANION_LOG=$(windows "$work/companion.log")
: >"$work/boxes.log"
: >"$work/companion.log"

watcher=
if [ -f "$build/boxwatch.exe" ]; then
    # Detached from our pipes: a runner waiting for output must not wait for the watcher.
    "$wine_run" "$build/boxwatch.exe" "$MORVEL_BOX_LOG" "$(windows "$work/stop")" 600 \
        >"$work/boxwatch.out" 2>&1 </dev/null &
    watcher=$!
fi

status=0
"$wine_run" cscript //nologo "$(windows "$script")" || status=$?

if [ -n "$watcher" ]; then
    touch "$work/stop"
    for _ in $(seq 100); do
        kill -0 "$watcher" 2>/dev/null || break
        sleep 0.1
    done
    if kill -0 "$watcher" 2>/dev/null; then
        echo "run-script: the box watcher did not stop; ending it" >&2
        kill "$watcher" 2>/dev/null || true
    fi
    wait "$watcher" 2>/dev/null || true
fi

if [ "$status" -ne 0 ]; then
    for log in boxes companion; do
        if [ -s "$work/$log.log" ]; then
            echo "--- $log.log"
            cat "$work/$log.log"
        fi
    done
fi
rm -rf "$work"
exit "$status"
