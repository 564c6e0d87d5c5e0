#!/usr/bin/env bash
# A send that fails for its destination drops nothing queued. Host 1 has no
# default route: an answer to an entry from another subnet (192.168.77.5,
# forged by the peer of host 2) fails at once. Three times the entry, and at
# once behind it 30 messages of the listed peer, all waiting in the socket
# when the program reads the entry: every message receipted.
set -u
kwel=$1
peer=$2
here=$(cd "$(dirname "$0")" && pwd)
. "$here/lanlib.sh"
LAN=kwg$$
lan_test_begin 2
work=$LAN_WORK
A1=$(lan_addr 1); A2=$(lan_addr 2)
events=$work/kwel1.events
far=192.168.77.5

lan_exec 1 ip route del default || lan_fail "host 1 keeps its default route"
lan_start_copy "$kwel" 1 1
lan_fifo_peer 2 "$peer" real
real=$fifo_peer_pid
printf 'announce\nwait ADDED %s 20\n' "$A1" >&3
lan_wait_line "$events" "ADDED $A2 2425 " 30 || lan_fail "the peer was not listed"

receipts() { grep -c '^RECEIPT ' "$work/real.out"; }
for round in 1 2 3; do
  # The program is held while they arrive, so that all 31 wait in its
  # socket when it reads the entry (as on a busy machine).
  kill -STOP "$kwel_pid"
  {
    printf 'attack %s fromaddr %s 2425\n' "$A1" "$far"
    for i in $(seq 1 30); do printf 'send %s round%s-%s\n' "$A1" "$round" "$i"; done
    printf 'waitcount %s RECEIPT 20\n' $((round * 30))
  } >&3
  lan_wait_line "$work/real.out" "# waitcount $((round * 30)) " 30 || { kill -CONT "$kwel_pid"; lan_fail "the peer did not send"; }
  kill -CONT "$kwel_pid"
  for _ in $(seq 1 250); do
    [ "$(receipts)" -ge $((round * 30)) ] && break
    kill -0 "$real" 2>/dev/null || break
    sleep 0.1
  done
  echo "FIGURE round $round: an entry from $far (no route there), then 30 messages: $(receipts) of $((round * 30)) receipted so far"
  [ "$(receipts)" -ge $((round * 30)) ] || lan_fail "messages queued behind the entry from $far were lost"
done
printf 'exit\n' >&3
exec 3>&-
wait "$real" || lan_fail "the peer failed"
kill -TERM "$kwel_pid"
wait "$kwel_pid" || lan_fail "the program ended badly"
echo "PASS: 90 of 90 messages receipted behind sends that found no route"
