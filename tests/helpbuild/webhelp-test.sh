#!/usr/bin/env bash
# The web help of the SDK's sample and of the German and Russian helps, made by helpbuild
# and opened in headless Chromium: every contents entry, every context id, and a search
# for a word of each language.
# Usage: webhelp-test.sh <source-dir> <work-dir> <cmark>
set -euo pipefail
source=$1; work=$2; cmark=$3
rm -rf "$work"; mkdir -p "$work"
build() { python3 "$source/helpbuild/helpbuild.py" "$source/$1" "$work/$2" --cmark "$cmark" --no-chm; }
check() { python3 "$source/tests/helpbuild/check-webhelp.py" "$work/$1/web" "${@:2}"; }
build examples/sdk/help/Sample.helpproject sample
build tests/data/help-de/Hilfe.helpproject de
build tests/data/help-ru/Spravka.helpproject ru
check sample --search autosave --expect options.htm
check de --search Größe --expect groesse.htm
check ru --search Настройки --expect settings.htm
echo "web help: every check passed"
