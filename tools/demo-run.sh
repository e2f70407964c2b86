#!/usr/bin/env bash
# Inside the Wine session: register Morvel10.dll as an installer would, then run the demo
# host, a client that only reads the machine. What the demo shows beyond that needs a
# change to the prefix, and each such change is a step of its own here, announced and
# undone afterwards, because the prefix belongs to the build tree's tests as well.
# Usage: demo-run.sh <build-dir>
set -euo pipefail
build=$(cd "$1" && pwd)
root=$(cd "$(dirname "$0")/.." && pwd)
wine_run="$build/wine-run.sh"

"$wine_run" regsvr32 /s "Z:$build/Morvel10.dll"
# The companion stand-in, which shows the library's About box.
"$wine_run" regsvr32 /s "Z:$build/Ostrel10.dll"
echo "Morvel10.dll and Ostrel10.dll registered in $build/wineprefix"

# Every class, on the prefix as Wine made it. The demo answers the library's message boxes
# itself (nobody is at the virtual display to press OK) and prints what they said.
"$wine_run" "$build/demo.exe"

# The installation report once more, after an installer's work: a fresh prefix has the
# files of the HTML Help control and of the browser control, but not their in-process
# server keys. The keys this step adds are taken away again when the script ends.
controls=(
    '{4662DAB0-D393-11D0-9A56-00C04FB68B66}|InprocServer32|C:\windows\system32\hhctrl.ocx'
    '{0A89A860-D7B1-11CE-8350-444553540000}|InProcServer32|C:\windows\system32\shdocvw.dll'
)
added=()
remove_added() {
    local clsid
    for clsid in "${added[@]}"; do
        "$wine_run" reg delete "HKCR\\CLSID\\$clsid" /f >/dev/null 2>&1 </dev/null || true
    done
    added=()
}
trap remove_added EXIT
echo
echo "Step: an installer registers the HTML Help control and the browser control"
for control in "${controls[@]}"; do
    IFS='|' read -r clsid server file <<<"$control"
    if "$wine_run" reg query "HKCR\\CLSID\\$clsid" >/dev/null 2>&1 </dev/null; then
        echo "  CLSID\\$clsid is registered already"
        continue
    fi
    "$wine_run" reg add "HKCR\\CLSID\\$clsid\\$server" /ve /t REG_SZ /d "$file" /f >/dev/null </dev/null
    added+=("$clsid")
    echo "  CLSID\\$clsid\\$server = $file"
done
"$wine_run" "$build/demo.exe" --installation
remove_added
echo "  the class keys added for this step are removed again"

# A text popup. Wine's help engine has no text popups, so this step shows the popup
# through the tests' recording engine, which writes down what it receives.
# with-recorder.sh puts it in place of the prefix's hhctrl.ocx for this one command and
# puts Wine's own back afterwards.
echo
echo "Step: a text popup, shown through the recording help engine in place of Wine's"
log=$(mktemp)
trap 'remove_added; rm -f "$log"' EXIT
MORVEL_HHLOG="Z:${log//\//\\}" "$root/tests/hhrecorder/with-recorder.sh" "$build" "$build/hhrecorder/hhctrl.ocx" \
    "$wine_run" "$build/demo.exe" --popup
if [ -s "$log" ]; then
    sed 's/\r$//; s/^/    the engine received: /' "$log"
else
    echo "    the engine received nothing"
    exit 1
fi
echo "  Wine's help engine is back in place"
