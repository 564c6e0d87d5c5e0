#!/usr/bin/env bash
# The program on host 1 and a scripted peer with a photo on host 2: the peer
# announces its head picture and custom picture, the program asks for both,
# stores them under the peer's MAC with the announced sizes, and does not ask
# again when the peer announces itself once more.
# With KWEL_LAN_SHOT=FILE (and Xvfb) the program runs on a virtual screen and
# a screenshot of its panel is written to FILE.
set -u
kwel=$1
peer=$2
here=$(cd "$(dirname "$0")" && pwd)
. "$here/lanlib.sh"
LAN=kwh$$
lan_test_begin 2
work=$LAN_WORK
A1=$(lan_addr 1); A2=$(lan_addr 2)

# A 48 x 48 24-bit bitmap: orange with a dark blue square in the middle.
photo_bmp() {
  local y x row
  printf 'BM\x36\x1b\x00\x00\x00\x00\x00\x00\x36\x00\x00\x00'
  printf '\x28\x00\x00\x00\x30\x00\x00\x00\x30\x00\x00\x00\x01\x00\x18\x00\x00\x00\x00\x00\x00\x1b\x00\x00'
  printf '\x13\x0b\x00\x00\x13\x0b\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00'
  for y in $(seq 0 47); do
    row=""
    for x in $(seq 0 47); do
      if [ "$x" -ge 14 ] && [ "$x" -lt 34 ] && [ "$y" -ge 14 ] && [ "$y" -lt 34 ]; then
        row+='\x80\x30\x20'
      else
        row+='\x20\x90\xf0'
      fi
    done
    printf "$row"
  done
}
photo_bmp >"$work/photo.bmp"

LAN_DISPLAY=()
[ -n "${KWEL_LAN_SHOT:-}" ] && command -v Xvfb >/dev/null && lan_xvfb 1
lan_start_copy "$kwel" 1 1 "${LAN_DISPLAY[@]}"

lan_in_host 2 "$peer" --name 照片 --photo "$work/photo.bmp" >"$work/peer.out" 2>&1 <<EOF2 &
announce
wait ADDED $A1 60
sleep 2500
announce
sleep 10000
EOF2
peer_pid=$!
LAN_PIDS+=("$peer_pid")

photos="$work/h1/.local/share/TARPELON/Kwel/kwel/UserHeadPhoto"
lan_wait_photos 1 60
head=$(ls "$photos"/0????????????????????.bmp 2>/dev/null)
custom=$(ls "$photos"/1????????????????????.bmp 2>/dev/null)
[ -n "$head" ] || lan_fail "the head picture was not stored"
[ -n "$custom" ] || lan_fail "the custom picture was not stored"
stored=$(stat -c %y "$head" "$custom")
wait "$peer_pid" || lan_fail "the peer's script failed"
# The second announcement asked for nothing: the files are the same.
[ "$(ls "$photos" | grep -c '^[01]')" -eq 2 ] || lan_fail "more than one photo of a kind: $(ls "$photos")"
[ "$(stat -c %y "$head" "$custom")" = "$stored" ] || lan_fail "the pictures were asked for and stored again"
[ "$(stat -c %s "$head")" -gt 6000 ] || lan_fail "the stored head picture is not the 48 x 48 bitmap"

if [ ${#LAN_DISPLAY[@]} -gt 0 ]; then
  sleep 1
  (lan_in_host 1 env "${LAN_DISPLAY[@]}" import -window root "$KWEL_LAN_SHOT") || lan_fail "no screenshot"
fi
kill -TERM "$kwel_pid"
wait "$kwel_pid" || lan_fail "the program did not end cleanly"
echo "PASS: a peer's head picture and custom picture are asked for and stored"
