#!/usr/bin/env bash
# A hostile peer offers a folder whose stream names one entry
# "<img src=/dev/zero>"; the user receives it with "全部接收". The program
# refuses the name in a message box that shows it as written (plain text:
# nothing is read for it), stays alive and its memory bounded.
set -u
kwel=$1
peer=$2
here=$(cd "$(dirname "$0")" && pwd)
. "$here/lanlib.sh"
LAN=kmk$$
lan_test_begin 2
work=$LAN_WORK
A1=$(lan_addr 1); B=$(lan_addr 2)
mkdir -p "$work/recv"
events=$work/kwel1.events

lan_start_copy "$kwel" 1 1
pid=$kwel_pid
# The attacker takes the program's port in host 2; kwelpeer's own engine another.
printf 'attack %s markupfolder 60 2425\nexit\n' "$A1" \
  | lan_in_host 2 "$peer" --port 2426 --name hostile >"$work/attack.out" 2>&1 &
attacker=$!
LAN_PIDS+=("$attacker")

expect 1 "SHOWN $B " 30
before=$(( $(lan_rss_kb "$pid") / 1024 ))
drive 1 "receiveall $B $work/recv"
expect 1 "DRIVER ok receiveall $B"
lan_until_ok 1 "modaltext" 30
grep -F -q "MODALTEXT plain $work/recv/docs/<img src=/dev/zero>" "$events" \
  || lan_fail "the refused name is not shown as written: $(grep '^MODALTEXT' "$events")"
sleep 2
after=$(( $(lan_rss_kb "$pid") / 1024 ))
kill -0 "$pid" 2>/dev/null || lan_fail "the program died"
echo "FIGURE markup in a received name: resident ${before} MB before, ${after} MB with the box open"
[ $((after - before)) -lt 200 ] || lan_fail "showing the name cost $((after - before)) MB"
lan_until_ok 1 "closemodal"
wait "$attacker" || lan_fail "the attack did not run: $(cat "$work/attack.out")"
grep -q "MARKUPFOLDER served 1" "$work/attack.out" || lan_fail "the folder was not asked for"
[ -e "$work/recv/docs/<img src=" ] && lan_fail "a file was made from the refused name"
kill -TERM "$pid"
wait "$pid" || lan_fail "the program ended badly"
echo "PASS: a folder entry named with markup is refused and shown as written, the program unharmed"
