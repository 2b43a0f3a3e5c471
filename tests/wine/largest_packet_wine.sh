#!/usr/bin/env bash
# Inside mtu_namespace.sh: the largest-packet search of the Windows build, under Wine, to the far
# end of a link of MTU bytes:
#   mtu_namespace.sh MTU largest_packet_wine.sh MTU icmp_df_probe.exe
# Passes when the search finds MTU exactly. Wine 8's IcmpSendEcho leaves the "don't fragment"
# flag out of the packets it sends, so the kernel splits a larger echo and the far end answers
# it; then the test passes only on proof of exactly that: an echo one byte over the link's limit,
# sent with the flag, answered, the kernel's count of fragments made gone up, and the search
# reporting the size cap. Anything else fails.
set -euo pipefail
mtu=$1
probe=$2
wine_exec=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)/scripts/wine-exec
frags() { awk '/^Ip:/ { if (!h) { for (i = 1; i <= NF; i++) if ($i == "FragCreates") c = i; h = 1 } else print $c }' /proc/net/snmp; }

before=$(frags)
over=$("$wine_exec" "$probe" "$ZEPHYR_FAR_ADDRESS" $((mtu - 27)) | tr -d '\r')
after=$(frags)
found=$("$wine_exec" "$probe" "$ZEPHYR_FAR_ADDRESS" --find | tr -d '\r')
echo "$over"
echo "$found"
echo "fragments the kernel made for the echo over the limit: $((after - before))"
if grep -qx "mtu $mtu" <<<"$found"; then
  echo "PASS: Wine honours \"don't fragment\"; the search finds $mtu"
  exit 0
fi
if grep -q ", answered$" <<<"$over" && ((after > before)) && grep -qx "mtu 65535" <<<"$found"; then
  echo "PASS (known limit): Wine's ICMP ignores \"don't fragment\": the echo over the $mtu-byte" \
       "link was split and answered, so the search reaches the size cap"
  exit 0
fi
echo "FAIL: the search over a $mtu-byte link did not find $mtu, and Wine's behaviour is not the known one"
exit 1
