#!/usr/bin/env bash
# The program on host 1 and two scripted peers named 张伟 and 王芳: the user
# types into the main panel's search box (KWEL_TEST_DRIVER) and finds a
# peer by the initials of its name, by its syllables and by its address, and
# Enter opens the chat window of the one peer found, not of several.
set -u
kwel=$1
peer=$2
here=$(cd "$(dirname "$0")" && pwd)
. "$here/lanlib.sh"
LAN=kws$$
lan_test_begin 3
work=$LAN_WORK
A1=$(lan_addr 1); A2=$(lan_addr 2); A3=$(lan_addr 3)

lan_run_copy "$kwel" 1 1
for i in 2 3; do
  name=$([ "$i" = 2 ] && echo 张伟 || echo 王芳)
  lan_in_host "$i" "$peer" --name "$name" >"$work/peer$i.out" 2>&1 <<EOF2 &
announce
wait ADDED $A1 60
sleep 300000
exit
EOF2
  LAN_PIDS+=("$!")
done
lan_wait_line "$work/kwel1.events" "ADDED $A2 " 20 || lan_fail "the program did not list 张伟"
lan_wait_line "$work/kwel1.events" "ADDED $A3 " 20 || lan_fail "the program did not list 王芳"

drive() { printf '%s\n' "$*" >>"$work/drive1"; }
expect() { lan_wait_line "$work/kwel1.events" "$1" 60 || lan_fail "no line \"$1\""; }

drive "search zw"
expect "SEARCHED 1 张伟\$"
drive "searchenter $A2"
expect "DRIVER ok searchenter $A2"
drive "search wangfang"
expect "SEARCHED 1 王芳\$"
drive "search $(echo "$A3" | cut -d. -f1-3)."
expect "SEARCHED 3 "
# Several results: Enter opens nothing.
drive "searchenter $A3"
expect "DRIVER failed searchenter $A3"
drive "search 王"
expect "SEARCHED 1 王芳\$"
drive "searchenter $A3"
expect "DRIVER ok searchenter $A3"
drive "grabpanel $work/panel.png"
expect "DRIVER ok grabpanel"
echo "PASS: the search strip finds peers by initials, syllables, characters and address; Enter opens the one found"
