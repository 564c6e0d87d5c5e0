#!/usr/bin/env bash
# A flood of forged entries: host 2 sends 4,000 entries a second (1,000 in
# the sanitizer build) for 10 s
# from forged addresses (and every tenth from a new port of its own), while
# host 3, a newcomer every 500 ms, measures how long the program takes to
# answer its entry. The host table stays within its bounds (4096 records,
# 32 an address), its memory with it, and every newcomer is answered within a
# second; the contact views hold what the table holds. Then, the table full,
# 2,000 entries a second (500 in the sanitizer build) for 10 s while newcomers
# from an address the program has never heard of (host 4) are timed: each is
# answered within a second. Prints the records, the memory and the answer
# times.
set -u
kwel=$1
peer=$2
here=$(cd "$(dirname "$0")" && pwd)
. "$here/lanlib.sh"
LAN=kwf$$
lan_test_begin 4
work=$LAN_WORK
A1=$(lan_addr 1); A2=$(lan_addr 2)
events=$work/kwel1.events

# The sanitizer build handles a quarter of the normal build's entries in
# the same time, and its resident size is mostly the sanitizer's own.
rate=4000 full_rate=2000 growth_bound=60
[ -z "${KWEL_SANITIZED:-}" ] || { rate=1000; full_rate=500; growth_bound=400; }
lan_run_copy "$kwel" 1 1
lan_wait_line "$events" "ADDED $A1 " 30 || lan_fail "the program did not list itself"
sleep 1
before=$(( $(lan_rss_kb "$kwel_pid") / 1024 ))

printf 'attack %s entrytime 12\nexit\n' "$A1" | (lan_in_host 3 "$peer" --name newcomer >"$work/time.out" 2>&1) &
timer=$!
sleep 1
printf 'attack %s entryflood 10 %s\nexit\n' "$A1" "$rate" | (lan_in_host 2 "$peer" --name flood >"$work/flood.out" 2>&1) \
  || lan_fail "the flood did not run"
wait "$timer" || lan_fail "the newcomers did not run"
sleep 2
after=$(( $(lan_rss_kb "$kwel_pid") / 1024 ))
added=$(grep -c '^ADDED ' "$events")
removed=$(grep -c '^REMOVED ' "$events")
own=$(grep -c "^ADDED $A2 " "$events")
sent=$(awk '$1 == "ENTRYFLOOD" { print $3 }' "$work/flood.out")
tries=$(awk '$1 == "ENTRYTIME" { print $3 }' "$work/time.out")
answered=$(awk '$1 == "ENTRYTIME" { print $5 }' "$work/time.out")
worst=$(awk '$1 == "ENTRYTIME" { print $7 }' "$work/time.out")
echo "FIGURE $sent forged entries in 10 s: $((added - removed)) records kept ($own from the flooding host's own address), resident ${before} MB before, ${after} MB after; refused: $(grep -c '^REFUSED host-table-full' "$events")"
echo "FIGURE newcomers during the flood: $answered of $tries answered, the slowest in $worst ms (each: $(awk '$1 == "ENTRYTIME" { print $9 }' "$work/time.out"))"
[ $((added - removed)) -le 4096 ] || lan_fail "$((added - removed)) records kept"
[ "$own" -le 32 ] || lan_fail "$own records of one address"
[ "${answered:-0}" -eq "${tries:-1}" ] && [ "${worst:-9999}" -le 1000 ] || lan_fail "a newcomer's entry waited $worst ms"
[ $((after - before)) -lt "$growth_bound" ] || lan_fail "the flood cost $((after - before)) MB"
# The table full: newcomers from a new address while the flood goes on.
printf 'attack %s entryflood 10 %s\nexit\n' "$A1" "$full_rate" | (lan_in_host 2 "$peer" --name flood2 >"$work/flood2.out" 2>&1) &
flooder=$!
sleep 4
printf 'attack %s entrytime 5\nexit\n' "$A1" | (lan_in_host 4 "$peer" --name fresh >"$work/fresh.out" 2>&1) \
  || lan_fail "the newcomers did not run"
wait "$flooder" || lan_fail "the second flood did not run"
tries=$(awk '$1 == "ENTRYTIME" { print $3 }' "$work/fresh.out")
answered=$(awk '$1 == "ENTRYTIME" { print $5 }' "$work/fresh.out")
worst=$(awk '$1 == "ENTRYTIME" { print $7 }' "$work/fresh.out")
echo "FIGURE the table full, $(awk '$1 == "ENTRYFLOOD" { print $3 }' "$work/flood2.out") forged entries in 10 s: newcomers from a new address: $answered of $tries answered, the slowest in $worst ms (each: $(awk '$1 == "ENTRYTIME" { print $9 }' "$work/fresh.out"))"
[ "${answered:-0}" -eq "${tries:-1}" ] && [ "${worst:-9999}" -le 1000 ] || lan_fail "a newcomer's entry in the full table waited $worst ms"
drive 1 "peers"
expect 1 "DRIVER ok peers"
read -r _ records tree list < <(grep '^PEERS ' "$events" | tail -1)
echo "FIGURE the views: $records records, $tree peers in the tree, $list rows in the list"
[ "$tree" -eq "$records" ] || [ "$list" -eq "$records" ] || lan_fail "the views do not follow the host table"
kill -TERM "$kwel_pid"
wait "$kwel_pid" || lan_fail "the program ended badly"
echo "PASS: the host table holds its bounds under a flood of entries"
