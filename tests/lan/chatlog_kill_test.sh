#!/usr/bin/env bash
# Receipts and the chat log when the program dies: a scripted peer sends 600
# messages at 200 a second while the program is killed (kill -9) at a
# different moment in each of five runs. Every message the peer got a receipt
# for must be in the chat-log file afterwards.
# Then the tray's "保存聊天记录和日志" while the program runs: switched off,
# the next messages are not logged; the switch is in the settings file at
# once (the program is killed right after it); switched on again in the next
# run, messages are logged again. Last, the work folder named in the settings
# file holds the data folder.
set -u
kwel=$1
peer=$2
here=$(cd "$(dirname "$0")" && pwd)
. "$here/lanlib.sh"
LAN=kwk$$
lan_test_begin 2
work=$LAN_WORK
A1=$(lan_addr 1)
log=$work/h1/.local/share/TARPELON/Kwel/kwel/kwel.kwl
ini=$work/h1/.config/TARPELON/Kwel.ini

# start RUN: copy RUN of the program in host 1 (its own event and driver files).
start() {
  lan_run_copy "$kwel" "$1" 1
  lan_wait_line "$work/kwel$1.events" "ADDED $A1 " 60 || lan_fail "run $1 did not start"
}
# flood ROUND COUNT: the peer's messages, their receipts in flood<ROUND>.out.
flood() {
  printf 'attack %s logflood %s %s 200\nexit\n' "$A1" "$1" "$2" \
    | (lan_in_host 2 "$peer" --name "flood$1" >"$work/flood$1.out" 2>&1)
}
receipted() { grep -h '^RECEIPTED ' "$work"/flood"$1".out | awk '{print $2}'; }
readlog() {
  printf 'attack %s logread %s\nexit\n' "$A1" "$log" | (lan_in_host 2 "$peer" --name reader >"$work/log.out" 2>&1) \
    || lan_fail "the chat log cannot be read"
}
# logged TEXT: the message is in the log as read last.
logged() { grep -q -F -- "|  $1|" "$work/log.out"; }

# 1. Five runs killed under load.
total=0
for run in 1 2 3 4 5; do
  start "$run"
  flood "$run" 600 &
  flooder=$!
  # The flood starts half a second after the peer announces; it lasts three.
  sleep "$(awk -v r="$run" 'BEGIN { printf "%.2f", 1.0 + r * 0.35 }')"
  kill -9 "$kwel_pid"
  wait "$kwel_pid" 2>/dev/null
  wait "$flooder" || lan_fail "the flood of run $run did not run"
  grep '^LOGFLOOD ' "$work/flood$run.out"
  n=$(receipted "$run" | wc -l)
  [ "$n" -gt 0 ] || lan_fail "run $run: no receipt before the kill"
  [ "$n" -lt 600 ] || lan_fail "run $run: the kill came after the flood"
  total=$((total + n))
done
readlog
missing=0
for run in 1 2 3 4 5; do
  for text in $(receipted "$run"); do
    logged "$text" || { echo "receipted but not logged: $text"; missing=$((missing + 1)); }
  done
done
echo "KILLED 5 runs: $total receipts, $(grep -c '^LOGGED ' "$work/log.out") records, $missing receipted but not logged"
[ "$missing" -eq 0 ] || lan_fail "$missing receipted messages are not in the chat log"

# 2. The logging switch while the program runs, and its place in the settings file.
start 6
flood 6 20 || lan_fail "flood 6"
drive 6 tray 32849
expect 6 "DRIVER ok tray 32849"
flood 7 20 || lan_fail "flood 7"
kill -9 "$kwel_pid"
wait "$kwel_pid" 2>/dev/null
grep -q '^LOGCHECK_STR=@Int(0)' "$ini" || lan_fail "the switched-off logging is not in the settings file: $(grep LOGCHECK "$ini")"
start 8
flood 8 20 || lan_fail "flood 8"
drive 8 tray 32849
expect 8 "DRIVER ok tray 32849"
flood 9 20 || lan_fail "flood 9"
kill "$kwel_pid"
wait "$kwel_pid" 2>/dev/null
readlog
for round in 6 7 8 9; do
  [ "$(receipted "$round" | wc -l)" -eq 20 ] || lan_fail "round $round: not every message was confirmed"
done
count() { local n=0 t; for t in $(receipted "$1"); do logged "$t" && n=$((n + 1)); done; echo "$n"; }
[ "$(count 6)" -eq 20 ] || lan_fail "logging on: $(count 6) of 20 logged"
[ "$(count 7)" -eq 0 ] || lan_fail "logging switched off: $(count 7) of 20 still logged"
[ "$(count 8)" -eq 0 ] || lan_fail "logging off at start: $(count 8) of 20 logged"
[ "$(count 9)" -eq 20 ] || lan_fail "logging switched on: $(count 9) of 20 logged"

# 3. The work folder of the settings holds the data folder (a trailing "/" is dropped).
sed -i "s|^WorkDir=.*|WorkDir=$work/wd/|" "$ini"
grep -q "^WorkDir=$work/wd/" "$ini" || lan_fail "no WorkDir in the settings file"
start 10
flood 10 20 || lan_fail "flood 10"
kill "$kwel_pid"
wait "$kwel_pid" 2>/dev/null
log=$work/wd/kwel/kwel.kwl
[ -f "$log" ] || lan_fail "no chat log in the work folder"
readlog
[ "$(count 10)" -eq 20 ] || lan_fail "work folder: $(count 10) of 20 logged"
[ -d "$work/wd/kwel/CustomFace" ] || lan_fail "no picture folders in the work folder"
echo "PASS"
