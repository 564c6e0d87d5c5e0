#!/usr/bin/env bash
# Guessing the share password: a listed peer in host 2 sends 2,000 wrong
# passwords as fast as it can, then the right one. The program answers the
# first few, then nothing from that address until its rate gives it another
# check (one each 5 s), not even the right one; its event log says the
# address was silenced. The right password, sent again every 1.5 s, gets the
# list within a few seconds: the silence is a rate, never a lock.
# Then guesses forged from others' addresses, which never echo the challenge:
# host 3 fetches the list with the right password (its address has shown it
# receives there), then three wrong passwords are forged from host 3's address,
# after which host 3's own right password is answered 4 times of 4 (its
# challenges echoed by body and by packet number in turn); and 9,000 wrong passwords from 4,200
# forged addresses, after which a fresh address (host 4) with the right
# password gets the list. Prints the answers.
set -u
kwel=$1
peer=$2
here=$(cd "$(dirname "$0")" && pwd)
. "$here/lanlib.sh"
LAN=kwg$$
lan_test_begin 4
work=$LAN_WORK
A1=$(lan_addr 1); A2=$(lan_addr 2); A3=$(lan_addr 3); A4=$(lan_addr 4)
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
# (On a slow machine the guesses may outlast a check given back.)
[ "${wrong:-99}" -le $((3 + ${ms:-0} / 5000)) ] || lan_fail "$wrong wrong passwords were answered in $ms ms"
[ "${lists:-1}" -eq 0 ] || lan_fail "a wrong password got the list"
[ "${right:-1}" -eq 0 ] || [ "${ms:-0}" -ge 5000 ] || lan_fail "a silenced address was answered"
grep -q "^SHAREPASSWORD $A2 silenced" "$work/kwel1.events" || lan_fail "the event log does not say the address was silenced"
printf 'attack %s rightpassword 口令r 6\nexit\n' "$A1" | (lan_in_host 2 "$peer" --name guesser >"$work/after.out" 2>&1) \
  || lan_fail "the right password did not run"
after=$(awk '$1 == "RIGHTPASSWORD" { print $5 }' "$work/after.out")
echo "FIGURE the guesser's right password right after, once each 1.5 s: $after lists of 6"
[ "${after:-0}" -ge 1 ] || lan_fail "the guessing address was locked out: its right password got no list in 9 s"

# Guesses forged from the victim's address are never weighed against it, not
# even once the victim's own request proved that address.
printf 'attack %s rightpassword 口令r 1\nexit\n' "$A1" | (lan_in_host 3 "$peer" --name victim >"$work/fetch.out" 2>&1) \
  || lan_fail "the victim did not run"
[ "$(awk '$1 == "RIGHTPASSWORD" { print $5 }' "$work/fetch.out")" = 1 ] || lan_fail "the victim did not get the list"
printf 'attack %s forgeguess %s 3\nexit\n' "$A1" "$A3" | (lan_in_host 2 "$peer" --name forger >"$work/forge.out" 2>&1) \
  || lan_fail "the forged guesses did not run"
printf 'attack %s rightpassword 口令r 4\nexit\n' "$A1" | (lan_in_host 3 "$peer" --name victim >"$work/victim.out" 2>&1) \
  || lan_fail "the victim did not run"
victim=$(awk '$1 == "RIGHTPASSWORD" { print $5 }' "$work/victim.out")
echo "FIGURE the list fetched, then 3 wrong passwords forged from the victim's address: its right password answered $victim times of 4; silenced: $(grep -c "^SHAREPASSWORD $A3 silenced" "$work/kwel1.events")"
[ "${victim:-0}" -eq 4 ] || lan_fail "the victim's right password was answered $victim times of 4"
grep -q "^SHAREPASSWORD $A3 silenced" "$work/kwel1.events" && lan_fail "the victim was silenced for guesses it never made"

# A flood of forged guesses fills nothing that a fresh address needs.
start=$(date +%s%N)
printf 'attack %s guessflood 9000 4200\nexit\n' "$A1" | (lan_in_host 2 "$peer" --name flood >"$work/flood.out" 2>&1) \
  || lan_fail "the forged guesses did not run"
flood_ms=$(( ($(date +%s%N) - start) / 1000000 ))
printf 'attack %s rightpassword 口令r 1\nexit\n' "$A1" | (lan_in_host 4 "$peer" --name fresh >"$work/fresh.out" 2>&1) \
  || lan_fail "the fresh address did not run"
fresh=$(awk '$1 == "RIGHTPASSWORD" { print $5 }' "$work/fresh.out")
echo "FIGURE 9000 wrong passwords from 4200 forged addresses in $flood_ms ms ($(grep -c '^SHARELIST 10\.97\.' "$work/kwel1.events") answered, $(grep -c '^SHAREPASSWORD 10\.97\.' "$work/kwel1.events") silenced); a fresh address's right password at once: $fresh list"
[ "$(grep -c '^SHAREPASSWORD 10\.97\.' "$work/kwel1.events")" -eq 0 ] || lan_fail "forged addresses were counted"
[ "${fresh:-0}" -eq 1 ] || lan_fail "the fresh address with the right password got nothing"
echo "PASS: share passwords cannot be guessed at speed, nor held shut by forged guesses"
