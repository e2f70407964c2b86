#!/usr/bin/env bash
# The main job: builds the library, registers it in the build tree's private Wine prefix
# and runs the demo host, which shows what each class can do.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/tools/setup.sh"
build="$root/build/win32"
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-i686.cmake"
cmake --build "$build"
xvfb-run -a -s "-screen 0 1280x1024x24" \
    "$root/tools/wine-session.sh" "$build" "$root/tools/demo-run.sh" "$build"
