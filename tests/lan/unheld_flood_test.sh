#!/usr/bin/env bash
# Never mute toward everyone. Host 2 forges entries of about 120 bytes (no
# smaller than the answer) from an address of our network that no host holds
# (no one answers the kernel's neighbour query), a new source port each,
# 1,000 a second for 15 s: every answer to it would wait in the kernel's
# queue for that neighbour, charged to the program's one UDP socket. Meanwhile
# the listed peer of host 3 sends 6 messages, each resent every second until
# its receipt (five tries), and newcomers of host 4 (a new port every 500 ms)
# send their entries: every message receipted and every newcomer answered.
# Then the same while 2,000 entries a second come from every address of the
# network in turn (most of them unheld). A quarter of the rates in the
# sanitizer build. Prints the receipts, the answers,
# the refusals and the failed sends the event log counted.
set -u
kwel=$1
peer=$2
here=$(cd "$(dirname "$0")" && pwd)
. "$here/lanlib.sh"
LAN=kwu$$
lan_test_begin 4
work=$LAN_WORK
A1=$(lan_addr 1); A3=$(lan_addr 3)
unheld=$(lan_addr 200)
events=$work/kwel1.events
lan_start_copy "$kwel" 1 1

mkfifo "$work/real.in"
(lan_in_host 3 "$peer" --name real <"$work/real.in" >"$work/real.out" 2>&1) &
real=$!
LAN_PIDS+=("$real")
exec 3>"$work/real.in"
printf 'announce\nwait ADDED %s 20\n' "$A1" >&3
lan_wait_line "$events" "ADDED $A3 2425 " 30 || lan_fail "the listed peer was not listed"

receipted() { awk -v p="$1" '$1 == "RECEIPT" && $2 == p { print $3 }' "$work/real.out" | sort -u | wc -l; }
# One round: the flood (host 2: FIRST COUNT RATE), 3 s in, the listed peer's
# 6 messages and the newcomers; returns when all are done.
round() {
  local name=$1 first=$2 count=$3 rate=$4 flooder timer i
  printf 'attack %s unheldflood %s %s 15 %s\nexit\n' "$A1" "$first" "$count" "$rate" \
    | (lan_in_host 2 "$peer" --name "$name" >"$work/$name.out" 2>&1) &
  flooder=$!
  lan_wait_line "$events" "REFUSED send-unresolved " 10 || lan_fail "$name: nothing toward the unheld addresses was held back"
  sleep 2
  printf 'attack %s entrytime 8\nexit\n' "$A1" | (lan_in_host 4 "$peer" --name "new$name" >"$work/new$name.out" 2>&1) &
  timer=$!
  for i in 1 2 3 4 5 6; do printf 'sendretry %s %s-%s\nsleep 300\n' "$A1" "$name" "$i" >&3; done
  printf 'count done-%s 0\n' "$name" >&3
  wait "$timer" || lan_fail "$name: the newcomers did not run"
  wait "$flooder" || lan_fail "$name: the flood did not run"
  # Each message had its tries (or its receipt) once the peer goes on.
  lan_wait_line "$work/real.out" "# count done-$name 0" 60 || lan_fail "$name: the listed peer did not finish"
}

# The sanitizer build reads a quarter of the normal build's datagrams in the
# same time: the floods come at a quarter of the rates there.
one_rate=1000 range_rate=2000
[ -z "${KWEL_SANITIZED:-}" ] || { one_rate=250; range_rate=500; }
for round in "one $unheld 1 $one_rate" "range $(lan_addr 2) 253 $range_rate"; do
  read -r name first count rate <<<"$round"
  round "$name" "$first" "$count" "$rate"
  got=0
  for i in 1 2 3 4 5 6; do grep -q "^MESSAGE $A3 [0-9]* $name-$i\$" "$events" && got=$((got + 1)); done
  tries=$(awk '$1 == "ENTRYTIME" { print $3 }' "$work/new$name.out")
  answered=$(awk '$1 == "ENTRYTIME" { print $5 }' "$work/new$name.out")
  worst=$(awk '$1 == "ENTRYTIME" { print $7 }' "$work/new$name.out")
  echo "FIGURE $name: $(awk '$1 == "UNHELDFLOOD" { print $3 " entries, " $5 " bytes" }' "$work/$name.out") from $count address(es) from $first at $rate a second; the listed peer's messages shown $got of 6, receipted $(receipted "$A1") in all; newcomers answered ${answered:-0} of ${tries:-0}, the slowest in ${worst:--} ms"
  echo "FIGURE $name: refused send-unresolved $(grep -c '^REFUSED send-unresolved ' "$events"), failed sends counted $(awk '$1 == "SENDFAILED" { n += $2 } END { print n + 0 }' "$events") in $(grep -c '^SENDFAILED ' "$events") lines"
  [ "$got" -eq 6 ] || lan_fail "$name: the listed peer's messages shown $got of 6"
  [ "${answered:-0}" -eq "${tries:-1}" ] || lan_fail "$name: newcomers answered $answered of $tries"
done
[ "$(receipted "$A1")" -eq 12 ] || lan_fail "the listed peer got receipts for $(receipted "$A1") of its 12 messages"
printf 'exit\n' >&3
exec 3>&-
wait "$real" || lan_fail "the listed peer failed"
kill -TERM "$kwel_pid"
wait "$kwel_pid" || lan_fail "the program ended badly"
echo "PASS: a flood toward unheld addresses keeps no listed peer and no newcomer from its answers"
