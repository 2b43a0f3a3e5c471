#!/usr/bin/env bash
# The installer and uninstaller under Wine, in a prefix of their own (build/wine-installer):
# a silent install puts every file, the Start-menu shortcuts and the uninstall entry in place; the
# installed program starts and shows its menu; its Help command asks the shell to open the
# installed help file; a silent uninstall removes the files, the Run entry and the settings key
# and keeps the Backups folder. Prints how long the install and the uninstall took.
#
#   installer.sh BIN_DIR     BIN_DIR: the build's bin folder (zephyrnet.exe, automate.exe, ...)
#
# The shipped installer is a 32-bit program. Where this machine cannot run 32-bit programs, the
# test packages the 64-bit build in a 64-bit installer made from the same script instead, and
# says so; without makensis it is skipped (exit 77).
set -euo pipefail
bin=$(cd "${1:?usage: installer.sh BIN_DIR}" && pwd)
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
build=$(cd "$bin/.." && pwd)
export ZEPHYR_WINEPREFIX=$build/wine-installer
source "$root/scripts/wine-env"

command -v makensis >/dev/null || { echo "SKIP: makensis is missing (scripts/setup installs nsis)"; exit 77; }
[[ -n ${DISPLAY:-} ]] || start_private_display
if file -b "$bin/zephyrnet.exe" | grep -q '^PE32+'; then
  echo "This machine runs the 64-bit build: the test installs a 64-bit installer made from the"
  echo "same installer script and file list; the 32-bit installer that ships is built, not run."
  kind=(--x64)
else
  kind=()
fi
packages=$(mktemp -d)
trap 'rm -rf "$packages"; stop_private_display' EXIT
"$root/scripts/package" "${kind[@]}" --from "$bin" --out "$packages" >/dev/null
setup=$(ls "$packages"/*-setup.exe)

ensure_wine_prefix
drive_c=$WINEPREFIX/drive_c
if [[ ${#kind[@]} -gt 0 ]]; then program_files="$drive_c/Program Files"; else program_files="$drive_c/Program Files (x86)"; fi
[[ -d $program_files ]] || program_files="$drive_c/Program Files"
installed=$program_files/Zephyrnet
start_menu="$drive_c/ProgramData/Microsoft/Windows/Start Menu/Programs/Zephyrnet"
uninstall_key='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Zephyrnet'
settings_key='HKLM\SOFTWARE\Corvanta\Zephyrnet'
run_key='HKCU\Software\Microsoft\Windows\CurrentVersion\Run'

failures=0
check() {
  local what=$1
  shift
  if "$@" >/dev/null 2>&1; then echo "ok   $what"; else echo "FAIL $what"; failures=$((failures + 1)); fi
}
reg_has() { wine_reg "$bin/zephyrnet.exe" query "$@" >/dev/null 2>&1; }
now_ms() { date +%s%3N; }

# A clean start: nothing left of an earlier run.
rm -rf "$installed" "$start_menu"
wine_reg "$bin/zephyrnet.exe" delete "$uninstall_key" /f >/dev/null 2>&1 || true
wine_wait

started=$(now_ms)
wine_run "$setup" /S
wine_wait
install_ms=$(($(now_ms) - started))

mapfile -t files < <(grep -v '^#' "$root/resources/app-files.txt" | sed '/^[[:space:]]*$/d')
for file in zephyrnet.exe uninstall.exe "${files[@]}"; do
  check "installed $file" test -f "$installed/$file"
done
check "Start-menu shortcut" test -f "$start_menu/Zephyrnet.lnk"
check "uninstall entry" reg_has "$uninstall_key" /v DisplayVersion
check "uninstall entry names its publisher" bash -c "source '$root/scripts/wine-env'; wine_reg '$bin/zephyrnet.exe' query '$uninstall_key' /v Publisher | grep -q Corvanta"
check "no desktop shortcut unless asked for" test ! -e "$drive_c/users/Public/Desktop/Zephyrnet.lnk"

# The installed program: its menu, and its Help command opening the installed help file.
wine_run "$installed/zephyrnet.exe" >/dev/null 2>&1 &
check "the installed program shows its menu" wine_run "$bin/automate.exe" wait flash
check "Help is pressed" wine_run "$bin/automate.exe" press IDC_FS_help
opened=
for _ in $(seq 100); do
  if ps -eo args | grep -i 'hh\.exe' | grep -qi 'Zephyrnet.ZephyrnetHelp\.chm'; then opened=1; break; fi
  sleep 0.2
done
check "Help asks the shell to open the installed help file" test -n "$opened"
wine_run "$bin/automate.exe" press IDC_FS_close >/dev/null 2>&1 || true
"$ZEPHYR_WINESERVER" -k >/dev/null 2>&1 || true
wine_wait

# What the program and the user leave behind: settings, a Run entry, a backup.
wine_reg "$bin/zephyrnet.exe" add "$settings_key\\Settings\\MainSettings" /v chkRunMainProgram /d 1 /f >/dev/null 2>&1
wine_reg "$bin/zephyrnet.exe" add "$run_key" /v Zephyrnet /d "\"C:\\Zephyrnet\\zephyrnet.exe\"" /f >/dev/null 2>&1
mkdir -p "$installed/Backups"
printf '#2026-12-07#\r\n' >"$installed/Backups/001.BCK"
wine_wait

started=$(now_ms)
wine_run "$installed/uninstall.exe" /S
wine_wait
uninstall_ms=$(($(now_ms) - started))

for file in zephyrnet.exe uninstall.exe "${files[@]}"; do
  check "removed $file" test ! -e "$installed/$file"
done
check "removed the Start-menu folder" test ! -e "$start_menu"
check "removed the uninstall entry" bash -c "! source '$root/scripts/wine-env' || ! wine_reg '$bin/zephyrnet.exe' query '$uninstall_key'"
check "removed the settings key" bash -c "! source '$root/scripts/wine-env' || ! wine_reg '$bin/zephyrnet.exe' query '$settings_key'"
check "removed the Run entry" bash -c "! source '$root/scripts/wine-env' || ! wine_reg '$bin/zephyrnet.exe' query '$run_key' /v Zephyrnet"
check "kept the Backups folder" test -f "$installed/Backups/001.BCK"
rm -rf "$installed"

echo "installer $(stat -c %s "$setup") bytes; install ${install_ms} ms, uninstall ${uninstall_ms} ms under Wine"
((failures == 0))
