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

# Waits until a line of the file starts with the text.
wait_line() {
  local file=$1 text=$2 seconds=$3 i
  for i in $(seq 1 $((seconds * 10))); do
    grep -q -- "^$text" "$file" 2>/dev/null && return 0
    sleep 0.1
  done
  return 1
}

home() { mkdir -p "$work/h$1/run"; chmod 700 "$work/h$1/run"; echo "$work/h$1"; }
# Runs a program in a host, replacing the calling (background) shell so that
# its pid is the program's.
in_host() {
  local i=$1; shift
  local h; h=$(home "$i")
  exec ip netns exec "$LAN-$i" env HOME="$h" XDG_RUNTIME_DIR="$h/run" XDG_CONFIG_HOME="$h/.config" \
    XDG_DATA_HOME="$h/.local/share" QT_QPA_PLATFORM=offscreen "$@"
}

in_host 1 env KWEL_EVENT_LOG="$work/kwel.events" "$kwel" >"$work/kwel.out" 2>&1 &
kwel_pid=$!
pids+=("$kwel_pid")
wait_line "$work/kwel.events" "ADDED $A1 " 20 || fail "the program did not list itself"

in_host 2 "$peer" --name peer2 >"$work/peer2.out" 2>&1 <<EOF &
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

in_host 3 "$peer" --plain --name plain3 >"$work/plain3.out" 2>&1 <<EOF &
announce
wait RAW $A1 3 10
wait RAW $A1 2 60
EOF
plain3=$!
pids+=("$plain3")

wait "$peer2" || fail "the Kwel peer's script failed"
wait_line "$work/kwel.events" "REMOVED $A2 " 10 || fail "the peer's exit did not reach the program"
[ "$(grep -c "^MESSAGE $A2 .* hello from two" "$work/kwel.events")" -eq 1 ] || fail "the message was not shown exactly once"
grep -q "^UPDATED $A2 2425 100 peer2\[开会\]" "$work/kwel.events" || fail "the status change did not reach the program"
grep -q "^ADDED $A3 2425 0 plain3" "$work/kwel.events" || fail "the plain peer was not listed"

kill -TERM "$kwel_pid"
wait "$kwel_pid"; code=$?
[ "$code" -eq 0 ] || fail "the program ended with $code"
wait "$plain3" || fail "the plain peer did not get the answer and the exit"
echo "PASS: presence, receipts and exit across three hosts"
