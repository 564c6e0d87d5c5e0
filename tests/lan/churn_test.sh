#!/usr/bin/env bash
# One host takes a new login name before each packet: exit, answer-entry
# under the new name, and a read notice for a packet number the program never
# sent. The program must keep no window, session or lasting state for them:
# its memory stays bounded, and it still answers entries afterwards.
#
# What is checked is what the program itself did and holds: its event log has
# a READ line for every read notice it took in, and its resident size comes
# from /proc once that log has stopped growing. Packets the program could not
# take in while the machine was busy are not counted as churned.
set -u
kwel=$1
peer=$2
here=$(cd "$(dirname "$0")" && pwd)
. "$here/lanlib.sh"
LAN=kwn$$
lan_test_begin 3
work=$LAN_WORK
A1=$(lan_addr 1); A2=$(lan_addr 2)
count=${KWEL_CHURN_COUNT:-3000}
events=$work/kwel.events

# Under AddressSanitizer freed memory stays in its quarantine (256 MB by
# default) and would count as growth: a small one keeps the measure honest.
lan_in_host 1 env KWEL_EVENT_LOG="$events" ASAN_OPTIONS="${ASAN_OPTIONS:+$ASAN_OPTIONS:}quarantine_size_mb=16" \
  "$kwel" >"$work/kwel.out" 2>&1 &
kwel_pid=$!
LAN_PIDS+=("$kwel_pid")
lan_wait_line "$events" "ADDED $A1 " 20 || lan_fail "the program did not list itself"

# The read notices the program took in from the churning host, once their
# number has stayed the same for two seconds (at most two minutes).
notices_taken() {
  local last=-1 now same=0 i
  for i in $(seq 1 240); do
    now=$(grep -c "^READ $A2 " "$events")
    if [ "$now" = "$last" ]; then
      same=$((same + 1))
      [ "$same" -ge 4 ] && break
    else
      same=0
    fi
    last=$now
    sleep 0.5
  done
  echo "$last"
}

# One scripted peer, fed through a pipe: a first round warms the program up
# (its first peers, windows and caches), then the churn once that is measured.
lan_fifo_peer 2 "$peer" churner
churner=$fifo_peer_pid
printf 'announce\nwait ADDED %s 30\nchurn %s 200 1\n' "$A1" "$A1" >&3
lan_wait_line "$work/churner.out" "CHURNED 200" 60 || lan_fail "the warm-up round did not run"
warm=$(notices_taken)
[ "$warm" -gt 0 ] || lan_fail "the program took in none of the warm-up's read notices"
before=$(lan_rss_kb "$kwel_pid")
[ -n "$before" ] || lan_fail "no resident size of the program"

printf 'churn %s %s 1\nexit\n' "$A1" "$count" >&3
exec 3>&-
wait "$churner" || lan_fail "the churn failed"
grep -q "^CHURNED $count" "$work/churner.out" || lan_fail "the churn did not run whole"
taken=$(( $(notices_taken) - warm ))
after=$(lan_rss_kb "$kwel_pid")
[ -n "$after" ] || lan_fail "the program ended under the churn"
growth=$(( (after - before) / 1024 ))
per=$(( taken > 0 ? (after - before) * 1024 / taken : 0 ))
echo "resident: ${before} KB before, ${after} KB after $taken of $count identities taken in (+${growth} MB, ${per} bytes each)"
# The attack has to reach the program to show anything.
[ "$taken" -ge $(( count / 10 )) ] || lan_fail "the program took in only $taken of $count identities"
[ "$growth" -lt 60 ] || lan_fail "memory grew by ${growth} MB for $taken churned identities"
grep -q "^READNOTICE" "$events" && lan_fail "a read notice for a number never sent was shown"

# Still answering.
printf 'announce\nwait ADDED %s 30\nexit\n' "$A1" | (lan_in_host 3 "$peer" --name after >"$work/after.out" 2>&1) \
  || lan_fail "the program no longer answers entries"
kill -TERM "$kwel_pid"
wait "$kwel_pid" || lan_fail "the program ended badly"
echo "PASS: $taken churned identities with read notices: +${growth} MB, no notice shown, still answering"
