#!/usr/bin/env bash
# OS identification on every Windows version Wine can pretend to be: the probe is copied once per
# version under its own name, each name gets its Windows version under
# HKCU\Software\Wine\AppDefaults\<exe>\Version, and each copy must report its OS code and name.
set -euo pipefail
if [[ -z ${DISPLAY:-} ]]; then
  exec xvfb-run -a -s "-screen 0 1024x768x24" "$0" "$@"
fi
probe=$1
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
source "$here/../../scripts/wine-env"
ensure_wine_prefix

declare -A expected=(
  [win95]="2 Windows 95"
  [win98]="3 Windows 98"
  [winme]="4 Windows ME"
  [nt40]="5 Windows NT"
  [win2k]="6 Windows 2000"
  [winxp]="7 Windows XP"
  [win7]="7 Windows XP or later"
)
versions=(win95 win98 winme nt40 win2k winxp win7)

work=$(dirname "$probe")/os-versions
mkdir -p "$work"
regfile=$work/appdefaults.reg
{
  printf 'REGEDIT4\r\n\r\n'
  for v in "${versions[@]}"; do
    cp "$probe" "$work/os_probe_$v.exe"
    printf '[HKEY_CURRENT_USER\\Software\\Wine\\AppDefaults\\os_probe_%s.exe]\r\n"Version"="%s"\r\n\r\n' "$v" "$v"
  done
} >"$regfile"
wine_tool regedit /S "$(wine_tool winepath -w "$regfile" 2>/dev/null)" >/dev/null 2>&1
wine_wait

failed=0
for v in "${versions[@]}"; do
  got=$(wine_run "$work/os_probe_$v.exe" 2>/dev/null | tr -d '\r')
  if [[ $got == "${expected[$v]}" ]]; then
    echo "ok   $v: $got"
  else
    echo "FAIL $v: expected '${expected[$v]}', got '$got'"
    failed=1
  fi
done
exit $failed
