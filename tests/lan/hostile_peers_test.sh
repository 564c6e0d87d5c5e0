#!/usr/bin/env bash
# Hostile peers against a running copy of the program: a scripted peer in a
# second host attacks from sockets of its own (ports no one listed, and
# ports that announced themselves first), one attack after the other:
#   answer ratios of every command (bytes back / bytes sent, 20 requests
#   each), a decoding bomb with a message naming it 20 times and one of 1,000
#   markers, head pictures under 50 announced MACs, chat pictures no message
#   names, the acknowledgements of a stored picture claiming 8000 chunks,
#   messages from 1,000 source ports, floods of shakes and request pairs, and
#   one peer holding the picture budget while another sends a picture.
# Each prints its figure; the bounds are checked on what the program did
# (its event log's REFUSED, SHOWN and SYSTEM lines, its folders and /proc).
set -u
kwel=$1
peer=$2
here=$(cd "$(dirname "$0")" && pwd)
. "$here/lanlib.sh"
LAN=kwh$$
lan_test_begin 2
work=$LAN_WORK
A1=$(lan_addr 1)
events=$work/kwel.events
# A second address of the attacking host: the picture budget is shared per
# sender address, so the peers whose pictures must get through use this one.
B2=$(lan_addr 12)
lan_exec 2 ip addr add "$B2/24" dev eth0

# The program's own head picture (32 x 32, noise): what 0x7b brings back.
own="$work/h1/.local/share/TARPELON/Kwel/kwel/UserHeadPhoto"
mkdir -p "$own"
{
  printf 'BM\x36\x0c\x00\x00\x00\x00\x00\x00\x36\x00\x00\x00'
  printf '\x28\x00\x00\x00\x20\x00\x00\x00\x20\x00\x00\x00\x01\x00\x18\x00\x00\x00\x00\x00\x00\x0c\x00\x00'
  printf '\x13\x0b\x00\x00\x13\x0b\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00'
  head -c 3072 /dev/urandom
} >"$own/MyHeadPicture.bmp"

# A small quarantine under AddressSanitizer keeps the memory figures honest.
lan_in_host 1 env KWEL_EVENT_LOG="$events" ASAN_OPTIONS="${ASAN_OPTIONS:+$ASAN_OPTIONS:}quarantine_size_mb=16" \
  "$kwel" >"$work/kwel.out" 2>&1 &
kwel_pid=$!
LAN_PIDS+=("$kwel_pid")
lan_wait_line "$events" "ADDED $A1 " 30 || lan_fail "the program did not list itself"

# attack NAME ARGS...: one attack from host 2; its figure lines are printed.
attack() {
  printf 'attack %s %s\nexit\n' "$A1" "$*" | (lan_in_host 2 "$peer" --name hostile >"$work/attack.out" 2>&1) \
    || lan_fail "the attack $* did not run"
  grep -E '^(RATIO|BOMB|HEADPICS|CHATPICS|STOREDACK|PORTS|SHAKES|STARVE) ' "$work/attack.out" | tee -a "$work/figures.out"
}
count() { grep -c -- "^$1" "$events"; }
data() { echo "$work"/h1/.local/share/*/*/kwel; }
# (the program's own pictures, My*.bmp, are not counted)
files() { find "$(data)/$1" -type f -name '[0-9a-fA-F]*' 2>/dev/null | wc -l; }
bytes() { du -sb "$(data)/$1" 2>/dev/null | awk '{print $1}'; }
rss_mb() { echo $(( $(lan_rss_kb "$kwel_pid") / 1024 )); }

# 1. Answer ratios.
attack ratios
awk '$1 == "RATIO" && $2 == "unlisted" && $4 > 0 && $5 / $4 > 2 { bad = bad " " $3 } END { if (bad) { print "over 2:" bad; exit 1 } }' \
  "$work/figures.out" || lan_fail "an unlisted peer's request brings back more than twice its size"
awk '$1 == "RATIO" && $2 == "listed" && $3 == "7b" { if ($6 == 0 || $6 > 60) exit 1 }' "$work/figures.out" \
  || lan_fail "a listed peer did not get the head picture once"
echo "FIGURE answer ratios (in/out, 20 requests): $(awk '$1 == "RATIO" { printf "%s %s=%.2f ", $2, $3, ($4 ? $5 / $4 : 0) }' "$work/figures.out")"

# 2. The bomb and the markers.
before=$(rss_mb)
attack bomb
lan_wait_line "$events" "SHOWN " 20 || lan_fail "the messages naming the pictures were not shown"
sleep 3
after=$(rss_mb)
echo "FIGURE bomb: resident ${before} MB before, ${after} MB after (+$((after - before)) MB); refused too large: $(count 'REFUSED picture-too-large')"
[ "$(count 'REFUSED picture-too-large')" -ge 1 ] || lan_fail "the bomb was not refused"
[ $((after - before)) -lt 150 ] || lan_fail "the bomb and its markers cost $((after - before)) MB"

# 3. Head pictures from an unlisted port and from a listed one, 50 MACs each.
attack headpics 50
sleep 1
echo "FIGURE head pictures: $(files UserHeadPhoto) files, $(bytes UserHeadPhoto) bytes for 2 x 50 sent; refused unlisted: $(count 'REFUSED picture-unlisted')"
[ "$(files UserHeadPhoto)" -le 1 ] || lan_fail "more than one head picture kept for one peer"

# 4. Chat pictures no message names.
recv_before=$(files RecvFace)
attack chatpics 200
sleep 1
echo "FIGURE chat pictures without a message: $(( $(files RecvFace) - recv_before )) stored of 200; refused over budget: $(count 'REFUSED picture-budget')"
[ "$(files RecvFace)" -eq "$recv_before" ] || lan_fail "chat pictures no message named were stored"

# 5. The acknowledgements of a stored picture.
attack storedack "$B2"
listed=$(awk '$1 == "STOREDACK" && $2 == "listed" { print $8 }' "$work/figures.out")
again=$(awk '$1 == "STOREDACK" && $2 == "again" { print $8 }' "$work/figures.out")
unlisted=$(awk '$1 == "STOREDACK" && $2 == "unlisted" { print $8 }' "$work/figures.out")
echo "FIGURE stored picture claiming 8000 chunks: listed $listed acknowledgements, again at once $again, unlisted $unlisted"
[ "${listed:-99999}" -le 8000 ] || lan_fail "a chunk was acknowledged more than once"
[ "${again:-99999}" -le 2 ] || lan_fail "the answer was not limited to once per picture in the interval"
[ "${unlisted:-1}" -eq 0 ] || lan_fail "an unlisted peer was answered"

# 6. Messages from 1,000 source ports, then 50 that announced themselves.
shown_before=$(count 'SHOWN ')
before=$(rss_mb)
began=$(date +%s)
attack ports 1000 200
sleep 2
after=$(rss_mb)
# The budget is 20 windows in any minute: a slow run (the sanitizer build on a
# busy machine) may span more than one minute and so open 20 in each.
minutes=$(( ($(date +%s) - began) / 60 + 1 ))
shown=$(( $(count 'SHOWN ') - shown_before ))
echo "FIGURE 1000 ports: $(count 'REFUSED message-unlisted') messages refused unlisted, $shown shown, $(count 'REFUSED window-rate') refused for the window rate; resident +$((after - before)) MB"
[ "$shown" -le $(( 20 * minutes )) ] || lan_fail "$shown windows opened in $minutes minute(s)"
[ $((after - before)) -lt 150 ] || lan_fail "the ports cost $((after - before)) MB"

# 7. Shakes and request pairs.
attack shakes 1000
sleep 1
shakes=$(grep -c "^SYSTEM .*闪 屏 振 动" "$events")
requests=$(grep -c "^SYSTEM .*请求与您进行语音聊天\|^SYSTEM .*请求您远程协助" "$events")
echo "FIGURE 1000 shakes: $shakes notices ($(count 'REFUSED shake-rate') refused); 1000 request pairs: $requests notices ($(count 'REFUSED request-rate') quiet)"
[ "$shakes" -le 5 ] || lan_fail "$shakes shake notices"
[ "$requests" -le 10 ] || lan_fail "$requests request notices"

# 8. One peer holds the picture budget; another's picture still gets through.
attack starve "$B2"
victim=$(awk '$1 == "STARVE" { print $7 }' "$work/figures.out")
chunks=$(awk '$1 == "STARVE" { print $9 }' "$work/figures.out")
echo "FIGURE starvation: the other peer's picture got $victim acknowledgements for $chunks chunks"
[ "${victim:-0}" -ge "${chunks:-1}" ] || lan_fail "one peer starved another's picture"

echo "FIGURE refusals: $(grep '^REFUSED ' "$events" | awk '{print $2}' | sort | uniq -c | awk '{printf "%s=%s ", $2, $1}')"
kill -TERM "$kwel_pid"
wait "$kwel_pid" || lan_fail "the program ended badly"
echo "PASS: hostile peers within bounds"
