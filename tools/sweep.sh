#!/usr/bin/env bash
# The member sweep, three rounds in one process, for the Windows builds tools/arches.sh
# picks (MORVEL_ARCHES): every member of every class with hostile arguments, the memory
# readings after each round (heap bytes in use and the next handle value: Wine keeps no
# private-bytes or handle counter), and the growth over the last round, which must stay flat.
# Usage: tools/sweep.sh [rounds]   (default 3; run it under an X display, or it uses xvfb-run)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
. tools/arches.sh
morvel_pick_arches
rounds=${1:-3}

for arch in "${morvel_runs[@]}"; do
    build=$root/build/$arch
    [ -f "$build/build.ninja" ] || morvel_configure "$arch" "$root" >/dev/null
    cmake --build "$build" --target Morvel10 Ostrel10 hhrecorder MemberSweepTest >/dev/null
    echo "## $arch: $rounds sweep rounds in one process"
    session=(tools/wine-session.sh "$build")
    [ -n "${DISPLAY:-}" ] || session=(xvfb-run -a "${session[@]}")
    log=$build/sweep.log
    status=0
    MORVEL_SWEEP_ROUNDS=$rounds "${session[@]}" \
        ctest --test-dir "$build" -R '^MemberSweepTest$' --output-on-failure -V >"$log" 2>&1 || status=$?
    grep -E 'sweep round|growth|Failure|FAILED|tests passed' "$log" | sed 's/^[0-9]*: //'
    [ "$status" -eq 0 ] || { echo "the sweep failed: see $log"; exit "$status"; }
done
