#!/usr/bin/env bash
# Compiles the public header of an SDK folder the way clients include it, with the
# build's own compilers and only the SDK's include folder on the path, strict and with
# warnings as errors; then checks that the folder is complete and names no folder of the
# machine that built it.
# Usage: check-header.sh <c++ compiler> <c compiler> <sdk folder> <build folder> <source folder>
set -euo pipefail
cxx=$1 cc=$2 sdk=$3 build=$4 source=$5
here=$(cd "$(dirname "$0")" && pwd)
strict=(-Wall -Wextra -pedantic -Werror -fsyntax-only -I"$sdk/include")
failed=0
try() {
    if "$@"; then echo "compiles: ${*: -1} (${1##*/} ${2})"; else echo "FAILED: $*"; failed=1; fi
}
for standard in c++11 c++17 c++20; do
    try "$cxx" -std=$standard "${strict[@]}" "$here/HeaderAfterWindows.cpp"
done
try "$cxx" -std=c++17 "${strict[@]}" "$here/HeaderAlone.cpp"
try "$cxx" -std=c++17 "${strict[@]}" "$here/HeaderWithHtmlHelp.cpp"
try "$cc" -std=c99 "${strict[@]}" "$here/HeaderAfterWindows.c"
try "$cc" -std=c99 "${strict[@]}" -x c "$sdk/include/Morvel10_i.c"

for file in include/Morvel10.h include/Morvel10_i.c idl/Morvel10.idl lib/Morvel10.tlb README.md \
            samples/Sample.vbs samples/Sample.js samples/Sample.bas samples/VBA.md \
            samples/VtableClient.cpp samples/LateBoundClient.cpp samples/help/Sample.helpproject \
            helpbuild/helpbuild.py helpbuild/chmmend.py; do
    [ -s "$sdk/$file" ] || { echo "FAILED: the SDK has no $file"; failed=1; }
done
if grep -rlF -e "$build" -e "$source" "$sdk"; then
    echo "FAILED: the files above name a folder of this machine"; failed=1
fi
[ "$failed" -eq 0 ] && echo "the SDK header compiles and the folder is complete"
exit "$failed"
