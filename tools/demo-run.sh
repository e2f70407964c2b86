#!/usr/bin/env bash
# Inside the Wine session: register Morvel10.dll as an installer would, then run the demo.
set -euo pipefail
build=$(cd "$1" && pwd)
"$build/wine-run.sh" regsvr32 /s "Z:$build/Morvel10.dll"
# The companion stand-in, which shows the library's About box.
"$build/wine-run.sh" regsvr32 /s "Z:$build/Ostrel10.dll"
echo "Morvel10.dll and Ostrel10.dll registered in $build/wineprefix"
"$build/wine-run.sh" "$build/demo.exe"
