#!/usr/bin/env bash
# Datagrams as a damaged or hostile wire brings them. Three times: while the
# program idles, host 3 sends it one datagram whose UDP checksum is wrong (the
# kernel drops it only as the program reads it), and then a peer in host 2
# announces itself and sends a message: the entry is answered, the message
# shown and receipted. An entry from 0.0.0.0 (to 255.255.255.255) and one from
# our network's broadcast address are dropped before anything: never listed,
# never answered (a listener in host 2 would hear the broadcast answer).
set -u
kwel=$1
peer=$2
here=$(cd "$(dirname "$0")" && pwd)
. "$here/lanlib.sh"
LAN=kwd$$
lan_test_begin 3
work=$LAN_WORK
A1=$(lan_addr 1); A2=$(lan_addr 2)
B=$(lan_addr 255)
events=$work/kwel1.events

# A virtual interface trusts every checksum unless told to check it, as a
# real network card's receiver does.
lan_exec 1 ethtool -K eth0 rx off >/dev/null || lan_fail "host 1 cannot check checksums"
lan_start_copy "$kwel" 1 1

# A peer's visit: entry answered, message shown and receipted. Visits are
# seconds apart: a peer's packet numbers start from the clock, and a new run
# within the same seconds would repeat the last run's numbers.
visit() {
  local round=$1
  (lan_in_host 2 "$peer" --name "visitor$round" >"$work/visit$round.out" 2>&1) <<EOT || lan_fail "round $round: the peer's entry or message went unanswered"
announce
wait ADDED $A1 5
send $A1 round $round
wait RECEIPT $A1 5
exit
EOT
  lan_wait_line "$events" "MESSAGE $A2 [0-9]* round $round" 5 || lan_fail "round $round: the message was not shown"
}

# The damaged datagram must be the only one queued: its sender ends without
# announcing its exit.
for round in 1 2 3; do
  printf 'attack %s badsum 1\n' "$A1" | (lan_in_host 3 "$peer" --name damaged >"$work/badsum$round.out" 2>&1) \
    || lan_fail "the damaged datagram was not sent"
  sleep 4
  visit "$round"
  echo "FIGURE round $round: after a datagram with a wrong checksum, the entry answered and the message receipted"
done

# 0.0.0.0 and the broadcast address as sources: dropped, counted, unanswered.
printf 'attack %s sink 41500 1 4\nexit\n' "$A1" | (lan_in_host 2 "$peer" --name listener >"$work/sink.out" 2>&1) &
sink=$!
sleep 0.5
printf 'attack %s zerosource\nattack %s fromaddr %s 41500\nexit\n' "$A1" "$A1" "$B" \
  | (lan_in_host 3 "$peer" --name forger >"$work/forger.out" 2>&1) || lan_fail "the forged sources were not sent"
wait "$sink" || lan_fail "the listener did not run"
lan_wait_line "$events" "REFUSED source-address 0.0.0.0" 5 || lan_fail "the entry from 0.0.0.0 was not refused"
lan_wait_line "$events" "REFUSED source-address $B" 5 || lan_fail "the entry from $B was not refused"
heard=$(awk '$1 == "SINK" { print $5 }' "$work/sink.out")
echo "FIGURE forged sources 0.0.0.0 and $B: refused $(grep -c '^REFUSED source-address' "$events") datagrams, $heard answers heard"
grep -q "^ADDED 0.0.0.0 \|^ADDED $B " "$events" && lan_fail "a forged broadcast source was listed"
[ "${heard:-1}" -eq 0 ] || lan_fail "$heard answers went to the broadcast address"
visit 4
kill -TERM "$kwel_pid"
wait "$kwel_pid" || lan_fail "the program ended badly"
echo "PASS: never deaf, never an answer to a broadcast source"
