#!/usr/bin/env bash
# Builds everything and runs every test: the portable core natively (with sanitizers),
# then the Windows build under Wine: core tests, COM tests and script clients.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/tools/setup.sh"

cmake -S "$root" -B "$root/build/native" -G Ninja
cmake --build "$root/build/native"
ctest --test-dir "$root/build/native" --output-on-failure

cmake -S "$root" -B "$root/build/win32" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-i686.cmake"
cmake --build "$root/build/win32"
xvfb-run -a -s "-screen 0 1280x1024x24" \
    "$root/tools/wine-session.sh" "$root/build/win32" \
    ctest --test-dir "$root/build/win32" --output-on-failure --timeout 300
