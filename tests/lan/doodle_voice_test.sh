#!/usr/bin/env bash
# Two copies of the program on a private LAN, driven through their windows: a
# drawing on the doodle board of one shows as a picture in the other's chat
# window; a voice request is confirmed (the asking window offers the cancel),
# cancelled (both windows show it and go back), and, made again, refused as
# soon as the other user acts in the window.
set -u
kwel=$1
here=$(cd "$(dirname "$0")" && pwd)
. "$here/lanlib.sh"
LAN=kwd$$
lan_test_begin 2
work=$LAN_WORK
A1=$(lan_addr 1); A2=$(lan_addr 2)

lan_start_two_copies "$kwel"

# A rectangle and a line on the board of copy 1, sent to copy 2.
drive 1 "open $A2"
drive 1 "press $A2 1051"
drive 1 "tool $A2 12"
drive 1 "draw $A2 10 10 120 60"
drive 1 "tool $A2 10"
drive 1 "draw $A2 130 10 200 60"
drive 1 "send $A2"
expect 1 "DRIVER ok send $A2"
expect 1 "SENT $A2 [0-9]* /~#>[0-9a-f]\{8\}<B~\$"
expect 2 "SHOWN $A1 .* /~#>[0-9a-f]\{8\}<B~\$"
lan_until_ok 2 "haspicture $A1"
drive 2 "grab $A1 $work/drawing2.png"
expect 2 "DRIVER ok grab"

# A voice request: confirmed, then cancelled by the asker.
drive 1 "voicedevice on"
drive 1 "press $A2 1032"
expect 1 "SYSTEM $A2 您请求了与对方进行语音聊天"
expect 2 "SYSTEM $A1 .*请求与您进行语音聊天。本程序不能进行语音聊天"
lan_until_ok 1 "check $A2 1032 取消语聊"
drive 1 "press $A2 1032"
expect 1 "SYSTEM $A2 您取消了这次语音聊天。"
expect 2 "SYSTEM $A1 对方取消了语音聊天请求。"
lan_until_ok 1 "check $A2 1032 语音聊天"

# Asked again: the other user acts in the window and the request is refused.
drive 1 "press $A2 1032"
lan_until_ok 1 "check $A2 1032 取消语聊"
drive 2 "act $A1"
expect 2 "SYSTEM $A1 您拒绝了对方的语音聊天请求。"
expect 1 "SYSTEM $A2 对方拒绝了您的语音聊天请求。"
lan_until_ok 1 "check $A2 1032 语音聊天"
grep -q "^SYSTEM $A2 给用户" "$work/kwel1.events" && lan_fail "the request was given up although it was answered"

kill -TERM "$pid1" "$pid2"
wait "$pid1" || lan_fail "the first copy ended badly"
wait "$pid2" || lan_fail "the second copy ended badly"
echo "PASS: a drawing travels as a picture; a voice request is confirmed, cancelled and refused between two copies"
