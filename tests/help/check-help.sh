#!/usr/bin/env bash
# Checks a compiled help file as a reader sees it: unpacks it with chmlib's extract_chmLib
# (Debian package libchm-bin), then checks that every panel and topic has its page, that the
# contents and the index point at pages inside the file, and that every link and picture of every
# page resolves inside the file.
#
#   tests/help/check-help.sh ZephyrnetHelp.chm
set -euo pipefail
chm=${1:?usage: check-help.sh FILE.chm}
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
extract_chmLib "$chm" "$out" >/dev/null

failures=0
fail() { echo "help: $*" >&2; failures=$((failures + 1)); }

# One page per panel, and the topics every user of the program asks about.
for page in index main-window wizard-mode advanced-mode backup-manager net-pinger \
            ram-configuration system-status main-settings administrator-rights backup-format \
            install; do
  [[ -f $out/$page.html ]] || fail "no page $page.html"
done
grep -q 'Default topic\|index.html' <(strings "$out/#SYSTEM" 2>/dev/null || true) ||
  fail "no default topic in #SYSTEM"

# Every target of the contents, the index and the pages' links and pictures.
check_target() {
  local from=$1 target=$2
  target=${target%%#*}
  [[ -z $target || $target == mailto:* || $target == http*:* ]] && return 0
  [[ -f $out/$target ]] || fail "$from points at $target, which is not in the help file"
}
for list in toc.hhc index.hhk; do
  [[ -f $out/$list ]] || { fail "no $list"; continue; }
  count=0
  while IFS= read -r target; do
    check_target "$list" "$target"
    count=$((count + 1))
  done < <(grep -o 'name="Local" value="[^"]*"' "$out/$list" | sed 's/.*value="//; s/"$//')
  ((count > 0)) || fail "$list lists no page"
done
for page in "$out"/*.html; do
  while IFS= read -r target; do
    check_target "$(basename "$page")" "$target"
  done < <(grep -o -i '\(href\|src\)="[^"]*"' "$page" | sed 's/^[^"]*"//; s/"$//')
done
# Every page is in the contents, so none is reachable only by chance.
for page in "$out"/*.html; do
  grep -q "value=\"$(basename "$page")\"" "$out/toc.hhc" || fail "$(basename "$page") is not in the contents"
done

pages=$(find "$out" -name '*.html' | wc -l)
if ((failures)); then
  echo "help: $failures problem(s) in $chm" >&2
  exit 1
fi
echo "help: $pages pages, every panel has its page, every link resolves"
