#!/usr/bin/env bash
# Two copies: the receiving chat window is closed while a file comes in. The
# receive goes on in the background and its summary brings the window back;
# a window closed with items still offered stays hidden, and the peer is told
# that they will not be fetched when it finally goes (here: the program ends).
set -u
kwel=$1
here=$(cd "$(dirname "$0")" && pwd)
. "$here/lanlib.sh"
LAN=kwx$$
lan_test_begin 2
work=$LAN_WORK
A1=$(lan_addr 1); A2=$(lan_addr 2)

mkdir -p "$work/src" "$work/recv"
head -c 40000000 /dev/urandom >"$work/src/big.bin"
echo "小文件" >"$work/src/small.txt"

lan_start_two_copies "$kwel"

drive 1 "open $A2"
drive 1 "attach $A2 $work/src/big.bin"
drive 1 "type $A2 大文件"
drive 1 "send $A2"
expect 2 "SHOWN $A1 .* 大文件\$"
# Receive all, and close the window in the same breath: both commands go in
# one write, so the program runs them in one turn, before it can have seen
# the receive end.
drive 2 "$(printf 'receiveall %s %s\nclose %s' "$A1" "$work/recv" "$A1")"
expect 2 "DRIVER ok receiveall $A1"
expect 2 "DRIVER ok close $A1"
expect 2 "SYSTEM $A1 文件接收完成" 60
closed=$(grep -n "^DRIVER ok close $A1" "$work/kwel2.events" | head -1 | cut -d: -f1)
done_at=$(grep -n "^SYSTEM $A1 文件接收完成" "$work/kwel2.events" | head -1 | cut -d: -f1)
[ "$closed" -lt "$done_at" ] || lan_fail "the receive had ended before the window was closed"
cmp "$work/src/big.bin" "$work/recv/big.bin" || lan_fail "the file received behind the closed window differs"
ls "$work/recv" | grep -q '\.kwq$' && lan_fail "a partial file was left behind"

# Offered and never fetched: the window hides; at the end the offer is released.
drive 1 "attach $A2 $work/src/small.txt"
drive 1 "type $A2 不用收"
drive 1 "send $A2"
expect 2 "SHOWN $A1 .* 不用收\$"
number=$(grep "^SENT $A2 .* 不用收" "$work/kwel1.events" | awk '{print $3}')
[ -n "$number" ] || lan_fail "no packet number of the second offer"
drive 2 "close $A1"
expect 2 "DRIVER ok close $A1"
grep -q "^RELEASED $A1 $number" "$work/kwel2.events" && lan_fail "released while the window only hid"
kill -TERM "$pid2"
wait "$pid2" || lan_fail "the second copy ended badly"
grep -q "^RELEASED $A1 $number" "$work/kwel2.events" || lan_fail "the offer was not released when the window went"
kill -TERM "$pid1"
wait "$pid1" || lan_fail "the first copy ended badly"
echo "PASS: a receive goes on behind a closed window; a window with offers hides and releases them when it goes"
