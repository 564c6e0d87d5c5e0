#!/usr/bin/env bash
# Four copies of the program on a private LAN. The first sends from its
# multi-user window ("多人群发"): to one peer, to two (each through its chat
# window) and to three (one sender for all), and puts a face on its doodle
# board. Each recipient shows the text
# once, in the sender's font; the second copy's spam rule that takes only
# multi-sends blocks the messages sent to two and three peers and lets the
# one sent to it alone through. Then the second copy reads its chat log
# back: in its chat window ("聊天记录") and in the chat-log viewer, opened
# from the tray's "查看聊天记录(&L)".
set -u
kwel=$1
here=$(cd "$(dirname "$0")" && pwd)
. "$here/lanlib.sh"
LAN=kwm$$
lan_test_begin 4
work=$LAN_WORK
A1=$(lan_addr 1); A2=$(lan_addr 2); A3=$(lan_addr 3); A4=$(lan_addr 4)

# Copy 2 blocks multi-sends that contain "广告" (scope 1, contains, block).
mkdir -p "$work/h2/.config/TARPELON"
printf '[SPAMRULE_STR]\n0=广告#~$#1#~$#1#~$#0#~$#0#~$#\n' >"$work/h2/.config/TARPELON/Kwel.ini"

lan_start_copies "$kwel" 4
shown() { grep -c "^SHOWN $A1 .*$2\$" "$work/kwel$1.events"; }

drive 1 "multi open"
expect 1 "DRIVER ok multi open"
drive 1 "multi font 楷体 -18 700 FF0000"

# One peer: not a multi-send, so the rule lets it through.
drive 1 "multi select $A2"
expect 1 "DRIVER ok multi select"
drive 1 "multi type 广告一"
drive 1 "multi send"
expect 2 "SHOWN $A1 楷体,-18,700,0000ff .*广告一\$"

# Two peers: each through its chat window, marked as a multi-send.
drive 1 "multi select $A2 $A3"
expect 1 "DRIVER ok multi select $A2 $A3"
drive 1 "multi type 广告二/:)"
drive 1 "multi send"
expect 3 "SHOWN $A1 楷体,-18,700,0000ff .*广告二/:)\$"
expect 2 "BLOCKED $A1 "
drive 1 "multi type 开会了"
drive 1 "multi send"
expect 2 "SHOWN $A1 楷体,-18,700,0000ff .*开会了\$"
expect 3 "SHOWN $A1 楷体,-18,700,0000ff .*开会了\$"
expect 1 "RECEIPT $A3 "

# Three peers: one sender for all, still a multi-send, each shown once.
drive 1 "multi select $A2 $A3 $A4"
expect 1 "DRIVER ok multi select $A2 $A3 $A4"
drive 1 "multi type 广告三"
drive 1 "multi send"
expect 1 "MULTISENT 3 "
expect 3 "SHOWN $A1 楷体,-18,700,0000ff .*广告三\$"
expect 4 "SHOWN $A1 楷体,-18,700,0000ff .*广告三\$"
for i in $(seq 1 50); do [ "$(grep -c "^BLOCKED $A1 " "$work/kwel2.events")" = 2 ] && break; sleep 0.2; done
[ "$(grep -c "^BLOCKED $A1 " "$work/kwel2.events")" = 2 ] || lan_fail "copy 2 did not block the send to three peers"
drive 1 "multi grab $work/multi.png"
expect 1 "DRIVER ok multi grab"
# In doodle mode a face goes onto the board, the mouse cursor with it.
drive 1 "multi press 1186"
expect 1 "DRIVER ok multi press 1186"
drive 1 "multi face 3"
expect 1 "DRIVER ok multi face 3"

# Nothing arrives twice.
sleep 3
[ "$(shown 2 广告一)" = 1 ] || lan_fail "copy 2 showed the first message $(shown 2 广告一) times"
[ "$(shown 3 '广告二/:)')" = 1 ] || lan_fail "copy 3 showed the second message $(shown 3 '广告二/:)') times"
[ "$(shown 2 开会了)" = 1 ] && [ "$(shown 3 开会了)" = 1 ] || lan_fail "the third message was not shown once each"
[ "$(shown 3 广告三)" = 1 ] && [ "$(shown 4 广告三)" = 1 ] || lan_fail "the send to three was not shown once each"
grep -q "^SHOWN $A1 .*广告[二三]" "$work/kwel2.events" && lan_fail "copy 2 showed a blocked multi-send"

# Copy 2 reads its log back: in the chat window, then in the viewer opened
# from the tray; both show what copy 1 sent it, in the order it came.
drive 2 "open $A1"
drive 2 "peerlog $A1"
expect 2 "DRIVER ok peerlog $A1"
expect 2 "LOGSHOWN $A1 .*广告一.*开会了"
drive 2 "grab $A1 $work/peerlog.png"
expect 2 "DRIVER ok grab"
drive 2 "log open"
expect 2 "DRIVER ok log open"
expect 2 "LOGREAD [1-9][0-9]* 当前第 1/1 页"
drive 2 "log peer $A1"
expect 2 "DRIVER ok log peer $A1"
expect 2 "LOGPAGE 当前第 1/1 页 .*广告一.*开会了"
drive 2 "log grab $work/viewer.png"
expect 2 "DRIVER ok log grab"

kill -TERM "$pid1" "$pid2" "$pid3" "$pid4"
for i in 1 2 3 4; do
  eval "wait \"\$pid$i\"" || lan_fail "copy $i ended badly"
done
# The sender's log holds what went to each peer.
log=$(find "$work/h1" -name kwel.kwl | head -1)
[ -n "$log" ] || lan_fail "the sender wrote no chat log"
for text in 广告一 广告二 开会了 广告三; do
  LC_ALL=C grep -q -a -F "$(printf '%s' "$text" | iconv -f UTF-8 -t GBK)" "$log" || lan_fail "the sender's log lacks $text"
done
echo "PASS: multi-user send to one, two and three peers, a face on the doodle board, fonts, the multi-send scope of the spam rules, the log read back"
