#!/usr/bin/env bash
# A private LAN of network namespaces for the multi-host tests: hosts
# $LAN-1..$LAN-N on one bridge (10.213.<net>.1..N/24). Nothing leaves the
# machine: the hosts have no route but their own switch.

lan_can_run() {
  [ "$(id -u)" -eq 0 ] && command -v ip >/dev/null && ip netns list >/dev/null 2>&1
}

lan_addr() { echo "10.213.$LAN_NET.$1"; }

lan_up() {
  local n=$1 i h
  LAN=${LAN:-kwt$$}
  LAN_NET=${LAN_NET:-$(( ($$ % 200) + 20 ))}
  ip netns add "$LAN-sw"
  ip -n "$LAN-sw" link set lo up
  ip -n "$LAN-sw" link add br0 type bridge
  ip -n "$LAN-sw" link set br0 up
  for i in $(seq 1 "$n"); do
    h="$LAN-$i"
    ip netns add "$h"
    ip -n "$h" link set lo up
    ip link add "kw$$-$i" type veth peer name eth0 netns "$h"
    ip link set "kw$$-$i" netns "$LAN-sw"
    ip -n "$LAN-sw" link set "kw$$-$i" master br0 up
    ip -n "$h" addr add "$(lan_addr "$i")/24" brd + dev eth0
    ip -n "$h" link set eth0 up
    ip -n "$h" route add default dev eth0
  done
}

lan_exec() { local i=$1; shift; ip netns exec "$LAN-$i" "$@"; }

lan_down() {
  local ns
  for ns in $(ip netns list | awk '{print $1}' | grep -E "^$LAN-([0-9]+|sw)\$" || true); do
    ip netns pids "$ns" 2>/dev/null | xargs -r kill -9 2>/dev/null || true
    ip netns del "$ns"
  done
}
