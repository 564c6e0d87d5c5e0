#!/usr/bin/env bash
# Two copies of the program on a private LAN, driven through their chat
# windows: copy 1 attaches a file and a folder to a message, copy 2 receives
# everything with "全部接收"; what arrives must be byte-identical.
set -u
kwel=$1
here=$(cd "$(dirname "$0")" && pwd)
. "$here/lanlib.sh"
LAN=kwd$$
lan_test_begin 2
work=$LAN_WORK
A1=$(lan_addr 1); A2=$(lan_addr 2)

mkdir -p "$work/src/资料/sub/empty" "$work/recv"
head -c 2500000 /dev/urandom >"$work/src/report.bin"
head -c 5000 /dev/urandom >"$work/src/资料/a.bin"
echo "你好" >"$work/src/资料/sub/说明.txt"

lan_start_two_copies "$kwel"

drive 1 "open $A2"
drive 1 "attach $A2 $work/src/report.bin $work/src/资料"
drive 1 "type $A2 文件给你"
drive 1 "send $A2"
expect 1 "DRIVER ok send $A2"
expect 2 "SHOWN $A1 .* 文件给你\$"
drive 2 "receiveall $A1 $work/recv"
expect 2 "DRIVER ok receiveall $A1"

# Wait for both items to arrive whole.
for i in $(seq 1 300); do
  if cmp -s "$work/src/report.bin" "$work/recv/report.bin" && [ -f "$work/recv/资料/sub/说明.txt" ]; then break; fi
  sleep 0.1
done
cmp "$work/src/report.bin" "$work/recv/report.bin" || lan_fail "the file differs"
diff -r "$work/src/资料" "$work/recv/资料" || lan_fail "the folder differs"
ls "$work/recv" | grep -q '\.kwq$' && lan_fail "a partial file was left behind"
kill -TERM "$pid1" "$pid2"
wait "$pid1" || lan_fail "the first copy ended badly"
wait "$pid2" || lan_fail "the second copy ended badly"
echo "PASS: a file and a folder sent from one chat window and received in the other, byte-identical"
