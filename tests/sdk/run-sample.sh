#!/usr/bin/env bash
# Builds one C++ sample of an SDK folder as its build note says, from the samples folder
# with only the SDK's include folder on the path, then runs it under Wine against the
# registered library. The program goes to <output folder>: the SDK folder stays as shipped.
# Usage: run-sample.sh <c++ compiler> <sdk folder> <wine-run.sh> <sample.cpp> <output folder> [args...]
set -euo pipefail
cxx=$1 sdk=$2 wine_run=$3 sample=$4 out=$5
shift 5
mkdir -p "$out"
exe="$out/${sample%.cpp}.exe"
sources=("$sample")
# The vtable client links the library's GUIDs; the late-bound one needs nothing of the SDK.
grep -q "Morvel10.h" "$sdk/samples/$sample" && sources+=(../include/Morvel10_i.c)
# A sample entered through wmain takes its arguments wide.
flags=()
grep -q "wmain" "$sdk/samples/$sample" && flags+=(-municode)
cd "$sdk/samples"
"$cxx" -std=c++17 -O2 -Wall -Wextra -Werror "${flags[@]}" -I../include "${sources[@]}" \
    -static -lole32 -loleaut32 -luuid -o "$exe"
"$wine_run" "$exe" "$@"
