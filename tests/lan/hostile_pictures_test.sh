#!/usr/bin/env bash
# What a hostile peer's pictures may cost a running copy of the program: a
# scripted peer in a second host with many addresses
#   floods the picture folders with pictures that decode to 50 MB each, from
#   one address and then from eleven, and a new peer's picture is still
#   stored, also after a restart;
#   announces itself under 20 MACs from one address with a head picture each;
#   names one stored picture of the largest size from 14 new identities, and
#   a window a large and 130 tiny stored pictures in 20 messages;
#   holds the incoming budget from four addresses while a new peer sends.
# Each prints its figure (bytes on disk, resident growth of the program from
# /proc, acknowledgements to the new sender) and checks its bound.
set -u
kwel=$1
peer=$2
here=$(cd "$(dirname "$0")" && pwd)
. "$here/lanlib.sh"
# Decoding and writing a gigabyte of 50 MB pictures takes the sanitizer build
# far longer than a test may; its unit tests cover the folder shares there.
[ -z "${KWEL_SANITIZED:-}" ] || { echo "SKIP: the picture floods are measured in the normal build"; exit 77; }
LAN=kwp$$
lan_test_begin 2
work=$LAN_WORK
A1=$(lan_addr 1)
events=$work/kwel.events
# The attacking host's addresses: floods from 20..30, hogs from 40..43, the
# new peers from 50 on.
for i in $(seq 20 30) 40 41 42 43 50 51 52; do
  lan_exec 2 ip addr add "$(lan_addr "$i")/24" dev eth0
done
flooders=$(for i in $(seq 20 30); do printf '%s ' "$(lan_addr "$i")"; done)

start_kwel() {
  # The event log goes on across restarts: wait for this run's own line.
  local before i
  before=$(grep -c "^ADDED $A1 " "$events" 2>/dev/null)
  lan_in_host 1 env KWEL_EVENT_LOG="$events" ASAN_OPTIONS="${ASAN_OPTIONS:+$ASAN_OPTIONS:}quarantine_size_mb=16" \
    "$kwel" >>"$work/kwel.out" 2>&1 &
  kwel_pid=$!
  LAN_PIDS+=("$kwel_pid")
  for i in $(seq 1 300); do
    [ "$(grep -c "^ADDED $A1 " "$events" 2>/dev/null)" -gt "${before:-0}" ] && return 0
    sleep 0.1
  done
  lan_fail "the program did not list itself"
}
stop_kwel() {
  kill -TERM "$kwel_pid"
  wait "$kwel_pid" || lan_fail "the program ended badly"
}
attack() {
  printf 'attack %s %s\nexit\n' "$A1" "$*" | (lan_in_host 2 "$peer" --name hostile >"$work/attack.out" 2>&1) \
    || lan_fail "the attack $* did not run"
  grep -E '^(STOREDMEM|STOREDMIX|DISKFLOOD|VICTIM|HEADMACS|STARVEMANY) ' "$work/attack.out" | tee -a "$work/figures.out"
}
count() { grep -c -- "^$1" "$events"; }
data() { echo "$work"/h1/.local/share/*/*/kwel; }
files() { find "$(data)/$1" -type f -name '[0-9a-fA-F]*' 2>/dev/null | wc -l; }
mb() { echo $(( $(du -sb "$(data)/$1" 2>/dev/null | awk '{print $1}') / 1048576 )); }
rss_mb() { echo $(( $(lan_rss_kb "$kwel_pid") / 1024 )); }
# victim ID FROM: a new peer's picture, its acknowledgements, its file and its place in the history.
victim() {
  attack victim "$1" "$2"
  local line acks chunks
  line=$(grep "^VICTIM $1 " "$work/figures.out" | tail -1)
  acks=$(echo "$line" | awk '{print $4}')
  chunks=$(echo "$line" | awk '{print $6}')
  [ "${acks:-0}" -ge "${chunks:-1}" ] || lan_fail "the new peer's picture $1 got $acks acknowledgements for $chunks chunks"
  for _ in $(seq 1 50); do [ -f "$(data)/RecvFace/$1.bmp" ] && break; sleep 0.1; done
  [ -f "$(data)/RecvFace/$1.bmp" ] || lan_fail "the new peer's picture $1 was not stored"
  lan_wait_line "$events" "PICTURE $2 $1" 10 || lan_fail "the new peer's picture $1 was not shown"
}

start_kwel

# 1. Disk: one address, then eleven, each sending pictures of 50 MB decoded.
attack diskflood "$(lan_addr 20)"
one=$(mb RecvFace)
echo "FIGURE one address sent 2 pictures of 50 MB decoded: RecvFace holds $one MB (its share is 64 MB)"
[ "$one" -le 64 ] || lan_fail "one address holds $one MB"
attack diskflood $flooders
all=$(mb RecvFace)
echo "FIGURE eleven addresses: RecvFace holds $all MB of the 512 MB bound; deleted to make room: $(count 'REFUSED picture-evicted')"
[ "$all" -le 512 ] || lan_fail "the folders passed their bound: $all MB"
[ "$(count 'REFUSED picture-evicted')" -ge 1 ] || lan_fail "nothing made room at the bound"
victim 000000f1 "$(lan_addr 50)"
echo "FIGURE after the flood a new peer's picture: $(grep '^VICTIM 000000f1' "$work/figures.out" | cut -d' ' -f3-), stored"

# ... and after a restart (the accounting is rebuilt from the folders).
stop_kwel
start_kwel
victim 000000f2 "$(lan_addr 51)"
echo "FIGURE after a restart a new peer's picture: $(grep '^VICTIM 000000f2' "$work/figures.out" | cut -d' ' -f3-), stored; RecvFace $(mb RecvFace) MB"
[ "$(mb RecvFace)" -le 512 ] || lan_fail "the folders passed their bound after the restart"

# 2. Head pictures under 20 MACs from one address.
attack headmacs 20
sleep 1
echo "FIGURE head pictures under 20 MACs from one address: $(files UserHeadPhoto) file(s)"
[ "$(files UserHeadPhoto)" -le 1 ] || lan_fail "one address keeps $(files UserHeadPhoto) head pictures"

# 3. Memory. growth BOUND-MB TEXT ATTACK...: the attack's resident growth, printed and bounded.
growth() {
  local bound=$1 text=$2 before after
  shift 2
  before=$(rss_mb)
  attack "$@"
  sleep 2
  after=$(rss_mb)
  echo "FIGURE $text: resident ${before} MB before, ${after} MB after (+$((after - before)) MB)"
  [ $((after - before)) -lt "$bound" ] || lan_fail "$text cost $((after - before)) MB"
}
# One stored picture of the largest size (50 MB decoded, 66 MB as a bitmap at
# its own size, 4 MB as a window shows it) named by 14 new identities; then a
# window shown a large one and 130 tiny ones, 63 at a time.
growth 250 "a stored picture named 64 times by 14 new identities" storedmem 14
growth 200 "one window, a large and 130 tiny stored pictures in 20 messages" storedmix 20

# 4. The incoming budget held from four addresses.
attack starvemany "$(lan_addr 2)" "$(lan_addr 40)" "$(lan_addr 41)" "$(lan_addr 42)" "$(lan_addr 52)"
line=$(grep '^STARVEMANY' "$work/figures.out")
acks=$(echo "$line" | awk '{print $5}')
chunks=$(echo "$line" | awk '{print $7}')
echo "FIGURE four addresses hold the incoming budget: the new peer's picture got $acks acknowledgements for $chunks chunks; refused over budget: $(count 'REFUSED picture-budget')"
[ "${acks:-0}" -ge "${chunks:-1}" ] || lan_fail "four addresses starved a new sender"

echo "FIGURE refusals: $(grep '^REFUSED ' "$events" | awk '{print $2}' | sort | uniq -c | awk '{printf "%s=%s ", $2, $1}')"
stop_kwel
echo "PASS: stored pictures within bounds"
