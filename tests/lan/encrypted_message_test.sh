#!/usr/bin/env bash
# Two scripted Kwel peers on a private LAN exchange an encrypted message: the
# sender asks for the receiver's public key, sends the message encrypted with
# it and gets the receipt; the receiver decrypts it to the text that was typed.
set -u
peer=$1
here=$(cd "$(dirname "$0")" && pwd)
. "$here/lanlib.sh"
lan_can_run || { echo "SKIP: needs root and network namespaces"; exit 77; }

work=$(mktemp -d /tmp/kwel-lan.XXXXXX)
LAN=kwe$$
pids=()
cleanup() {
  for p in "${pids[@]}"; do kill "$p" 2>/dev/null; done
  lan_down
  rm -rf "$work"
}
trap cleanup EXIT
lan_up 2
A1=$(lan_addr 1); A2=$(lan_addr 2)

fail() { echo "FAIL: $*"; for f in "$work"/*.out; do echo "--- $f"; cat "$f"; done; exit 1; }

text="机密消息: 下午三点 room 301"

# Both have their 1024-bit pair before they meet, so that the message travels
# with RSA 1024 and Blowfish 128 (until then a peer answers with its 512-bit key).
lan_run 1 "$work" "$peer" --name receiver >"$work/receiver.out" 2>&1 <<SCRIPT &
wait KEYS 21003 20
announce
wait ENCRYPTED $A2 30
wait MESSAGE $A2 5
sleep 500
exit
SCRIPT
receiver=$!
pids+=("$receiver")
lan_wait_line "$work/receiver.out" "KEYS 21003" 20 || fail "the receiver made no 1024-bit pair"

lan_run 2 "$work" "$peer" --name sender >"$work/sender.out" 2>&1 <<SCRIPT &
wait KEYS 21003 20
announce
wait ADDED $A1 30
sendenc $A1 $text
wait RECEIPT $A1 10
wait SENT $A1 ok 10
count PLAIN 0
exit
SCRIPT
sender=$!
pids+=("$sender")

wait "$sender" || fail "the sender's script failed"
wait "$receiver" || fail "the receiver's script failed"
grep -q "^ENCRYPTED $A2 20002 0\$" "$work/receiver.out" || fail "the message did not arrive encrypted with RSA 1024 and Blowfish"
grep -q "^MESSAGE $A2 [0-9]* $text\$" "$work/receiver.out" || fail "the decrypted text differs"
echo "PASS: an encrypted message between two hosts"
