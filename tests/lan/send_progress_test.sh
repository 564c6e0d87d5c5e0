#!/usr/bin/env bash
# Two copies of the program: copy 1 sends a file over a link held to 4 Mbit/s,
# copy 2 receives it. Copy 1's chat window lists the file in its send list,
# waiting, then with its progress while the peer fetches it, then complete.
set -u
kwel=$1
here=$(cd "$(dirname "$0")" && pwd)
. "$here/lanlib.sh"
LAN=kwg$$
lan_test_begin 2
work=$LAN_WORK
A1=$(lan_addr 1); A2=$(lan_addr 2)

mkdir -p "$work/src" "$work/recv"
head -c 8000000 /dev/urandom >"$work/src/big.bin"
# About sixteen seconds on the wire (the socket buffers take a few megabytes at
# once): the sender reports its progress each second.
lan_exec 1 tc qdisc add dev eth0 root tbf rate 4mbit burst 32kb latency 500ms \
  || { echo "SKIP: no traffic shaping"; exit 77; }

lan_start_two_copies "$kwel"

drive 1 "open $A2"
drive 1 "attach $A2 $work/src/big.bin"
drive 1 "type $A2 文件给你"
drive 1 "send $A2"
expect 1 "DRIVER ok send $A2"
lan_until_ok 1 "sendrow $A2 big.bin waiting"
expect 2 "SHOWN $A1 .* 文件给你\$"
start=$(date +%s%N)
drive 2 "receiveall $A1 $work/recv"
expect 2 "DRIVER ok receiveall $A1"
lan_until_ok 1 "sendrow $A2 big.bin sending" 20
sending=$(( ($(date +%s%N) - start) / 1000000 ))
lan_until_ok 1 "sendrow $A2 big.bin done" 60
done_ms=$(( ($(date +%s%N) - start) / 1000000 ))
cmp "$work/src/big.bin" "$work/recv/big.bin" || lan_fail "the file differs"
echo "FIGURE sender's row: sending after ${sending} ms, complete after ${done_ms} ms (8 MB at 4 Mbit/s)"
kill -TERM "$pid1" "$pid2"
wait "$pid1" || lan_fail "the first copy ended badly"
wait "$pid2" || lan_fail "the second copy ended badly"
echo "PASS: the sender's send list showed the file waiting, in progress and complete"
