#!/usr/bin/env bash
# Runs a command in a network namespace of its own, where only loopback exists and the kernel
# ignores echo requests, so an echo to 127.0.0.1 goes unanswered and nothing leaves the machine:
#   quiet_network.sh COMMAND [ARGS...]          (exits 77, "skipped", where it cannot)
# Wine runs in a prefix of its own there (build/wine-quiet-network): its network driver process
# must live in the namespace, not in a Wine session started outside it.
set -euo pipefail
if [[ ${ZEPHYR_QUIET_NETWORK:-} != 1 ]]; then
  export ZEPHYR_QUIET_NETWORK=1
  here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
  export ZEPHYR_WINEPREFIX=${ZEPHYR_QUIET_WINEPREFIX:-$here/../../build/wine-quiet-network}
  if [[ $(id -u) -eq 0 ]]; then
    namespace=(unshare --net)
  else
    namespace=(unshare --user --map-root-user --net)
  fi
  # Where no namespace can be made (no root, user namespaces off) the test cannot run: skipped.
  if ! "${namespace[@]}" true 2>/dev/null; then
    echo "quiet_network: cannot make a network namespace here; skipped" >&2
    exit 77
  fi
  exec "${namespace[@]}" "$0" "$@"
fi
ip link set lo up
sysctl -q -w net.ipv4.icmp_echo_ignore_all=1
exec "$@"
