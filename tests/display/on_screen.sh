#!/usr/bin/env bash
# Runs a Windows program under Wine on a private Xvfb screen of a given size:
#   on_screen.sh WIDTHxHEIGHTxDEPTH PROGRAM.exe [ARGS...]
# in a Wine prefix of its own (build/wine-screen-WIDTHxHEIGHTxDEPTH). A Wine session's desktop
# takes the size of the display it was started on, and a program started on another display
# joins that desktop and reports its size as the screen's: a run on a screen of another size
# must not share the suite's prefix, whose session may live on a 1024 x 768 display.
set -euo pipefail
size=$1
shift
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
export ZEPHYR_WINEPREFIX=${ZEPHYR_SCREEN_WINEPREFIX:-$here/../../build/wine-screen-$size}
export ZEPHYR_SCREEN=$size
unset DISPLAY
source "$here/../../scripts/wine-env"
start_private_display
ensure_wine_prefix
wine_run "$@"
