#!/usr/bin/env bash
# OS identification on every Windows version Wine can pretend to be: the probe, run as each
# version, must report that version's OS code and name.
set -euo pipefail
probe=$1
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)

declare -A expected=(
  [win95]="2 Windows 95"
  [win98]="3 Windows 98"
  [winme]="4 Windows ME"
  [nt40]="5 Windows NT"
  [win2k]="6 Windows 2000"
  [winxp]="7 Windows XP"
  [win7]="7 Windows XP or later"
)

failed=0
for v in win95 win98 winme nt40 win2k winxp win7; do
  got=$("$here/run_as.sh" "$v" "$probe" 2>/dev/null | tr -d '\r')
  if [[ $got == "${expected[$v]}" ]]; then
    echo "ok   $v: $got"
  else
    echo "FAIL $v: expected '${expected[$v]}', got '$got'"
    failed=1
  fi
done
exit $failed
