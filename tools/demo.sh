#!/usr/bin/env bash
# The main job: builds the library for x86 and x64, registers it in a build tree's private
# Wine prefix and runs the demo host, which shows what each class can do. The x86 demo runs
# where this machine runs 32-bit code, the x64 demo elsewhere; MORVEL_ARCHES picks the
# builds (see tools/arches.sh).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/tools/setup.sh"
source "$root/tools/arches.sh"
morvel_pick_arches

for arch in "${morvel_builds[@]}"; do
    morvel_configure "$arch" "$root"
    cmake --build "$root/build/$arch"
done

# The x86 build is the published one: show it where it runs.
demo=win64
case " ${morvel_runs[*]} " in *" win32 "*) demo=win32 ;; esac
build="$root/build/$demo"
echo "Running the $(morvel_describe "$demo") demo from $build"
[ -n "$morvel_skip_note" ] && [ "$demo" = win64 ] && echo "(${morvel_skip_note/x86 suite not run/the x86 demo does not run here})"
xvfb-run -a -s "-screen 0 1280x1024x24" \
    "$root/tools/wine-session.sh" "$build" "$root/tools/demo-run.sh" "$build"
