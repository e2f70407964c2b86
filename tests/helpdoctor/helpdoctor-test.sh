#!/bin/bash
# Runs every helpdoctor command under Wine against real files and checks its output and
# exit status: the chmcmd-built demo file (a map with aliases), a file that is no compiled
# help, a '#' and a non-ANSI character in a folder name, list entries in both registry
# views (stale, good, unreachable) with their pruning, backup and restoring, a missing id,
# a missing topic, the id list audit, a file with the mark of the web and its unblocking,
# and a missing engine.
#   tests/helpdoctor/helpdoctor-test.sh <build>
set -u
build=$1
run="$build/wine-run.sh"
doctor="$build/helpdoctor.exe"
work="$build/doctor"
failures=0
listkey='HKLM\Software\Microsoft\Windows\HTML Help'

winpath() { local p="Z:$1"; echo "${p//\//\\}"; }
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

# expect <status> <pattern> <command...>: the exit status and a line of the output.
expect() {
    local status=$1 pattern=$2
    shift 2
    "$run" "$doctor" "$@" >"$work/stdout" 2>"$work/stderr" </dev/null
    local got=$?
    out=$(tr -d '\r' <"$work/stdout")
    [ "$got" = "$status" ] || fail "helpdoctor $* exited $got, not $status"
    grep -qF -- "$pattern" <<<"$out$(tr -d '\r' <"$work/stderr")" || { fail "helpdoctor $*: no '$pattern' in:"; echo "$out"; }
}

rm -rf "$work" && mkdir -p "$work/Good" "$work/C#Help" "$work/Hélp✓"
for d in Good 'C#Help' 'Hélp✓'; do cp "$build/help/Demo.chm" "$work/$d/Demo.chm"; done
echo "this is text, not compiled help" >"$work/NotHelp.chm"
good=$(winpath "$work/Good/Demo.chm")

expect 2 "usage: helpdoctor check" 
expect 2 "unknown command" frobnicate
expect 2 "give at most one" check "$good" --id 1 --topic x.htm

expect 0 "Nothing wrong found." check "$good" --topic intro.htm
expect 1 "the file holds no page /nothere.htm" check "$good" --topic nothere.htm
expect 1 "not in the file's map (3 ids mapped)" check "$good" --id 4242
expect 0 "context id 1001: mapped to intro.htm" check "$good" --id 1001
# chmcmd alone stores alias targets as full paths of the build machine (the build mends
# that with helpbuild/chmmend.py): such a map reaches no page.
mkdir -p "$work/Raw" && cp -r "$build/help/project/." "$work/Raw/"
(cd "$work/Raw" && rm -f Demo.chm && chmcmd Demo.hhp >/dev/null 2>&1)
raw=$(winpath "$work/Raw/Demo.chm")
expect 1 "which is not a page of the file" check "$raw" --id 1001
expect 1 '"check":"id","severity":"error"' check "$raw" --id 1001 --json
expect 1 "not a compiled help file" check "$(winpath "$work/NotHelp.chm")"
expect 1 "a '#' in the path" check "$(winpath "$work/C#Help/Demo.chm")"
# Noted, not blamed: the library opens such a name through the wide entry points.
expect 0 "characters the ANSI code page cannot carry" check "$(winpath "$work/Hélp✓/Demo.chm")"
expect 1 "not found" check "$(winpath "$work/Nowhere/Demo.chm")"
# A bare name is completed against the registered library's folder, wherever the doctor
# runs from (here a copy in an SDK's bin folder).
mkdir -p "$work/sdk/bin" && cp "$doctor" "$work/sdk/bin/" && cp "$build/help/Demo.chm" "$build/DoctorBare.chm"
doctor="$work/sdk/bin/helpdoctor.exe" expect 0 "Nothing wrong found." check DoctorBare.chm
rm -f "$build/DoctorBare.chm"

# The file list, in each registry view: stale entries, good ones (one with a drive root as
# its folder) and one on a drive that is not there. Pruning removes only the stale ones,
# each from its own view, after saving them; the printed command and the saved file each
# put them back.
if grep -q '^export WINEARCH=win64' "$run"; then
    view64=' (64-bit view)' view32=' (32-bit view)' reg64=/reg:64 reg32=/reg:32
else  # a 32-bit prefix has one view: "DoctorGone32.chm" goes to the one list
    view64= view32= reg64= reg32=
fi
listed() { "$run" reg query "$listkey" /v "$2" $1 >/dev/null 2>&1 </dev/null; }
"$run" reg add "$listkey" /v DoctorGone.chm /t REG_SZ /d 'C:\Nowhere\' /f $reg64 >/dev/null 2>&1
"$run" reg add "$listkey" /v DoctorGone32.chm /t REG_SZ /d 'C:\Nowhere\' /f $reg32 >/dev/null 2>&1
"$run" reg add "$listkey" /v DoctorGood.chm /t REG_SZ /d "$(winpath "$work/Good")\\" /f >/dev/null 2>&1
"$run" reg add "$listkey" /v DoctorRoot.chm /t REG_SZ /d 'C:\' /f >/dev/null 2>&1
"$run" reg add "$listkey" /v DoctorAway.chm /t REG_SZ /d 'Q:\Help\' /f >/dev/null 2>&1
cp "$work/Good/Demo.chm" "$work/Good/DoctorGood.chm"
cp "$work/Good/Demo.chm" "$build/wineprefix/drive_c/DoctorRoot.chm"
expect 1 "DoctorGone.chm" list
grep -q "^  stale       DoctorGone.chm .*folder missing" <<<"$out" || fail "list does not call DoctorGone.chm stale"
grep -q "^  ok          DoctorGood.chm" <<<"$out" || fail "list does not call DoctorGood.chm ok"
grep -q "^  ok          DoctorRoot.chm" <<<"$out" || fail "list does not call DoctorRoot.chm (in C:\\) ok"
grep -q "^  unreachable DoctorAway.chm .*drive not available" <<<"$out" || fail "list does not call DoctorAway.chm unreachable"
[ -z "$view32" ] || grep -q "^HTML Help file list, 32-bit view " <<<"$out" || fail "list does not show the 32-bit view"
expect 1 "listed in C:\\Nowhere\\, but the file is not there" check DoctorGone.chm
expect 1 "would be removed" list --prune
expect 2 "--yes goes with --prune" list --yes
expect 2 "--backup goes with --prune --yes" list --prune --backup x.reg
expect 1 '"name":"DoctorGone.chm"' list --json
"$run" "$doctor" list --prune --yes --backup "$(winpath "$work/pruned.reg")" >"$work/pruned" 2>&1
grep -qF "removed  DoctorGone.chm$view64," "$work/pruned" || fail "prune did not remove DoctorGone.chm"
grep -qF "removed  DoctorGone32.chm$view32," "$work/pruned" || fail "prune did not remove DoctorGone32.chm"
listed "$reg64" DoctorGone.chm && fail "DoctorGone.chm still listed after pruning"
listed "$reg32" DoctorGone32.chm && fail "DoctorGone32.chm still listed after pruning"
for name in DoctorGood DoctorRoot DoctorAway; do listed "$reg64" $name.chm || fail "pruning removed $name.chm too"; done
expect 0 "listed in" check DoctorGood.chm --topic intro.htm
grep -o 'reg add .*"DoctorGone\.chm".*' "$work/pruned" >"$work/restore.cmd"
"$run" cmd /c "$(winpath "$work/restore.cmd")" >/dev/null 2>&1 </dev/null
"$run" reg query "$listkey" /v DoctorGone.chm 2>&1 </dev/null | grep -qF 'C:\Nowhere\' ||
    fail "the printed command did not put DoctorGone.chm back as it was"
"$run" reg delete "$listkey" /v DoctorGone.chm /f >/dev/null 2>&1
"$run" regedit /s "$(winpath "$work/pruned.reg")" >/dev/null 2>&1 </dev/null
listed "$reg64" DoctorGone.chm && listed "$reg32" DoctorGone32.chm || fail "importing the backup did not put the entries back"
[ -z "$reg64" ] || ! listed "$reg64" DoctorGone32.chm || fail "importing the backup put DoctorGone32.chm into the 64-bit view"
for name in DoctorGone DoctorGood DoctorRoot DoctorAway; do "$run" reg delete "$listkey" /v $name.chm /f >/dev/null 2>&1; done
"$run" reg delete "$listkey" /v DoctorGone32.chm /f $reg32 >/dev/null 2>&1

# The application's ids against the map.
printf '#define IDH_INTRO 1001\r\nIDH_MISSING=0x10AB\r\n; a comment\r\nnot an id\r\n' >"$work/ids.h"
expect 1 "missing from the map: IDH_MISSING = 4267" audit "$good" "$(winpath "$work/ids.h")"
grep -qF "note: line 4: not an id definition (not an id)" <<<"$out" || fail "audit does not note the line it does not understand"
grep -qF "map entry 1001 points to" <<<"$out" && fail "audit calls a good map entry broken"
expect 1 "map entry 1001 points to" audit "$raw" "$(winpath "$work/ids.h")"
expect 1 '"missing":[{"name":"IDH_MISSING","id":4267}]' audit "$good" "$(winpath "$work/ids.h")" --json

# The reference manual's own map: every id of its ContextIds.h reaches its page.
expect 0 "Nothing wrong found." audit "$(winpath "$build/manual/Morvel10.chm")" "$(winpath "$build/manual/ContextIds.h")"

# The mark of the web: Wine keeps a file's Zone.Identifier stream as a file beside it.
mkdir -p "$work/Marked" && cp "$build/help/Demo.chm" "$work/Marked/Demo.chm"
printf '[ZoneTransfer]\r\nZoneId=3\r\nHostUrl=https://example.com/Demo.zip\r\n' >"$work/Marked/Demo.chm:Zone.Identifier"
marked=$(winpath "$work/Marked/Demo.chm")
expect 1 "marked as from the Internet zone (ZoneId=3), from https://example.com/Demo.zip" check "$marked"
expect 1 '"check":"mark","severity":"error"' check "$marked" --json
expect 1 "Nothing was changed." unblock "$marked"
expect 1 "is not a compiled help file" unblock "$(winpath "$work/NotHelp.chm")"
expect 0 "Removed the mark of the web" unblock "$marked" --yes
grep -qF -- "-Stream Zone.Identifier -Value '[ZoneTransfer]','ZoneId=3','HostUrl=https://example.com/Demo.zip'" <<<"$out" ||
    fail "unblock does not print how to put the mark back"
[ "$(ls "$work/Marked")" = "Demo.chm" ] || fail "unblock left or removed the wrong files: $(ls "$work/Marked")"
cmp -s "$build/help/Demo.chm" "$work/Marked/Demo.chm" || fail "unblock changed the help file itself"
expect 0 "Nothing wrong found." check "$marked" --topic intro.htm

# A share (Wine reaches \\host\share through dosdevices/unc): its zone is the platform's
# mapping (Wine's puts shares in the Internet zone), and the viewer's policy decides.
mkdir -p "$build/wineprefix/dosdevices/unc/doctorhost" && ln -sfn "$work" "$build/wineprefix/dosdevices/unc/doctorhost/share"
policy='HKLM\SOFTWARE\Microsoft\HTMLHelp\1.x\ItssRestrictions'
expect 1 "the policy refuses it (MaxAllowedZone not set: the local machine only)" check '\\doctorhost\share\Good\Demo.chm'
"$run" reg add "$policy" /v MaxAllowedZone /t REG_DWORD /d 3 /f >/dev/null 2>&1 </dev/null
expect 0 "the policy allows it (MaxAllowedZone 3: up to Internet)" check '\\doctorhost\share\Good\Demo.chm' --topic intro.htm
"$run" reg delete "$policy" /f >/dev/null 2>&1 </dev/null
rm -rf "$build/wineprefix/dosdevices/unc/doctorhost"

# The engine: Wine's loads, but the prefix does not register it as a control.
expect 1 "loads from the system folder" engine
expect 1 '"loads":true' engine --json
export WINEDLLOVERRIDES=hhctrl.ocx=
expect 1 "cannot be loaded" check "$good"
expect 1 '"loads":false' engine --json
unset WINEDLLOVERRIDES

if [ "$failures" = 0 ]; then echo "helpdoctor: every check passed"; else echo "helpdoctor: $failures check(s) failed"; exit 1; fi
