#!/usr/bin/env bash
# Runs a command in a network namespace of its own joined to a second one by a veth pair whose
# MTU is given, so that the far end (address in $ZEPHYR_FAR_ADDRESS) is reached only over a link
# of that size and nothing leaves the machine:
#   mtu_namespace.sh MTU COMMAND [ARGS...]      (exits 77, "skipped", where it cannot)
# Both namespaces and the pair get names of their own and are deleted when the command ends, also
# when it fails. Wine runs in a prefix of its own (build/wine-mtu-namespace), ended before the
# namespaces go: its network driver process must live in the namespace.
set -euo pipefail
mtu=$1
shift
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
tag=zm$$$((RANDOM % 100))
near=$tag-near
far=$tag-far
export ZEPHYR_WINEPREFIX=${ZEPHYR_MTU_WINEPREFIX:-$here/../../build/wine-mtu-namespace}
export ZEPHYR_FAR_ADDRESS=10.77.0.2

if ! ip netns add "$near" 2>/dev/null; then
  echo "mtu_namespace: 'ip netns' is not permitted here; skipped" >&2
  exit 77
fi
cleanup() {
  # Wine's server and driver processes were started inside the namespace; end them first.
  ip netns exec "$near" env WINEPREFIX="$ZEPHYR_WINEPREFIX" /usr/lib/wine/wineserver64 -k \
    2>/dev/null || true
  ip netns pids "$near" 2>/dev/null | xargs -r kill 2>/dev/null || true
  ip netns del "$near" 2>/dev/null || true
  ip netns del "$far" 2>/dev/null || true
}
trap cleanup EXIT
ip netns add "$far"
ip link add "${tag}a" netns "$near" type veth peer name "${tag}b" netns "$far"
ip -n "$near" link set lo up
ip -n "$far" link set lo up
ip -n "$near" link set "${tag}a" mtu "$mtu" up
ip -n "$far" link set "${tag}b" mtu "$mtu" up
ip -n "$near" addr add 10.77.0.1/30 dev "${tag}a"
ip -n "$far" addr add "$ZEPHYR_FAR_ADDRESS/30" dev "${tag}b"
# Echo requests from ordinary users' datagram sockets as well as from raw ones.
ip netns exec "$near" sysctl -q -w net.ipv4.ping_group_range="0 2147483647"
set +e
ip netns exec "$near" "$@"
status=$?
set -e
exit "$status"
