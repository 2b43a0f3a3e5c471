#!/usr/bin/env bash
# The smoke suite: the few end-to-end checks that tell whether a build of zephyrnet.exe works at
# all, run on the exe that ships. Starts it to its main window and opens every panel from the
# menu; applies "Automatic-C" and restores a backup as Windows 98 and as Windows XP, each value
# compared with what the driver's own copy of the tuning engine plans; pings 127.0.0.1 and waits
# for the panel's line; shows the Windows 98 balloon and waits for it to go; checks the memory
# figures against the machine's whole memory (above 4 GB here).
#
#   smoke.sh DRIVER_DIR [EXE]
#
# DRIVER_DIR holds the end-to-end drivers (shell_e2e.exe, panels_e2e.exe, tray_notice_e2e.exe).
# EXE, when given, is copied beside them as the program under test: that is how 64-bit drivers
# drive the shipped 32-bit exe where only the program itself can run emulated. Prints how long
# each check and the whole suite took.
set -uo pipefail
drivers=$(cd "${1:?usage: smoke.sh DRIVER_DIR [EXE]}" && pwd)
exe=${2:-}
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
source "$root/scripts/wine-env"
[[ -n ${DISPLAY:-} ]] || start_private_display
ensure_wine_prefix

if [[ -n $exe ]]; then
  run=$drivers/../smoke-bin
  rm -rf "$run"
  mkdir -p "$run"
  cp "$drivers"/{shell_e2e,panels_e2e,tray_notice_e2e}.exe "$run/"
  cp "$exe" "$run/zephyrnet.exe"
  for file in "speed up.swf" RZephyrnetMask.skn Ping.wav low-memory.wav; do
    cp "$(dirname "$exe")/$file" "$run/"
  done
  drivers=$run
fi
kind=$(file -b "$drivers/zephyrnet.exe" | grep -q '^PE32+' && echo "64-bit build" || echo "shipped 32-bit build")
echo "smoke suite: $kind ($drivers/zephyrnet.exe), drivers $(file -b "$drivers/panels_e2e.exe" | grep -q '^PE32+' && echo 64-bit || echo 32-bit), route $(zephyr_route)"

# An emulated program is ten to a hundred times slower: its waits get ten minutes each.
[[ $(zephyr_route) == qemu-user ]] && export ZEPHYR_WAIT_LIMIT_MS=600000

failures=0
results=()
smoke() {  # smoke WHAT DRIVER ARGS...
  local what=$1 driver=$2 start=$SECONDS
  shift 2
  if wine_run "$drivers/$driver" --gtest_brief=1 "$@"; then
    results+=("$(printf 'ok   %-74s %4ds' "$what" $((SECONDS - start)))")
  else
    results+=("$(printf 'FAIL %-74s %4ds' "$what" $((SECONDS - start)))")
    failures=$((failures + 1))
  fi
}

started=$SECONDS
smoke "main window; every menu command shows its panel" shell_e2e.exe \
  --gtest_filter=RunningProgram.MovieButtonsShowEachPanelInTheFrameAtItsSize
for version in win98 winxp; do
  smoke "Automatic-C applied, a backup restored, as $version" panels_e2e.exe --as=$version \
    --gtest_filter='Panels.WizardAutomaticC*:Panels.AutomaticCIsRestored*'
done
if [[ $(zephyr_route) == qemu-user ]]; then
  # Emulated, the memory status the program is given is nonsense (a free share of 652 % was
  # seen, with qemu-i386 7.2 on a 24 GB machine), so its figures are not checked there.
  smoke "a loopback ping answered and its line shown" panels_e2e.exe \
    --as=winxp --gtest_filter='Panels.PingerManualLoopback*'
  echo "smoke suite: the memory figures are not checked emulated: qemu-i386 misreports the memory status"
else
  smoke "a loopback ping answered and its line shown; memory figures; Optimize Now" panels_e2e.exe \
    --as=winxp --gtest_filter='Panels.PingerManualLoopback*:Panels.SystemStatusGraphs*'
fi
smoke "the Windows 98 balloon shown and gone after its time" tray_notice_e2e.exe --as=win98

printf '\nsmoke suite on the %s, route %s:\n' "$kind" "$(zephyr_route)"
printf '%s\n' "${results[@]}"
echo "smoke suite: $((${#results[@]} - failures)) passed, $failures failed in $((SECONDS - started)) s"
((failures == 0))
