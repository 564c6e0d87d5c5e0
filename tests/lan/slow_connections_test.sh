#!/usr/bin/env bash
# Slow clients against the file server of the running program. Copy 1 runs
# with a limit of 1024 open files; a third host opens 600 connections from
# twelve addresses that send a file request one byte a second and never end
# it. Connections above the caps are closed at once, copy 1 keeps its
# descriptors bounded, answers entries all along, and a real transfer to
# copy 2 completes meanwhile. Copy 2 starts with a soft limit below its hard
# limit and must have raised it.
#
# What is checked is what copy 1 itself did: its event log has a SERVED line
# for every connection it ended or refused, with the number it still held,
# and /proc has its descriptors. What the attacker saw is only reported: under
# load the attacker cannot tell a held connection from one still waiting in
# the listen queue, nor a refusal from a late accept.
#
# A load run with other figures: KWEL_SLOW_CONNECTIONS (600), KWEL_SLOW_NOFILE
# (1024, the soft and hard limit of copy 1), KWEL_SLOW_SECONDS (30).
set -u
kwel=$1
peer=$2
here=$(cd "$(dirname "$0")" && pwd)
. "$here/lanlib.sh"
LAN=kws$$
slow=${KWEL_SLOW_CONNECTIONS:-600}
nofile=${KWEL_SLOW_NOFILE:-1024}
seconds=${KWEL_SLOW_SECONDS:-30}
lan_test_begin 3
work=$LAN_WORK
A1=$(lan_addr 1); A2=$(lan_addr 2)

# The attacker's own addresses beside its first one.
froms=""
for i in $(seq 101 112); do
  ip -n "$LAN-3" addr add "$(lan_addr "$i")/24" dev eth0
  froms="$froms $(lan_addr "$i")"
done

mkdir -p "$work/src" "$work/recv"
head -c 67108864 /dev/urandom >"$work/src/big.bin"

lan_start_two_copies "$kwel" "prlimit --nofile=$nofile:$nofile" "prlimit --nofile=1024:4096"
grep -Eq "^Max open files +$nofile +$nofile " "/proc/$pid1/limits" || lan_fail "copy 1 does not run at the limit asked for"
grep -Eq "^Max open files +4096 +4096 " "/proc/$pid2/limits" || lan_fail "copy 2 did not raise its soft limit to its hard limit"
lan_watch_proc "$pid1" "$work/proc1"

drive 1 "open $A2"
drive 1 "attach $A2 $work/src/big.bin"
drive 1 "type $A2 大文件"
drive 1 "send $A2"
expect 2 "SHOWN $A1 .* 大文件\$"

# The attacker: entries answered before, during and at the end of the attack.
lan_in_host 3 "$peer" --plain --name slow >"$work/slow.out" 2>&1 <<SCRIPT &
announce
waitcount 1 RAW $A1 3 30
slow $A1 $slow $seconds $froms
sleep 5000
announce
waitcount 2 RAW $A1 3 30
sleep $(( (seconds - 8) * 1000 ))
announce
waitcount 3 RAW $A1 3 30
slowend
SCRIPT
attacker=$!
LAN_PIDS+=("$attacker")

# The real transfer, while the slow connections are held.
sleep 4
drive 2 "receiveall $A1 $work/recv"
expect 2 "DRIVER ok receiveall $A1"
for i in $(seq 1 1800); do
  cmp -s "$work/src/big.bin" "$work/recv/big.bin" && break
  sleep 0.1
done
cmp "$work/src/big.bin" "$work/recv/big.bin" || lan_fail "the file did not arrive whole during the attack"

wait "$attacker" || lan_fail "the attacker's script failed (entries not answered?)"
kill -0 "$pid1" 2>/dev/null || lan_fail "copy 1 ended under the attack"
echo "attacker saw: $(grep '^SLOW ' "$work/slow.out")"
echo "copy 1 at most: $(cat "$work/proc1")"
events=$work/kwel1.events
refused=$(grep -c "^SERVED [0-9.]* refused " "$events")
timedout=$(grep -c "^SERVED [0-9.]* timeout " "$events")
held=$(awk '/^SERVED / && $4 == "open" && $5 > m {m = $5} END {print m + 0}' "$events")
fds=$(lan_field "$work/proc1" fds)
echo "copy 1 refused $refused connections, timed out $timedout, held $held at most, $fds descriptors at most"
# The file server's cap in total (FileSendLimits; 256 from a limit of 1024
# open files up). More connections came than it allows, so some were refused
# while the program held others; never more than it.
cap=256
if [ "$slow" -gt "$cap" ]; then
  [ "$refused" -gt 0 ] || lan_fail "no connection above the caps was refused"
  [ "$held" -gt 0 ] || lan_fail "the program held no slow connection"
fi
[ "$held" -le "$cap" ] || lan_fail "copy 1 held $held connections, more than its cap"
# At most the cap of connections, and some descriptors of the program's own.
[ "$fds" -lt $(( cap + 200 )) ] || lan_fail "copy 1 had $fds descriptors open"
grep -q "Too many open files" "$work/kwel1.out" && lan_fail "copy 1 ran out of descriptors"

kill -TERM "$pid1" "$pid2"
wait "$pid1" || lan_fail "copy 1 ended badly"
wait "$pid2" || lan_fail "copy 2 ended badly"
echo "PASS: $slow slow connections refused above the caps while a transfer completed and entries were answered"
