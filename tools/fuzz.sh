#!/usr/bin/env bash
# Builds the fuzz targets with clang's libFuzzer and fuzzes each for the given number of
# seconds, one after the other:
#
#   tools/fuzz.sh 300                         # every target, five minutes each
#   MORVEL_FUZZ_TARGETS="paths popups" tools/fuzz.sh 60
#   MORVEL_FUZZ_RUNS=1000000 tools/fuzz.sh 3600   # stop each at a million executions
#
# Each target starts from its checked-in corpus and crash regressions (fuzz/corpus/<t>,
# fuzz/regressions/<t>), which are only read; what it finds goes to build/fuzz-run/<t>/
# (new inputs) and build/fuzz-run/crash-<t>-* (failures). A failure is fixed, and its input
# is added under fuzz/regressions/<t>/ so the test command replays it from then on.
set -euo pipefail

seconds=${1:?usage: tools/fuzz.sh <seconds per target>}
here=$(cd "$(dirname "$0")/.." && pwd)
build=$here/build/fuzz
out=$here/build/fuzz-run
targets=${MORVEL_FUZZ_TARGETS:-$(tr '\n' ' ' <"$here/fuzz/targets.txt")}

cxx=$(command -v clang++ || command -v clang++-14 || true)
if [ -z "$cxx" ]; then
    echo "fuzz.sh: clang++ is not installed (Debian: clang and libclang-rt-14-dev)" >&2
    exit 1
fi
cmake -S "$here/fuzz" -B "$build" -G Ninja -DCMAKE_CXX_COMPILER="$cxx" >/dev/null
cmake --build "$build"

mkdir -p "$out"
status=0
for t in $targets; do
    mkdir -p "$out/$t"
    inputs=("$here/fuzz/corpus/$t")
    [ -d "$here/fuzz/regressions/$t" ] && inputs+=("$here/fuzz/regressions/$t")
    echo "== $t: ${seconds}s"
    # The first directory is the one libFuzzer writes new inputs to.
    if ! "$build/fuzz_$t" -max_total_time="$seconds" ${MORVEL_FUZZ_RUNS:+-runs=$MORVEL_FUZZ_RUNS} \
            -max_len=2048 -timeout=20 -rss_limit_mb=2048 -print_final_stats=1 \
            -artifact_prefix="$out/crash-$t-" "$out/$t" "${inputs[@]}" 2>"$out/$t.log"; then
        echo "$t: FAILED, see $out/$t.log and $out/crash-$t-*" >&2
        status=1
    fi
    grep -E '^(#[0-9]+[[:space:]]+DONE|stat::number_of_executed_units|stat::average_exec_per_sec)' "$out/$t.log" || true
done
exit $status
