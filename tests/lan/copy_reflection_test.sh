#!/usr/bin/env bash
# Two copies of the program and a forger: every copy must not become a
# reflector toward the other. Host 1 has a head picture, a custom picture, a
# stored chat picture and shares without a password; the copy of host 2 (the
# victim) fetches the pictures when it lists host 1, which challenges it: its
# echo of the challenge its own request provoked still gets them. Then host 3
# forges requests from the victim's address and port, a few a second
# (a stored picture's chunk claiming 8000 chunks, the own pictures, share
# lists, the short answers), and the victim's side counts what it receives
# (its interface's counters): at most four times the bytes that came from
# its address (the forged ones and its own). Prints the figures.
set -u
kwel=$1
peer=$2
here=$(cd "$(dirname "$0")" && pwd)
. "$here/lanlib.sh"
LAN=kwc$$
lan_test_begin 3
work=$LAN_WORK
A1=$(lan_addr 1); A2=$(lan_addr 2)

lan_noise_pictures 1
mkdir -p "$work/share"
for i in $(seq 1 60); do echo "$i" >"$work/share/shared-file-with-a-long-name-$i.txt"; done
lan_start_copies "$kwel" 2
lan_share_files 1 "" "$work"/share/*

# The victim's request, challenged by host 1, completes: both pictures come.
lan_wait_photos 2 30 || lan_fail "the victim did not get the pictures it asked for"

counter() { lan_exec 2 cat "/sys/class/net/eth0/statistics/$1"; }
rx0=$(counter rx_bytes); tx0=$(counter tx_bytes)
forged=0
for round in $(seq 1 5); do
  for kind in "storedpic 5eed5eed" ownpic shares small; do
    # (the forger's own port is not 2425: that one it forges)
    printf 'attack %s:2425 reflect %s 2425 1 %s\nexit\n' "$A1" "$A2" "$kind" \
      | (lan_in_host 3 "$peer" --port 2426 --name forger >"$work/forger.out" 2>&1) || lan_fail "the forger did not run"
    sent=$(awk '$1 == "REFLECT" { print $4 }' "$work/forger.out")
    forged=$((forged + ${sent:-0}))
    sleep 0.25
  done
done
# Until what the program sends the victim has stopped (the acknowledgements
# go at the picture pace).
last=-1
for _ in $(seq 1 60); do
  now=$(counter rx_bytes)
  [ "$now" = "$last" ] && break
  last=$now
  sleep 0.5
done
got=$(( $(counter rx_bytes) - rx0 )); own=$(( $(counter tx_bytes) - tx0 ))
came=$((forged + own))
echo "FIGURE requests forged in a copy's name: $forged bytes forged, $own sent by the victim itself; the victim received $got bytes ($(awk -v g="$got" -v c="$came" 'BEGIN { printf "%.2f", g / c }')x of what came from its address)"
[ "$forged" -gt 0 ] || lan_fail "nothing was forged"
[ "$got" -le $((4 * came)) ] || lan_fail "the victim got more than four times what came from its address"
echo "PASS: a copy is no reflector toward another"
