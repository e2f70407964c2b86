#!/usr/bin/env bash
# Runs a command with the recording engine in place of the prefix's own hhctrl.ocx, and
# puts Wine's copy back afterwards, however the command ends. The prefix is shared by the
# whole test run, so the recorder must never outlive the command.
# Usage: with-recorder.sh <build-dir> <recorder.ocx> <command> [args...]
set -euo pipefail
build=$(cd "$1" && pwd); recorder=$2; shift 2
prefix="$build/wineprefix"
engine="$prefix/drive_c/windows/system32/hhctrl.ocx"
keep="$prefix/hhctrl.ocx.wine"  # outside drive_c, so nothing in Wine can see it

[ -f "$engine" ] || "$build/wine-run.sh" cmd /c exit 0 >/dev/null 2>&1 </dev/null
# A run that was killed with the recorder in place left the original here already.
[ -f "$keep" ] || cp -p "$engine" "$keep"
restore() { cp -p "$keep" "$engine"; }
trap restore EXIT
trap "exit 143" TERM INT HUP
cp "$recorder" "$engine"

export WINEDLLOVERRIDES="hhctrl.ocx=n${WINEDLLOVERRIDES:+;$WINEDLLOVERRIDES}"
"$@"
