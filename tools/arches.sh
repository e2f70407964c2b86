# Sourced by tools/test.sh and tools/demo.sh: which Windows builds this machine makes and
# which of their suites it can run.
#
#   MORVEL_ARCHES   the Windows builds to make and test, any of "win32 win64" (spaces or
#                   commas). Unset: both are built; the x64 suite always runs, the x86
#                   suite where this machine runs 32-bit code.
#
# Some x86-64 kernels refuse every 32-bit program, and no mode of Wine runs x86 code
# there; the x64 build and its suite work everywhere, because no build step runs 32-bit
# code. Sets: morvel_builds (to make), morvel_runs (to test), morvel_skip_note (a line
# saying why the x86 suite does not run, or empty).

morvel_runs_32bit() {
    # The 32-bit Wine loader is itself a 32-bit program: if it starts, x86 code runs here.
    [ -x /usr/lib/wine/wine ] && /usr/lib/wine/wine --version >/dev/null 2>&1
}

morvel_pick_arches() {
    local requested=${MORVEL_ARCHES:-}
    requested=${requested//,/ }
    morvel_builds=() morvel_runs=() morvel_skip_note=
    if [ -z "$requested" ]; then
        morvel_builds=(win64 win32)
        morvel_runs=(win64)
        if morvel_runs_32bit; then
            morvel_runs+=(win32)
        else
            morvel_skip_note="x86 suite not run: this machine cannot run 32-bit code (the 32-bit Wine loader does not start); the x86 build was made, but not tested."
        fi
        return 0
    fi
    local arch
    for arch in $requested; do
        case $arch in
        win32)
            if ! morvel_runs_32bit; then
                echo "MORVEL_ARCHES asks for win32, but this machine cannot run 32-bit code (the 32-bit Wine loader does not start)." >&2
                return 1
            fi ;;
        win64) ;;
        *) echo "MORVEL_ARCHES: unknown build '$arch' (use win32, win64 or both)" >&2; return 1 ;;
        esac
        morvel_builds+=("$arch")
        morvel_runs+=("$arch")
    done
    case " ${morvel_runs[*]} " in
    *" win32 "*) ;;
    *) morvel_skip_note="x86 suite not run: MORVEL_ARCHES=${MORVEL_ARCHES} leaves it out." ;;
    esac
}

# The toolchain file of a build.
morvel_toolchain() {
    case $1 in
    win32) echo cmake/mingw-i686.cmake ;;
    win64) echo cmake/mingw-x86_64.cmake ;;
    esac
}

# Configures the build tree of a Windows build: morvel_configure <arch> <source-root>.
morvel_configure() {
    cmake -S "$2" -B "$2/build/$1" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$2/$(morvel_toolchain "$1")"
}

morvel_describe() {
    case $1 in
    win32) echo "x86 (32-bit Wine, win32 prefix)" ;;
    win64) echo "x64 (wine64, win64 prefix)" ;;
    esac
}
