#!/usr/bin/env bash
# Guessing the share password: a listed peer in host 2 sends 2,000 wrong
# passwords as fast as it can, then the right one. The program answers the
# first few, then nothing from that address for a while, not even the right
# one; its event log says the address was silenced. Prints the answers.
set -u
kwel=$1
peer=$2
here=$(cd "$(dirname "$0")" && pwd)
. "$here/lanlib.sh"
LAN=kwg$$
lan_test_begin 2
work=$LAN_WORK
A1=$(lan_addr 1); A2=$(lan_addr 2)
mkdir -p "$work/share"
echo "shared" >"$work/share/a.txt"

lan_start_copy "$kwel" 1 1
lan_share_files 1 口令r "$work/share/a.txt"

printf 'attack %s guess 2000 口令r\nexit\n' "$A1" | (lan_in_host 2 "$peer" --name guesser >"$work/guess.out" 2>&1) \
  || lan_fail "the guesses did not run"
line=$(grep '^GUESS ' "$work/guess.out")
wrong=$(echo "$line" | awk '{ print $5 }')
lists=$(echo "$line" | awk '{ print $7 }')
right=$(echo "$line" | awk '{ print $9 }')
ms=$(echo "$line" | awk '{ print $11 }')
echo "FIGURE 2000 wrong share passwords in $ms ms: $wrong answered wrong, $lists lists, the right one after them answered $right times; refused: $(grep -c "^REFUSED share-password $A2" "$work/kwel1.events")"
[ "${wrong:-99}" -le 3 ] || lan_fail "$wrong wrong passwords were answered"
[ "${lists:-1}" -eq 0 ] && [ "${right:-1}" -eq 0 ] || lan_fail "a silenced address was answered"
grep -q "^SHAREPASSWORD $A2 silenced" "$work/kwel1.events" || lan_fail "the event log does not say the address was silenced"
echo "PASS: share passwords cannot be guessed at speed"
