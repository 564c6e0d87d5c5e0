#!/usr/bin/env bash
# Two scripted Kwel peers on a private LAN exchange an encrypted message: the
# sender asks for the receiver's public key, sends the message encrypted with
# it and gets the receipt; the receiver decrypts it to the text that was typed.
set -u
peer=$1
here=$(cd "$(dirname "$0")" && pwd)
. "$here/lanlib.sh"
LAN=kwe$$
lan_test_begin 2
work=$LAN_WORK
A1=$(lan_addr 1); A2=$(lan_addr 2)

text="机密消息: 下午三点 room 301"

# Both have their 1024-bit pair before they meet, so that the message travels
# with RSA 1024 and Blowfish 128 (until then a peer answers with its 512-bit key).
lan_in_host 1 "$peer" --name receiver >"$work/receiver.out" 2>&1 <<SCRIPT &
wait KEYS 21003 20
announce
wait ENCRYPTED $A2 30
wait MESSAGE $A2 5
sleep 500
exit
SCRIPT
receiver=$!
LAN_PIDS+=("$receiver")
lan_wait_line "$work/receiver.out" "KEYS 21003" 20 || lan_fail "the receiver made no 1024-bit pair"

lan_in_host 2 "$peer" --name sender >"$work/sender.out" 2>&1 <<SCRIPT &
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
LAN_PIDS+=("$sender")

wait "$sender" || lan_fail "the sender's script failed"
wait "$receiver" || lan_fail "the receiver's script failed"
grep -q "^ENCRYPTED $A2 20002 0\$" "$work/receiver.out" || lan_fail "the message did not arrive encrypted with RSA 1024 and Blowfish"
grep -q "^MESSAGE $A2 [0-9]* $text\$" "$work/receiver.out" || lan_fail "the decrypted text differs"
echo "PASS: an encrypted message between two hosts"
