#!/usr/bin/env bash
# Admission by the user's groups across five hosts. Host 1 runs the program
# with host 2 on its blacklist; host 3 runs a hidden copy that only host 1 may
# see; host 4 runs a plain copy; host 5 is a scripted peer that goes hidden
# (visible to host 1) and sends the exit for plain peers after announcing.
# - the blacklisted peer gets no answer to its entry and no receipt, and its
#   message is not shown;
# - the hidden copy is listed by host 1 only;
# - the hidden peer's exit for plain peers leaves it listed, and the hidden
#   copy's own looped-back one leaves its own entry.
set -u
kwel=$1
peer=$2
here=$(cd "$(dirname "$0")" && pwd)
. "$here/lanlib.sh"
LAN=kwa$$
lan_test_begin 5
work=$LAN_WORK
A1=$(lan_addr 1); A2=$(lan_addr 2); A3=$(lan_addr 3); A4=$(lan_addr 4); A5=$(lan_addr 5)
mac() { ip -n "$LAN-$1" link show eth0 | awk '/ether/ {gsub(":", "", $2); print toupper($2)}'; }
M1=$(mac 1); M2=$(mac 2)

mkdir -p "$work/h1/.config/TARPELON" "$work/h3/.config/TARPELON"
printf '[memoGroupNames]\n0=%s#~$#黑名单\n' "$M2" >"$work/h1/.config/TARPELON/Kwel.ini"
# Hidden, and "同事" (holding host 1) visible while hidden.
zeros() { local i; for i in $(seq 1 "$1"); do printf '#~$#0'; done; }
printf 'StatusValue=64\n[MemberGroups]\n0=同事#~$#0#~$#1%s#~$#1%s#~$#\n[memoGroupNames]\n0=%s#~$#同事\n' \
  "$(zeros 17)" "$(zeros 10)" "$M1" >"$work/h3/.config/TARPELON/Kwel.ini"

start() {
  lan_in_host "$1" env KWEL_EVENT_LOG="$work/kwel$1.events" "$kwel" >"$work/kwel$1.out" 2>&1 &
  LAN_PIDS+=("$!")
}
start 1
start 4
lan_wait_line "$work/kwel1.events" "ADDED $A4 " 20 || lan_fail "copy 1 did not list copy 4"
lan_wait_line "$work/kwel4.events" "ADDED $A1 " 20 || lan_fail "copy 4 did not list copy 1"
start 3
lan_wait_line "$work/kwel1.events" "ADDED $A3 " 20 || lan_fail "copy 1, on the visible-to list, did not list the hidden copy"
lan_wait_line "$work/kwel3.events" "ADDED $A1 " 20 || lan_fail "the hidden copy did not list copy 1"
lan_wait_line "$work/kwel3.events" "ADDED $A4 " 20 || lan_fail "the hidden copy did not list copy 4"

lan_in_host 2 "$peer" --name black2 >"$work/peer2.out" 2>&1 <<EOF &
announce
wait ADDED $A4 10
send $A1 hello from the blacklist
sleep 2000
count RECEIPT $A1 0
count ADDED $A1 0
EOF
peer2=$!
LAN_PIDS+=("$peer2")

lan_in_host 5 "$peer" --name hidden5 >"$work/peer5.out" 2>&1 <<EOF &
hide $M1
sleep 1500
plainexit
sleep 1500
EOF
peer5=$!
LAN_PIDS+=("$peer5")

wait "$peer2" || lan_fail "the blacklisted peer was answered"
lan_wait_line "$work/kwel1.events" "ADDED $A2 " 5 || lan_fail "the blacklisted peer was not recorded"
grep -q "^MESSAGE $A2 " "$work/kwel1.events" && lan_fail "the blacklisted peer's message was shown"
lan_wait_line "$work/kwel1.events" "ADDED $A5 " 10 || lan_fail "the hidden peer was not listed by the peer it names"
wait "$peer5" || lan_fail "the hidden peer's script failed"
grep -q "^REMOVED $A5 " "$work/kwel1.events" && lan_fail "the exit for plain peers took the hidden peer off the list"
grep -q "^ADDED $A3 " "$work/kwel4.events" && lan_fail "copy 4 listed the hidden copy"
grep -q "^ADDED $A3 " "$work/kwel3.events" || lan_fail "the hidden copy did not list itself"
grep -q "^REMOVED $A3 " "$work/kwel3.events" && lan_fail "the hidden copy's own exit for plain peers took its own entry off"
grep -q "^ADDED $A5 " "$work/kwel4.events" && lan_fail "copy 4 listed the hidden peer"
echo "PASS: blacklist, visible-to list and the exit for plain peers across five hosts"
