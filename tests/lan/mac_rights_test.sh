#!/usr/bin/env bash
# Group rights keyed by MAC: host 1 shares behind a password, and its group
# "同事", which may see the shares without it, holds host 3's MAC. Host 3
# asks with its own MAC and gets the list; host 2 claims host 3's MAC (every
# entry carries it) and is asked for the password, as the kernel's neighbour
# table gives host 2's address another MAC. Prints both answers.
set -u
kwel=$1
peer=$2
here=$(cd "$(dirname "$0")" && pwd)
. "$here/lanlib.sh"
LAN=kwm$$
lan_test_begin 3
work=$LAN_WORK
A1=$(lan_addr 1); A2=$(lan_addr 2)
mac() { ip -n "$LAN-$1" link show eth0 | awk '/ether/ {gsub(":", "", $2); print toupper($2)}'; }
M3=$(mac 3)
mkdir -p "$work/share" "$work/h1/.config/TARPELON"
echo "shared" >"$work/share/a.txt"
# "同事": the shares without a password (the fourteenth field of the record).
zeros() { local i; for i in $(seq 1 "$1"); do printf '#~$#0'; done; }
printf '[MemberGroups]\n0=同事#~$#0#~$#1%s#~$#1%s#~$#\n[memoGroupNames]\n0=%s#~$#同事\n' \
  "$(zeros 10)" "$(zeros 17)" "$M3" >"$work/h1/.config/TARPELON/Kwel.ini"

lan_start_copy "$kwel" 1 1
lan_share_files 1 口令r "$work/share/a.txt"

claim() {
  printf 'attack %s macclaim %s\nexit\n' "$A1" "$M3" | (lan_in_host "$1" "$peer" --name "claim$1" >"$work/claim$1.out" 2>&1) \
    || lan_fail "the claim from host $1 did not run"
  awk '$1 == "MACCLAIM" { print $2 }' "$work/claim$1.out"
}
member=$(claim 3)
impostor=$(claim 2)
echo "FIGURE the member's own MAC: $member; the same MAC claimed from another host: $impostor; refused: $(grep -c "^REFUSED mac-unconfirmed $A2" "$work/kwel1.events")"
[ "$member" = "list" ] || lan_fail "the member did not get the list without the password"
[ "$impostor" = "need-password" ] || lan_fail "a claimed MAC opened the shares"
echo "PASS: rights by MAC need the neighbour table's word"
