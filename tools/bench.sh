#!/usr/bin/env bash
# Builds the benchmarks for the Windows builds tools/arches.sh picks (MORVEL_ARCHES),
# registers the library in each build's private prefix and prints the tables of ratios
# (library / platform floor, measured side by side in one process). Not part of the tests.
# Usage: tools/bench.sh [scale]   (scale multiplies the loop counts; default 1)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
. tools/arches.sh
morvel_pick_arches
scale=${1:-1}

for arch in "${morvel_runs[@]}"; do
    build=$root/build/$arch
    [ -f "$build/build.ninja" ] || morvel_configure "$arch" "$root" >/dev/null
    cmake --build "$build" --target Morvel10 bench_dispatch demo_chm hhrecorder >/dev/null
    cat >"$build/bench-run.sh" <<RUN
#!/usr/bin/env bash
set -e
"$build/wine-run.sh" regsvr32 /s "Z:$build/Morvel10.dll"
echo "## $arch (\$(uname -m), \$(nproc) cores, \$(wine --version 2>/dev/null || echo wine))"
echo
# The tests' recording engine stands in for hhctrl.ocx: it shows no window and costs next to
# nothing, so the display command's rows measure the library's own work.
"$root/tests/hhrecorder/with-recorder.sh" "$build" "$build/hhrecorder/hhctrl.ocx" \
    "$build/wine-run.sh" "$build/bench_dispatch.exe" $scale "Z:${build//\//\\}\\help\\Demo.chm" | tr -d '\r'
echo
"$build/wine-run.sh" cscript //nologo "Z:${root//\//\\}\\bench\\Bench.vbs" | tr -d '\r'
RUN
    chmod +x "$build/bench-run.sh"
    tools/wine-session.sh "$build" "$build/bench-run.sh"
    echo
done
