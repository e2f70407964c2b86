#!/usr/bin/env bash
# Installs the Debian packages the build and the tests need, when they are missing.
# Idempotent: a machine that has everything is left untouched.
set -euo pipefail

packages=(cmake ninja-build g++ googletest fp-utils
          wine wine32:i386 wine64 g++-mingw-w64-i686 g++-mingw-w64-x86-64 mingw-w64-tools libwine-dev
          xvfb xauth x11-utils imagemagick
          clang libclang-rt-14-dev clang-format
          msitools wixl cmark libchm-bin python3 locales chromium)

missing=()
for p in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
        missing+=("$p")
    fi
done
# The run under code page 932 needs the system's ja_JP.UTF-8 locale: without it Wine still
# takes 932 from LC_ALL, but its Unix side can no longer spell Cyrillic or CJK file names.
japanese=ja_JP.UTF-8
locale -a 2>/dev/null | grep -qix 'ja_JP\.utf-\?8' && japanese=
[ ${#missing[@]} -eq 0 ] && [ -z "$japanese" ] && exit 0

if [ "$(id -u)" -ne 0 ]; then
    [ ${#missing[@]} -eq 0 ] || echo "Missing Debian packages: ${missing[*]}" >&2
    [ -z "$japanese" ] || echo "Missing locale: $japanese" >&2
    echo "Run this script as root to install them, or install them yourself." >&2
    exit 1
fi

if [ ${#missing[@]} -gt 0 ]; then
    echo "Installing: ${missing[*]}"
    export DEBIAN_FRONTEND=noninteractive
    if ! dpkg --print-foreign-architectures | grep -qx i386; then
        dpkg --add-architecture i386
    fi
    apt-get update -qq
    apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi
if [ -n "$japanese" ]; then
    echo "Generating the locale $japanese"
    grep -qx "$japanese UTF-8" /etc/locale.gen || echo "$japanese UTF-8" >>/etc/locale.gen
    locale-gen >/dev/null
fi
