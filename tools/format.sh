#!/usr/bin/env bash
# Checks every C++ source against the house style in .clang-format (Debian's clang-format);
# with --fix, rewrites the sources that differ. Exits non-zero when a source differs.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
mapfile -t sources < <(find bench comkit doctor examples fuzz htmlhelp library portable tests tools winhelp \
                            -type f \( -name '*.cpp' -o -name '*.h' \) | sort)
if [ "${1:-}" = --fix ]; then
    clang-format -i "${sources[@]}"
elif ! clang-format --dry-run -Werror "${sources[@]}" 2>/dev/null; then
    echo "format.sh: these sources differ from .clang-format (tools/format.sh --fix rewrites them):" >&2
    for f in "${sources[@]}"; do clang-format "$f" | cmp -s - "$f" || echo "  $f" >&2; done
    exit 1
fi
