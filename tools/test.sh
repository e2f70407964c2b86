#!/usr/bin/env bash
# Builds everything and runs every test: the portable core natively (with sanitizers),
# then each Windows build under Wine (core tests, COM tests, script clients, help-engine
# tests): x64 always, x86 where this machine runs 32-bit code. MORVEL_ARCHES picks the
# Windows builds (see tools/arches.sh). Exits non-zero when any suite fails.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/tools/setup.sh"
source "$root/tools/arches.sh"
morvel_pick_arches

summary=()
failed=0
seconds() { date +%s; }

# The house style first: it takes a second, and a source that differs fails the run.
if "$root/tools/format.sh"; then
    summary+=("style (.clang-format): every C++ source follows it")
else
    summary+=("style (.clang-format): FAILED"); failed=1
fi

start=$(seconds)
cmake -S "$root" -B "$root/build/native" -G Ninja
cmake --build "$root/build/native"
if ctest --test-dir "$root/build/native" --output-on-failure; then
    summary+=("native core tests: passed ($(( $(seconds) - start )) s with the build)")
else
    summary+=("native core tests: FAILED"); failed=1
fi

for arch in "${morvel_builds[@]}"; do
    build="$root/build/$arch"
    start=$(seconds)
    morvel_configure "$arch" "$root"
    cmake --build "$build"
    built=$(( $(seconds) - start ))
    case " ${morvel_runs[*]} " in *" $arch "*) ;; *) summary+=("$arch: built in $built s, not tested"); continue ;; esac
    start=$(seconds)
    if xvfb-run -a -s "-screen 0 1280x1024x24" \
        "$root/tools/wine-session.sh" "$build" \
        ctest --test-dir "$build" --output-on-failure --timeout 300; then
        summary+=("$arch suite, $(morvel_describe "$arch"): passed (built in $built s, tested in $(( $(seconds) - start )) s)")
    else
        summary+=("$arch suite, $(morvel_describe "$arch"): FAILED"); failed=1
    fi
done

echo
echo "Summary"
for line in "${summary[@]}"; do echo "  $line"; done
[ -n "$morvel_skip_note" ] && echo "  $morvel_skip_note"
exit "$failed"
