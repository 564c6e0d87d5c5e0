#!/usr/bin/env bash
# Two copies of the program on a private LAN chat with each other, driven as
# a user would drive their windows (KWEL_TEST_DRIVER): a message in a chosen
# font with a face appears in the other's chat window and chat log, travels
# encrypted and is confirmed; a sealed message sends its read notice back when
# the reader acts in the window; the answer comes back the other way.
set -u
kwel=$1
here=$(cd "$(dirname "$0")" && pwd)
. "$here/lanlib.sh"
LAN=kwc$$
lan_test_begin 2
work=$LAN_WORK
A1=$(lan_addr 1); A2=$(lan_addr 2)

lan_start_two_copies "$kwel"

# A red, bold 楷体 message with a face, from 1 to 2.
drive 1 "open $A2"
drive 1 "font $A2 楷体 -18 700 FF0000"
drive 1 "type $A2 你好/:)世界"
drive 1 "send $A2"
expect 1 "DRIVER ok send $A2"
expect 1 "SENT $A2 "
expect 2 "SHOWN $A1 楷体,-18,700,0000ff mode=[0-9a-f]* 你好/:)世界\$"
expect 1 "RECEIPT $A2 "
grep -q "^SYSTEM $A2 给用户" "$work/kwel1.events" && lan_fail "the sender gave up although the receipt came"

# A sealed message: the read notice comes back once the reader acts.
drive 1 "readnotice $A2 on"
drive 1 "type $A2 请查收"
drive 1 "send $A2"
expect 2 "SHOWN $A1 .* 请查收\$"
number=$(grep "^SENT $A2 .* 请查收" "$work/kwel1.events" | awk '{print $3}')
[ -n "$number" ] || lan_fail "no packet number of the sealed message"
grep -q "^OPENED $A1 " "$work/kwel2.events" && lan_fail "the read notice went out before the reader acted"
drive 2 "act $A1"
expect 2 "OPENED $A1 $number"
expect 1 "READ $A2 $number"
expect 1 "READNOTICE $A2 $number"

# The answer, in the standard font, from 2 to 1.
drive 2 "open $A1"
drive 2 "type $A1 收到/:D"
drive 2 "send $A1"
expect 1 "SHOWN $A2 宋体,-14,500,000000 mode=[0-9a-f]* 收到/:D\$"
expect 2 "RECEIPT $A1 "
drive 2 "grab $A1 $work/window2.png"
expect 2 "DRIVER ok grab"

# Both chat logs hold the message (GBK on disk) once the programs have ended.
kill -TERM "$pid1" "$pid2"
wait "$pid1" || lan_fail "the first copy ended badly"
wait "$pid2" || lan_fail "the second copy ended badly"
for i in 1 2; do
  log=$(find "$work/h$i" -name kwel.kwl | head -1)
  [ -n "$log" ] || lan_fail "copy $i wrote no chat log"
  for text in 你好 收到 请查收; do
    LC_ALL=C grep -q -a -F "$(printf '%s' "$text" | iconv -f UTF-8 -t GBK)" "$log" \
      || lan_fail "the chat log of copy $i lacks $text"
  done
done
echo "PASS: two copies chat both ways: fonts, faces, encryption, receipts, read notices, chat logs"
