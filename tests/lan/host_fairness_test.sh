#!/usr/bin/env bash
# The host table's fair share under forged and proven floods.
# 1. 130 addresses of host 2 each echo the challenge and announce 32 ports
#    (4,160 records for a table of 4,096): the real peer of host 3, listed
#    before, stays listed, and a newcomer of host 4 that echoes the challenge
#    is listed: the address that holds the most gives up a record first.
# 2. The table full of forged entries (4,096 at once, then 80 a second), one
#    exit forged for the real peer of host 3: its next messages bring it back
#    on the list within seconds (it answers the introduction they bring), and
#    the messages after get their receipts.
# 3. The table full of forged entries from far addresses, then 3,000 new ones
#    a second (a quarter of that in the sanitizer build): newcomers that echo
#    the challenge 100 ms after it came are listed (the forged senders whose
#    challenge could not go hold no place among the answers waiting for an
#    echo).
# Prints the records, the evictions, the time to the listing and the receipts.
set -u
kwel=$1
peer=$2
here=$(cd "$(dirname "$0")" && pwd)
. "$here/lanlib.sh"
LAN=kwh$$
lan_test_begin 4
work=$LAN_WORK
A1=$(lan_addr 1); A3=$(lan_addr 3); A4=$(lan_addr 4)
listed_records() { echo $(( $(grep -c '^ADDED ' "$1") - $(grep -c '^REMOVED ' "$1") )); }

# The real peer, fed through a pipe for both parts.
lan_fifo_peer 3 "$peer" real
real_pid=$fifo_peer_pid

# ---- 1. proven addresses that hold many records ----
events=$work/kwel1.events
lan_start_copy "$kwel" 1 1
printf 'announce\n' >&3
lan_wait_line "$events" "ADDED $A3 2425 " 30 || lan_fail "the real peer was not listed"
for i in $(seq 100 229); do ip -n "$LAN-2" addr add "$(lan_addr "$i")/24" dev eth0; done
start=$(date +%s%N)
printf 'attack %s fairshare %s 130 32\nexit\n' "$A1" "$(lan_addr 100)" \
  | (lan_in_host 2 "$peer" --name fair >"$work/fair.out" 2>&1) || lan_fail "the proven flood did not run"
took=$(( ($(date +%s%N) - start) / 1000000 ))
read -r _ _ addresses _ echoed _ entries < <(grep '^FAIRSHARE ' "$work/fair.out")
sleep 1
evicted=$(grep -c "^REMOVED $A3 " "$events")
fair_removed=$(grep -c "^REMOVED $(lan_addr 1)[0-9][0-9] \|^REMOVED $(lan_addr 2)[0-9][0-9] " "$events")
echo "FIGURE $addresses proven addresses ($echoed echoed) announced $entries records in $took ms: $(listed_records "$events") records kept, $fair_removed of theirs given up, the real peer removed $evicted times"
[ "${echoed:-0}" -ge 120 ] || lan_fail "only $echoed addresses echoed the challenge"
[ "$evicted" -eq 0 ] || lan_fail "the real peer was evicted"
[ "$fair_removed" -gt 0 ] || lan_fail "the table was never full"
printf 'attack %s echoentry 3\nexit\n' "$A1" | (lan_in_host 4 "$peer" --name newcomer >"$work/newcomer.out" 2>&1) \
  || lan_fail "the newcomer did not run"
read -r _ _ nport _ challenges _ answers < <(grep '^ECHOENTRY ' "$work/newcomer.out")
echo "FIGURE a newcomer that echoes in the full table: challenged $challenges times, entry answers $answers, listed $(grep -c "^ADDED $A4 $nport " "$events") times"
grep -q "^ADDED $A4 $nport " "$events" || lan_fail "the newcomer that echoed was not listed"
[ "${answers:-0}" -ge 1 ] || lan_fail "the newcomer's entry was not answered"
[ "$(grep -c "^REMOVED $A3 " "$events")" -eq 0 ] || lan_fail "the real peer was evicted for the newcomer"
kill -TERM "$kwel_pid"
wait "$kwel_pid" || lan_fail "the program ended badly"

# ---- 2. a forged exit in a table full of forged entries ----
events=$work/kwel2.events
lan_start_copy "$kwel" 2 1
printf 'announce\n' >&3
lan_wait_line "$events" "ADDED $A3 2425 " 30 || lan_fail "the real peer was not listed again"
printf 'attack %s hostfill 4096 80 30\nexit\n' "$A1" | (lan_in_host 2 "$peer" --name fill >"$work/fill.out" 2>&1) &
filler=$!
lan_wait_line "$events" "REFUSED host-table-full " 30 || lan_fail "the table did not fill"
printf 'attack %s forgeexit %s 2425\nexit\n' "$A1" "$A3" | (lan_in_host 4 "$peer" --port 2426 --name exit >"$work/exit.out" 2>&1) \
  || lan_fail "the forged exit did not run"
lan_wait_line "$events" "REMOVED $A3 2425" 10 || lan_fail "the forged exit did not remove the real peer"
start=$(date +%s%N)
relisted=-1
for i in $(seq 1 10); do
  printf 'sendretry %s message%s\nsleep 900\n' "$A1" "$i" >&3
  for _ in 1 2 3 4 5 6 7 8 9 10; do
    if [ "$relisted" -lt 0 ] && [ "$(grep -c "^ADDED $A3 2425 " "$events")" -ge 2 ]; then
      relisted=$(( ($(date +%s%N) - start) / 1000000 ))
    fi
    sleep 0.1
  done
done
printf 'sleep 3000\nexit\n' >&3
exec 3>&-
# Every message sent and resent until its receipt (or its tries spent).
wait "$real_pid"
receipts=$(grep -c '^RECEIPT ' "$work/real.out")
wait "$filler" || lan_fail "the forged fill did not run"
echo "FIGURE $(awk '$1 == "HOSTFILL" { print $3 }' "$work/fill.out") forged entries, $(listed_records "$events") records; the real peer removed by a forged exit was listed again $relisted ms after its first message; receipts for $receipts of its 10 messages"
[ "$relisted" -ge 0 ] && [ "$relisted" -le 3000 ] || lan_fail "the real peer was not listed again within 3 s ($relisted ms)"
[ "$receipts" -ge 8 ] || lan_fail "only $receipts receipts"
kill -TERM "$kwel_pid"
wait "$kwel_pid" || lan_fail "the program ended badly"

# ---- 3. newcomers while forged far entries flood a full table ----
# The sanitizer build handles a quarter of the normal build's entries in the
# same time: the flood comes at a quarter of the rate there.
flood_rate=3000
[ -z "${KWEL_SANITIZED:-}" ] || flood_rate=750
events=$work/kwel3.events
lan_start_copy "$kwel" 3 1
printf 'attack %s hostfill 4096 %s 15\nexit\n' "$A1" "$flood_rate" | (lan_in_host 2 "$peer" --name flood >"$work/flood.out" 2>&1) &
flooder=$!
lan_wait_line "$events" "REFUSED host-table-full " 30 || lan_fail "the table did not fill"
# One newcomer from each of hosts 4, 3 and 2: three addresses never heard of.
listed=0
for i in 4 3 2; do
  printf 'attack %s:2425 echoentry 2 100\nexit\n' "$A1" | (lan_in_host "$i" "$peer" --port 2426 --name "late$i" >"$work/late$i.out" 2>&1) \
    || lan_fail "the newcomer did not run"
  read -r _ _ nport _ challenges _ answers < <(grep '^ECHOENTRY ' "$work/late$i.out")
  echo "FIGURE a newcomer echoing 100 ms after its challenge, during the flood: challenged ${challenges:-0} times, entry answers ${answers:-0}, listed $(grep -c "^ADDED $(lan_addr "$i") ${nport:-0} " "$events") times"
  grep -q "^ADDED $(lan_addr "$i") ${nport:-0} " "$events" && listed=$((listed + 1))
done
wait "$flooder" || lan_fail "the forged flood did not run"
echo "FIGURE $(awk '$1 == "HOSTFILL" { print $3 }' "$work/flood.out") forged far entries ($flood_rate a second after the first 4,096): $listed of 3 newcomers listed"
[ "$listed" -eq 3 ] || lan_fail "a newcomer that echoed within its second was not listed"
kill -TERM "$kwel_pid"
wait "$kwel_pid" || lan_fail "the program ended badly"
echo "PASS: the host table keeps a fair share per address and lets a removed peer back in"
