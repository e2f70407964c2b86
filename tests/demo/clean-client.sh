#!/usr/bin/env bash
# The demo host is an example for users: it must run unattended, show every class, and
# leave the machine's system folder and Wine's per-program settings alone, as any client
# of the library should. Runs demo.exe in the build tree's prefix and checks all three.
# Usage: clean-client.sh <build-dir>
set -euo pipefail
build=$(cd "$1" && pwd)
system="$build/wineprefix/drive_c/windows/system32"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

per_program='HKCU\Software\Wine\AppDefaults\demo.exe'
settings_before=$("$build/wine-run.sh" reg query "$per_program" /s 2>/dev/null </dev/null | tr -d '\r' || true)
engine_before=$(sha256sum <"$system/hhctrl.ocx")
touch "$work/started"
sleep 1  # so that a write in the same second still counts as newer

status=0
"$build/wine-run.sh" "$build/demo.exe" >"$work/out" 2>&1 </dev/null || status=$?
tr -d '\r' <"$work/out"

[ "$status" -eq 0 ] || fail "demo.exe exited with $status"
for progId in clsKvMorvel10A clsKvHlpfHtmlA clsKvHlpfHlpA clsKvHlpfGeneralA clsKvHlpfAdvancedA; do
    grep -q "^Morvel10\.$progId: created" "$work/out" || fail "Morvel10.$progId was not created"
done
# About shows the companion's box; the demo has to answer it itself to get this far.
grep -q 'message box ".*answered with OK' "$work/out" || fail "no message box was answered"
grep -q 'help viewer: open' "$work/out" || fail "the help viewer did not open"
grep -q 'manual viewer: open' "$work/out" || fail "the reference manual did not open in the help viewer"
grep -q 'sample viewer: open' "$work/out" || fail "the sample help did not open by its context id"

# By change time: a copy keeps the modification time of its source, not its change time.
written=$(find "$system" -cnewer "$work/started" 2>/dev/null | head -5)
[ -z "$written" ] || fail "the demo wrote into the system folder: $written"
[ "$(sha256sum <"$system/hhctrl.ocx")" = "$engine_before" ] || fail "system32\\hhctrl.ocx changed"
settings_after=$("$build/wine-run.sh" reg query "$per_program" /s 2>/dev/null </dev/null | tr -d '\r' || true)
[ "$settings_after" = "$settings_before" ] || fail "the demo changed $per_program"

if [ "$failures" -ne 0 ]; then
    echo "clean-client: $failures check(s) failed"
    exit 1
fi
echo "clean-client: the demo ran unattended and left the system alone"
