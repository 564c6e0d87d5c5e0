#!/usr/bin/env bash
# Pictures between two copies of the program on a private LAN, driven as a
# user drives the chat windows: a pasted screenshot and a custom face appear
# in the other copy's history in place of their placeholders, and the
# received face is added to that copy's face library; then the same
# with 10 % of the packets lost on the link (nftables in each host), where
# the screenshot must still arrive within two resend passes and the chunks
# resent must stay within twice the chunks lost. Prints the figures.
set -u
kwel=$1
here=$(cd "$(dirname "$0")" && pwd)
. "$here/lanlib.sh"
LAN=kwp$$
lan_test_begin 2
work=$LAN_WORK
A1=$(lan_addr 1); A2=$(lan_addr 2)

# A screenshot of about 1 MB as it travels (JPEG of noise) and a small face.
command -v convert >/dev/null || { echo "SKIP: needs ImageMagick"; exit 77; }
convert -size 600x420 xc: +noise Random -depth 8 "$work/shot1.png" || lan_fail "no picture made"
convert -size 600x420 xc: +noise Random -depth 8 "$work/shot2.png" || lan_fail "no picture made"
convert -size 24x24 xc:orange -fill blue -draw "circle 12,12 12,4" "$work/smile.gif" || lan_fail "no face made"

lan_start_two_copies "$kwel"

# figure NAME LINE: the value of NAME=... in an event line.
figure() { printf '%s\n' "$2" | tr ' ' '\n' | sed -n "s/^$1=//p"; }

# shown_in_place I ADDR ID: copy I's history with ADDR shows picture ID in place (asked for up to 10 s).
shown_in_place() {
  local n i tried
  for n in $(seq 1 20); do
    tried=$(grep -c "^DRIVER [a-z]* shown $2 $3" "$work/kwel$1.events")
    drive "$1" "shown $2 $3"
    for i in $(seq 1 50); do
      [ "$(grep -c "^DRIVER [a-z]* shown $2 $3" "$work/kwel$1.events")" -gt "$tried" ] && break
      sleep 0.1
    done
    grep -q "^DRIVER ok shown $2 $3" "$work/kwel$1.events" && return 0
    sleep 0.5
  done
  return 1
}

send_picture() { # send_picture SHOT TEXT
  drive 1 "paste $A2 $1"
  drive 1 "type $A2 $2"
  drive 1 "send $A2"
}

# Without loss: the screenshot and a face from the library.
drive 1 "open $A2"
send_picture "$work/shot1.png" 看图
expect 2 "SHOWN $A1 .*看图" 20
expect 1 "PICTURESENT $A2 " 60
clean=$(grep "^PICTURESENT $A2 " "$work/kwel1.events" | head -1)
first=$(sed -n "s/^SENT $A2 [0-9]* \/~#>\([0-9a-f]\{8\}\)<B~看图\$/\1/p" "$work/kwel1.events")
[ -n "$first" ] || lan_fail "the screenshot was not sent as a picture marker"
# It fills its placeholder (PICTURE), or, when the message came after it,
# the history finds it stored: either way it stands in the message's place.
shown_in_place 2 "$A1" "$first" || lan_fail "the screenshot is not shown in the peer's history"
drive 1 "face $A2 $work/smile.gif"
drive 1 "type $A2 表情"
drive 1 "send $A2"
expect 1 "DRIVER ok face $A2 "
expect 2 "SHOWN $A1 .*表情" 20
# The face arrives before or after its message: either it fills its
# placeholder, or the history finds it stored when the message is drawn.
face=$(sed -n "s/^SENT $A2 [0-9]* \/~#>\([0-9a-f]\{8\}\)<G~表情\$/\1/p" "$work/kwel1.events")
[ -n "$face" ] || lan_fail "the face was not sent as an animated picture marker"
for i in $(seq 1 300); do
  ls "$work"/h2/.local/share/*/*/kwel/RecvFace/"$face".gif >/dev/null 2>&1 && break
  sleep 0.1
done
ls "$work"/h2/.local/share/*/*/kwel/RecvFace/"$face".gif >/dev/null 2>&1 || lan_fail "the face was not stored as a GIF"
cmp -s "$work/smile.gif" "$work"/h2/.local/share/*/*/kwel/RecvFace/"$face".gif || lan_fail "the face did not arrive byte for byte"
shown_in_place 2 "$A1" "$face" || lan_fail "the face is not shown in the peer's history"
# The received face joins copy 2's library through the history's
# "添加到表情库(&T)"; the picker and the manager open on the library.
drive 2 "addface $A1 $face"
expect 2 "DRIVER [a-z]* addface $A1 $face" 15
expect 2 "DRIVER ok addface $A1 $face" 1
lib2=$(ls -d "$work"/h2/.local/share/*/*/kwel/CustomFace)
cmp -s "$work/smile.gif" "$lib2/$face.gif" || lan_fail "the received face did not join the library byte for byte"
[ -f "$lib2/${face}fixed.bmp" ] || lan_fail "the added face has no thumbnail"
grep -q "id=\"$face\"" "$lib2/face.xml" || lan_fail "the library's index does not list the added face"
drive 2 "faces $A1"
expect 2 "DRIVER ok faces $A1"
drive 2 "facemanager $A1"
drive 2 "closemodal"
expect 2 "DRIVER ok closemodal"
expect 2 "DRIVER ok facemanager $A1"
drive 2 "grab $A1 $work/received.png"
expect 2 "DRIVER ok grab"

# 10 % loss each way: host 2 drops chunks (counted) and everything else, host 1 the acknowledgements.
if ! command -v nft >/dev/null; then
  DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends nftables >/dev/null 2>&1 \
    || { echo "SKIP: the loss part needs nftables"; exit 77; }
fi
for i in 1 2; do
  lan_exec "$i" nft add table inet kwloss
  lan_exec "$i" nft 'add chain inet kwloss in { type filter hook input priority 0; }'
done
lan_exec 2 nft add rule inet kwloss in iifname eth0 meta length gt 400 numgen random mod 100 \< 10 counter drop
lan_exec 2 nft add rule inet kwloss in iifname eth0 meta length le 400 numgen random mod 100 \< 10 drop
lan_exec 1 nft add rule inet kwloss in iifname eth0 numgen random mod 100 \< 10 counter drop

send_picture "$work/shot2.png" 丢包
# A lost message is sent again after 9 s (six times the period while pictures go).
expect 2 "SHOWN $A1 .*丢包" 60
for i in $(seq 1 600); do
  [ "$(grep -c "^PICTURESENT $A2 " "$work/kwel1.events")" -ge 3 ] && break
  grep -q "^PICTUREDROPPED $A2 " "$work/kwel1.events" && lan_fail "the picture was given up under loss"
  sleep 0.1
done
lossy=$(grep "^PICTURESENT $A2 " "$work/kwel1.events" | sed -n 3p)
[ -n "$lossy" ] || lan_fail "the screenshot did not complete under loss"
shot=$(sed -n "s/^SENT $A2 [0-9]* \/~#>\([0-9a-f]\{8\}\)<B~丢包\$/\1/p" "$work/kwel1.events")
for i in $(seq 1 300); do
  ls "$work"/h2/.local/share/*/*/kwel/RecvFace/"$shot".bmp >/dev/null 2>&1 && break
  sleep 0.1
done
ls "$work"/h2/.local/share/*/*/kwel/RecvFace/"$shot".bmp >/dev/null 2>&1 || lan_fail "the lossy screenshot was not received"
# In the history in the message's place (its placeholder filled, or found
# stored when a late message was drawn).
shown_in_place 2 "$A1" "$shot" || lan_fail "the lossy screenshot is not shown in the peer's history"
lost=$(lan_exec 2 nft list ruleset | sed -n 's/.*counter packets \([0-9]*\).*/\1/p' | head -1)

chunks=$(figure chunks "$clean"); ms0=$(figure ms "$clean"); sent0=$(figure sent "$clean")
ms1=$(figure ms "$lossy"); sent1=$(figure sent "$lossy"); resent=$(figure resent "$lossy"); passes=$(figure passes "$lossy")
repairs=$(figure repairs "$lossy")
echo "FIGURES chunks=$chunks no-loss: ms=$ms0 sent=$sent0 | 10% loss: ms=$ms1 sent=$sent1 resent=$resent lost=$lost passes=$passes repairs=$repairs"
echo "FIGURES time ratio (loss/no loss) = $(awk "BEGIN{printf \"%.2f\", $ms1/($ms0>0?$ms0:1)}"), resent/lost = $(awk "BEGIN{printf \"%.2f\", $resent/($lost>0?$lost:1)}")"
# How many passes and resent chunks a lossy transfer takes depends on when
# the acknowledgements arrive (and on the lost acknowledgements, which the
# counter does not see): figures to read, not a pass or fail. What must hold
# on any machine: the picture arrived whole, and never given up (above).

kill -TERM "$pid1" "$pid2"
wait "$pid1" || lan_fail "the first copy ended badly"
wait "$pid2" || lan_fail "the second copy ended badly"
echo "PASS: a pasted screenshot and a face appear in the peer's history, also at 10 % loss"
