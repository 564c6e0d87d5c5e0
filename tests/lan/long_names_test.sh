#!/usr/bin/env bash
# A plain IP Messenger peer announces itself once, with a short entry, and
# lists us only from our answer: with a nick name and a group of 48 bytes
# each (the most the settings take) the answer is several times the entry.
# The program on host 1 with such names; plain peers on hosts 2, 3 and 4 each
# send their first short entry (and then a short message): each entry is
# answered within 2 s, and the message receipted. Prints each peer's figures
# and what the budget refused toward them.
set -u
kwel=$1
peer=$2
here=$(cd "$(dirname "$0")" && pwd)
. "$here/lanlib.sh"
LAN=kwn$$
lan_test_begin 4
work=$LAN_WORK
A1=$(lan_addr 1)
events=$work/kwel1.events

ini="$work/h1/.config/TARPELON/Kwel.ini"
mkdir -p "$(dirname "$ini")"
printf 'NICKNAMESTR_STR=%s\nGROUPNAMESTR_STR=%s\n' "$(printf 'N%.0s' $(seq 1 48))" "$(printf 'G%.0s' $(seq 1 48))" >"$ini"
lan_start_copy "$kwel" 1 1

plains=()
for i in 2 3 4; do
  printf 'attack %s plainchat\nexit\n' "$A1" | (lan_in_host "$i" "$peer" --name "plain$i" >"$work/plain$i.out" 2>&1) &
  plains+=("$!")
done
wait "${plains[@]}"
answered=0
for i in 2 3 4; do
  read -r _ _ entry _ receipt < <(grep '^PLAINCHAT ' "$work/plain$i.out")
  echo "FIGURE plain peer $(lan_addr "$i"): entry answered ${entry:-?}, receipt in ${receipt:-?} ms; refused toward it: $(grep -c "^REFUSED answer-budget $(lan_addr "$i")$" "$events")"
  [ "${entry:-N}" = Y ] && answered=$((answered + 1))
done
echo "FIGURE $answered of 3 plain peers' first entries answered, with names of 48 bytes"
[ "$answered" -eq 3 ] || lan_fail "a plain peer's entry went unanswered"
echo "PASS: a plain peer lists us whatever the length of our names"
