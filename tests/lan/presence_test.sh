#!/usr/bin/env bash
# Four hosts on a private LAN: the real program (offscreen) on hosts 1 and 4,
# a scripted Kwel peer on host 2 and a plain IP Messenger peer on host 3. They
# must see each other; a message asking for a receipt gets one, a resent copy
# is confirmed again and shown once; a status change and an exit reach the
# program; the program's own exit reaches the plain peer.
set -u
kwel=$1
peer=$2
here=$(cd "$(dirname "$0")" && pwd)
. "$here/lanlib.sh"
LAN=kwp$$
lan_test_begin 4
work=$LAN_WORK
A1=$(lan_addr 1); A2=$(lan_addr 2); A3=$(lan_addr 3); A4=$(lan_addr 4)

lan_in_host 1 env KWEL_EVENT_LOG="$work/kwel.events" "$kwel" >"$work/kwel.out" 2>&1 &
kwel_pid=$!
LAN_PIDS+=("$kwel_pid")
lan_wait_line "$work/kwel.events" "ADDED $A1 " 20 || lan_fail "the program did not list itself"

# A second copy of the program: the two list each other.
lan_in_host 4 env KWEL_EVENT_LOG="$work/kwel4.events" "$kwel" >"$work/kwel4.out" 2>&1 &
kwel4_pid=$!
LAN_PIDS+=("$kwel4_pid")
lan_wait_line "$work/kwel4.events" "ADDED $A1 " 20 || lan_fail "the second copy did not list the first"
lan_wait_line "$work/kwel.events" "ADDED $A4 " 20 || lan_fail "the first copy did not list the second"

lan_in_host 2 "$peer" --name peer2 >"$work/peer2.out" 2>&1 <<EOF &
announce
wait ADDED $A1 60
wait ADDED $A3 60
send $A1 hello from two
wait RECEIPT $A1 60
resend
waitcount 2 RECEIPT $A1 60
sleep 700
count RECEIPT $A1 2
away 开会
sleep 700
exit
EOF
peer2=$!
LAN_PIDS+=("$peer2")
sleep 1

lan_in_host 3 "$peer" --plain --name plain3 >"$work/plain3.out" 2>&1 <<EOF &
announce
wait RAW $A1 3 60
wait RAW $A1 2 60
EOF
plain3=$!
LAN_PIDS+=("$plain3")

wait "$peer2" || lan_fail "the Kwel peer's script failed"
lan_wait_line "$work/kwel.events" "REMOVED $A2 " 60 || lan_fail "the peer's exit did not reach the program"
[ "$(grep -c "^MESSAGE $A2 .* hello from two" "$work/kwel.events")" -eq 1 ] || lan_fail "the message was not shown exactly once"
grep -q "^UPDATED $A2 2425 100 peer2\[开会\]" "$work/kwel.events" || lan_fail "the status change did not reach the program"
grep -q "^ADDED $A3 2425 0 plain3" "$work/kwel.events" || lan_fail "the plain peer was not listed"

kill -TERM "$kwel4_pid"
lan_wait_line "$work/kwel.events" "REMOVED $A4 " 60 || lan_fail "the second copy's exit did not reach the first"
kill -TERM "$kwel_pid"
wait "$kwel_pid"; code=$?
[ "$code" -eq 0 ] || lan_fail "the program ended with $code"
wait "$plain3" || lan_fail "the plain peer did not get the answer and the exit"
echo "PASS: presence, receipts and exit across four hosts"
