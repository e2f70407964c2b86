#!/usr/bin/env bash
# Runs one client script under the platform's script host (cscript) in the private
# prefix; the script reports failures through its exit code.
# Usage: run-script.sh <wine-run.sh> <script.vbs|script.js>
set -euo pipefail
wine_run=$1 script=$2
exec "$wine_run" cscript //nologo "Z:${script//\//\\}"
