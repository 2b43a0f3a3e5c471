#!/usr/bin/env bash
# Runs a Windows program under Wine as a given Windows version:
#   run_as.sh VERSION PROGRAM.exe [ARGS...]      (VERSION: win95 win98 winme nt40 win2k winxp win7)
# Wine sets versions per program name, so the program is copied under a name of its own
# (NAME_VERSION.exe, beside it in a "versions" folder) and that name gets
# HKCU\Software\Wine\AppDefaults\NAME_VERSION.exe\Version.
set -euo pipefail
if [[ -z ${DISPLAY:-} ]]; then
  exec xvfb-run -a -s "-screen 0 1024x768x24" "$0" "$@"
fi
version=$1
program=$2
shift 2
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
source "$here/../../scripts/wine-env"
ensure_wine_prefix

work=$(dirname "$program")/versions
mkdir -p "$work"
name=$(basename "$program" .exe)_$version.exe
cp "$program" "$work/$name"
regfile=$work/$name.reg
printf 'REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\Software\\Wine\\AppDefaults\\%s]\r\n"Version"="%s"\r\n' \
  "$name" "$version" >"$regfile"
wine_tool regedit /S "$(wine_tool winepath -w "$regfile" 2>/dev/null)" >/dev/null 2>&1
wine_wait
wine_run "$work/$name" "$@"
