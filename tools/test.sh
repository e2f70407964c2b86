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

# Each Windows build's tests wait on Wine more than they use the processors, so the next
# build runs beside them, at the lowest priority so that the tests keep their pace; its
# output goes to build/<arch>.build.log, shown when it fails.
build_arch() {  # build_arch <arch>: configures and builds, and records the seconds it took
    local arch=$1 start
    start=$(seconds)
    morvel_configure "$arch" "$root" && cmake --build "$root/build/$arch" || return 1
    echo $(( $(seconds) - start )) >"$root/build/$arch.build-seconds"
}
background=
for i in "${!morvel_builds[@]}"; do
    arch=${morvel_builds[$i]}
    build="$root/build/$arch"
    mkdir -p "$root/build"
    if [ -n "$background" ]; then
        if ! wait "$background"; then
            cat "$root/build/$arch.build.log"
            summary+=("$arch: build FAILED"); failed=1; background=; continue
        fi
        background=
    elif ! build_arch "$arch"; then
        summary+=("$arch: build FAILED"); failed=1; continue
    fi
    built=$(cat "$build.build-seconds")
    next=${morvel_builds[$((i + 1))]:-}
    if [ -n "$next" ]; then
        nice -n 19 bash -c "$(declare -f build_arch seconds morvel_configure morvel_toolchain); root='$root'; build_arch $next" \
            >"$root/build/$next.build.log" 2>&1 &
        background=$!
    fi
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
