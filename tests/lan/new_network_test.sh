#!/usr/bin/env bash
# Our networks follow the interfaces while the program runs. Host 1 gets the
# address 10.99.0.1/24 after start; at once a forger in host 3 sends entries,
# an information request and a read notice "from" the new network's broadcast
# and network addresses (10.99.0.255, 10.99.0.0): all dropped (REFUSED
# source-address), none listed, nothing sent there (a listener in host 2,
# on 10.99.0.2, would hear the link-layer broadcast).
# Then a plain IP Messenger peer with short names on that new network (host 3,
# 10.99.0.3) sends its one entry, of about 20 bytes: our names are 48 bytes
# each, so the answer is several times the entry and the answer budget would
# refuse it toward an address off our networks. The new network is ours: the
# entry is answered within 2 s and the peer's message receipted.
set -u
kwel=$1
peer=$2
here=$(cd "$(dirname "$0")" && pwd)
. "$here/lanlib.sh"
LAN=kwv$$
lan_test_begin 3
work=$LAN_WORK
A1=$(lan_addr 1)
events=$work/kwel1.events

ini="$work/h1/.config/TARPELON/Kwel.ini"
mkdir -p "$(dirname "$ini")"
printf 'NICKNAMESTR_STR=%s\nGROUPNAMESTR_STR=%s\n' "$(printf 'N%.0s' $(seq 1 48))" "$(printf 'G%.0s' $(seq 1 48))" >"$ini"
lan_start_copy "$kwel" 1 1
ip -n "$LAN-2" addr add 10.99.0.2/24 dev eth0
printf 'attack %s sink 41500 1 4\nexit\n' "$A1" | (lan_in_host 2 "$peer" --name listener >"$work/sink.out" 2>&1) &
sink=$!
sleep 0.5
ip -n "$LAN-1" addr add 10.99.0.1/24 dev eth0 || lan_fail "the address was not added"
printf 'attack %s fromaddr 10.99.0.255 41500\nattack %s fromaddr 10.99.0.0 41500\nexit\n' "$A1" "$A1" \
  | (lan_in_host 3 "$peer" --name forger >"$work/forger.out" 2>&1) || lan_fail "the forged sources were not sent"
wait "$sink" || lan_fail "the listener did not run"
refused=$(grep -c '^REFUSED source-address 10\.99\.0\.\(255\|0\)$' "$events")
heard=$(awk '$1 == "SINK" { print $5 }' "$work/sink.out")
echo "FIGURE entries from the broadcast and network addresses of a network added after start: $refused of 6 datagrams refused, $heard answers heard"
grep -q '^ADDED 10\.99\.0\.' "$events" && lan_fail "a forged source of the new network was listed"
[ "$refused" -eq 6 ] || lan_fail "only $refused of the 6 datagrams were refused"
[ "${heard:-1}" -eq 0 ] || lan_fail "$heard answers went to the new network's broadcast address"
# The plain peer's address sent nothing before its entry (no exit
# announcement either: the scripted peer ends without one).
ip -n "$LAN-3" addr add 10.99.0.3/24 dev eth0
printf 'attack 10.99.0.1 plainchat short\n' | (lan_in_host 3 "$peer" --plain --name plain >"$work/plain.out" 2>&1) \
  || lan_fail "the plain peer did not run"
read -r _ _ entry _ receipt < <(grep '^PLAINCHAT ' "$work/plain.out")
echo "FIGURE plain peer 10.99.0.3 on the network added while running: entry answered ${entry:-?}, receipt in ${receipt:-?} ms; refused toward it: $(grep -c '^REFUSED answer-budget 10\.99\.0\.3$' "$events")"
[ "${entry:-N}" = Y ] || lan_fail "the plain peer's entry from the new network went unanswered"
[ "${receipt:--1}" -ge 0 ] || lan_fail "the plain peer's message was not receipted"
kill -TERM "$kwel_pid"
wait "$kwel_pid" || lan_fail "the program ended badly"
echo "PASS: a network added while running is known before its next datagram, and its plain peers are answered"
