#!/usr/bin/env bash
# What an open chat window costs when its peer sends picture after picture:
# a scripted peer in a second host sends a first picture, the user opens its
# chat window (on a virtual screen), and the peer sends 200 messages more,
# each naming a new picture of the largest size a peer may send (7680 x 2160,
# about 15 KB on the wire, 66 MB as a bitmap at its own size) and the picture
# after it. The window shows each no larger than it can (1920 wide) and all
# windows together hold such bitmaps within a budget, the rest as their
# places. Prints the resident memory of the program before and after the 200;
# it must grow by less than 200 MB.
set -u
kwel=$1
peer=$2
here=$(cd "$(dirname "$0")" && pwd)
. "$here/lanlib.sh"
count=${KWEL_WINDOW_PICTURES:-200}
# Decoding 200 pictures of 50 MB is for the normal build; the sanitizers'
# memory would hide the figure.
[ -z "${KWEL_SANITIZED:-}" ] || { echo "SKIP: measured in the normal build"; exit 77; }
LAN=kww$$
lan_test_begin 2
A1=$(lan_addr 1)
A2=$(lan_addr 2)
events=$LAN_WORK/kwel1.events
id() { printf '%08x' $((0x5E5F0000 + $1)); }

lan_xvfb 1
lan_start_copy "$kwel" 1 1 "${LAN_DISPLAY[@]}"
# The peer sends each message and picture after the last was receipted and
# acknowledged, and resends what was not, as a real peer does: a slow
# receiver only makes it slower.
attack() {
  printf 'attack %s %s\nexit\n' "$A1" "$*" | (lan_in_host 2 "$peer" --name hostile >"$LAN_WORK/attack.out" 2>&1) \
    || lan_fail "the attack $* did not run"
  grep '^NEWLARGE ' "$LAN_WORK/attack.out"
}
# Waits until picture N is shown, as long as pictures keep coming: fails
# only when none came for 60 s.
shown() {
  local n last=-1 idle=0
  while ! grep -q "^PICTURE $A2 $(id "$1")" "$events"; do
    n=$(grep -c "^PICTURE $A2 5e5f" "$events")
    if [ "$n" -gt "$last" ]; then last=$n idle=0; else idle=$((idle + 1)); fi
    [ "$idle" -lt 600 ] || lan_fail "the picture $(id "$1") was not shown ($n shown, none for 60 s)"
    sleep 0.1
  done
}
rss_mb() { echo $(( $(lan_rss_kb "$kwel_pid") / 1024 )); }

# The first picture, and its window opened as the user does.
attack newlarge 1 0
shown 0
# The attack sends from port 2430.
printf 'open %s:2430\n' "$A2" >>"$LAN_WORK/drive1"
lan_wait_line "$events" "DRIVER ok open" 30 || lan_fail "the chat window did not open"

before=$(rss_mb)
attack newlarge "$count" 1
shown "$count"
after=$(rss_mb)
printf 'grab %s:2430 %s\n' "$A2" "$LAN_WORK/window.png" >>"$LAN_WORK/drive1"
lan_wait_line "$events" "DRIVER ok grab" 30 || lan_fail "the window could not be grabbed"
[ -z "${KWEL_WINDOW_GRAB:-}" ] || cp "$LAN_WORK/window.png" "$KWEL_WINDOW_GRAB"
n=$(grep -c "^PICTURE $A2 5e5f" "$events")
echo "FIGURE $count messages each naming a new 7680x2160 picture to their open window: $((n - 1)) shown (as pictures or their places); resident ${before} MB before, ${after} MB after (+$((after - before)) MB)"
grep -q "^NEWLARGE messages $count delivered $count " "$LAN_WORK/attack.out" || lan_fail "not every message was receipted and its picture acknowledged"
[ "$n" -gt "$count" ] || lan_fail "only $((n - 1)) of $count pictures reached the window"
[ $((after - before)) -lt 200 ] || lan_fail "the window grew the program by $((after - before)) MB"
kill -TERM "$kwel_pid"
wait "$kwel_pid" || lan_fail "the program ended badly"
echo "PASS: the pictures of an open window stay within their budget"
