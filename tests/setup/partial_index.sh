#!/usr/bin/env bash
# scripts/setup against a package manager that fails as a mirror in mid-sync does: the update
# cannot fetch one suite's i386 list, the first install of the 32-bit Wine is refused. Setup must
# warn, install the rest, try the 32-bit Wine once more with that suite held back, and, where even
# that fails, say so in one line and still succeed. apt-get, dpkg and dpkg-query are fakes here.
set -uo pipefail
setup=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)/scripts/setup
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir "$work/bin"

cat >"$work/bin/apt-get" <<'FAKE'
#!/usr/bin/env bash
echo "apt-get $*" >>"$FAKE_LOG"
case $1 in
  update)
    echo "Err:6 http://deb.example/debian-security bookworm-security/main i386 Packages"
    echo "E: Failed to fetch http://deb.example/.../binary-i386/Packages.xz  File has unexpected size (374820 != 376004). Mirror sync in progress?"
    echo "E: Some index files failed to download. They have been ignored, or old ones used instead."
    exit 100 ;;
  install)
    if [[ " $* " == *" wine32:i386 "* ]]; then
      pinned=
      for arg; do [[ $arg == Dir::Etc::PreferencesParts=* ]] && pinned=${arg#*=}; done
      if [[ -n $pinned && $FAKE_PIN_HELPS == yes ]]; then
        cat "$pinned"/* >>"$FAKE_LOG"; exit 0
      fi
      echo "E: Unable to correct problems, you have held broken packages."; exit 100
    fi
    exit 0 ;;
esac
FAKE
printf '#!/bin/sh\nexit 1\n' >"$work/bin/dpkg-query"
printf '#!/bin/sh\necho i386\n' >"$work/bin/dpkg"
chmod +x "$work/bin/"*

failures=0
expect() {  # expect WHAT FILE PATTERN
  if grep -qE -- "$3" "$2"; then echo "ok   $1"; else echo "FAIL $1"; failures=$((failures + 1)); fi
}

for helps in yes no; do
  export FAKE_LOG=$work/apt-$helps.log FAKE_PIN_HELPS=$helps
  : >"$FAKE_LOG"
  if ! PATH=$work/bin:$PATH bash "$setup" 2>"$work/out-$helps" </dev/null; then
    echo "FAIL setup exits non-zero when the pin does not help=$helps"; failures=$((failures + 1))
  fi
  expect "the failed list is a warning ($helps)" "$work/out-$helps" 'warning: some package lists'
  expect "the failed list is named ($helps)" "$work/out-$helps" 'Mirror sync in progress'
  expect "the native packages are installed ($helps)" "$FAKE_LOG" 'install .* cmake'
  expect "the 32-bit Wine is tried again ($helps)" "$FAKE_LOG" 'PreferencesParts=.* wine32:i386'
done
expect "the retry holds the suite without an i386 list back" "$work/apt-yes.log" 'Pin: release n=bookworm-security'
if grep -q 'could not be installed' "$work/out-yes"; then
  echo "FAIL a retry that worked is reported as a failure"; failures=$((failures + 1))
fi
expect "a 32-bit Wine that cannot be had is told in one line" "$work/out-no" \
  'the 32-bit Wine \(wine32:i386\) could not be installed .*64-bit build only'
((failures == 0)) && echo "setup survives a partial package index"
exit $((failures > 0))
