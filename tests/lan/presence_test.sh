#!/usr/bin/env bash
# Three hosts on a private LAN: the real program (offscreen) on host 1, a
# scripted Kwel peer on host 2 and a plain IP Messenger peer on host 3. They
# must see each other; a message asking for a receipt gets one, a resent copy
# is confirmed again and shown once; a status change and an exit reach the
# program; the program's own exit reaches the plain peer.
set -u
kwel=$1
peer=$2
here=$(cd "$(dirname "$0")" && pwd)
. "$here/lanlib.sh"
lan_can_run || { echo "SKIP: needs root and network namespaces"; exit 77; }

work=$(mktemp -d /tmp/kwel-lan.XXXXXX)
LAN=kwp$$
pids=()
cleanup() {
  for p in "${pids[@]}"; do kill "$p" 2>/dev/null; done
  lan_down
  rm -rf "$work"
}
trap cleanup EXIT
lan_up 3
A1=$(lan_addr 1); A2=$(lan_addr 2); A3=$(lan_addr 3)

fail() { echo "FAIL: $*"; for f in "$work"/*.out "$work"/*.events; do echo "--- $f"; cat "$f"; done; exit 1; }

lan_run 1 "$work" env KWEL_EVENT_LOG="$work/kwel.events" "$kwel" >"$work/kwel.out" 2>&1 &
kwel_pid=$!
pids+=("$kwel_pid")
lan_wait_line "$work/kwel.events" "ADDED $A1 " 20 || fail "the program did not list itself"

lan_run 2 "$work" "$peer" --name peer2 >"$work/peer2.out" 2>&1 <<EOF &
announce
wait ADDED $A1 10
wait ADDED $A3 20
send $A1 hello from two
wait RECEIPT $A1 10
resend
sleep 700
count RECEIPT $A1 2
away 开会
sleep 700
exit
EOF
peer2=$!
pids+=("$peer2")
sleep 1

lan_run 3 "$work" "$peer" --plain --name plain3 >"$work/plain3.out" 2>&1 <<EOF &
announce
wait RAW $A1 3 10
wait RAW $A1 2 60
EOF
plain3=$!
pids+=("$plain3")

wait "$peer2" || fail "the Kwel peer's script failed"
lan_wait_line "$work/kwel.events" "REMOVED $A2 " 10 || fail "the peer's exit did not reach the program"
[ "$(grep -c "^MESSAGE $A2 .* hello from two" "$work/kwel.events")" -eq 1 ] || fail "the message was not shown exactly once"
grep -q "^UPDATED $A2 2425 100 peer2\[开会\]" "$work/kwel.events" || fail "the status change did not reach the program"
grep -q "^ADDED $A3 2425 0 plain3" "$work/kwel.events" || fail "the plain peer was not listed"

kill -TERM "$kwel_pid"
wait "$kwel_pid"; code=$?
[ "$code" -eq 0 ] || fail "the program ended with $code"
wait "$plain3" || fail "the plain peer did not get the answer and the exit"
echo "PASS: presence, receipts and exit across three hosts"
