#!/usr/bin/env bash
# One host takes a new login name before each packet: exit, answer-entry
# under the new name, and a read notice for a packet number the program never
# sent. The program must keep no window, session or lasting state for them:
# its memory stays bounded, and it still answers entries afterwards.
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

# Under AddressSanitizer freed memory stays in its quarantine (256 MB by
# default) and would count as growth: a small one keeps the measure honest.
lan_in_host 1 env KWEL_EVENT_LOG="$work/kwel.events" ASAN_OPTIONS="${ASAN_OPTIONS:+$ASAN_OPTIONS:}quarantine_size_mb=16" \
  "$kwel" >"$work/kwel.out" 2>&1 &
kwel_pid=$!
LAN_PIDS+=("$kwel_pid")
lan_wait_line "$work/kwel.events" "ADDED $A1 " 20 || lan_fail "the program did not list itself"

# One scripted peer: a first round warms the program up (its first peers,
# windows and caches), a pause to measure, then the churn.
printf 'announce\nwait ADDED %s 10\nchurn %s 200 1\nsleep 4000\nchurn %s %s 1\nexit\n' \
  "$A1" "$A1" "$A1" "$count" | (lan_in_host 2 "$peer" --name churner >"$work/churner.out" 2>&1) &
churner=$!
LAN_PIDS+=("$churner")
lan_wait_line "$work/churner.out" "CHURNED 200" 30 || lan_fail "the warm-up round did not run"
sleep 1
before=$(lan_rss_kb "$kwel_pid")
[ -n "$before" ] || lan_fail "no resident size of the program"
wait "$churner" || lan_fail "the churn failed"
grep -q "^CHURNED $count" "$work/churner.out" || lan_fail "the churn did not run whole"
sleep 1
after=$(lan_rss_kb "$kwel_pid")
growth=$(( (after - before) / 1024 ))
echo "resident: ${before} KB before, ${after} KB after $count identities (+${growth} MB)"
[ "$growth" -lt 60 ] || lan_fail "memory grew by ${growth} MB for $count churned identities"
grep -q "^READNOTICE" "$work/kwel.events" && lan_fail "a read notice for a number never sent was shown"

# Still answering.
printf 'announce\nwait ADDED %s 10\nexit\n' "$A1" | (lan_in_host 3 "$peer" --name after >"$work/after.out" 2>&1) \
  || lan_fail "the program no longer answers entries"
kill -TERM "$kwel_pid"
wait "$kwel_pid" || lan_fail "the program ended badly"
echo "PASS: $count churned identities with read notices: +${growth} MB, no notice shown, still answering"
