#!/usr/bin/env bash
# The answer budget and the challenge against forged sources. The program on
# host 1 (a head picture, shares without a password); host 2 attacks with
# forged source addresses, hosts 3 and 4 are real peers. Phases, each with
# its figure:
#  1. 9,000 forged addresses send one-byte datagrams, 1,000 a second, for 13 s
#     (a newcomer every 500 ms from host 3 in the last 3 s, when they would
#     have filled the table); then 60,000 send well-formed empty packets, 15,000
#     a second, for 5 s (a newcomer every 500 ms meanwhile): each newcomer has
#     its entry answered and its message receipted, within a second; the
#     program's CPU time before and after each flood.
#  2. A plain IP Messenger peer (host 4) announces itself and says "在吗": the
#     receipt comes at once, no answer refused.
#  3. 16 forged addresses of our network, 4 ports each, ask for the pictures or
#     the share list, each port once a second (about 1.6 KB a second in all): a newcomer (host 3) is challenged (a
#     challenge within twice what it sent) and gets the head picture and the
#     list; one that echoes the challenge's packet number instead of its body
#     (host 4, as plain peers do) gets them too.
#  4. Requests forged from 32 ports of host 3, which proved itself in 3 (stored
#     picture claiming 8000 chunks, own pictures): what reaches host 3 stays
#     within 4 times the bytes sent.
#  5. A proven peer (host 2) sends 16 KB read notices asking for their check,
#     380 a second, while host 4 sends 24 messages: every one is receipted,
#     and the echoes carry only packet numbers.
set -u
kwel=$1
peer=$2
here=$(cd "$(dirname "$0")" && pwd)
. "$here/lanlib.sh"
LAN=kwb$$
lan_test_begin 4
work=$LAN_WORK
A1=$(lan_addr 1); A3=$(lan_addr 3); A4=$(lan_addr 4)
events=$work/kwel1.events
# The sanitizer build handles a quarter of the normal build's packets in the
# same time: the floods of packets come at a quarter of the rate there (the
# one-byte datagrams, which cost nothing, at the full rate).
scale=1
[ -z "${KWEL_SANITIZED:-}" ] || scale=4

lan_noise_pictures 1
mkdir -p "$work/share"
for i in $(seq 1 20); do echo "$i" >"$work/share/shared-file-$i.txt"; done

lan_start_copy "$kwel" 1 1
lan_share_files 1 "" "$work"/share/*

# attack HOST NAME ARGS...: runs a kwelpeer attack in the host, output in NAME.out.
attack() {
  local host=$1 name=$2; shift 2
  printf 'attack %s %s\nexit\n' "$A1" "$*" | (lan_in_host "$host" "$peer" --name "$name" >"$work/$name.out" 2>&1)
}
# figure NAME WORD N: field N of the line starting with WORD in NAME.out.
figure() { awk -v w="$2" -v n="$3" '$1 == w { print $n }' "$work/$1.out"; }
cpu_s() { awk '{ printf "%.1f", ($14 + $15) / 100 }' "/proc/$kwel_pid/stat"; }

# 1. Forged floods.
for phase in "junk 13 1000 9000 3 10" "noop 5 15000 60000 6 0.5"; do
  read -r kind seconds rate count watch after_s <<<"$phase"
  [ "$kind" = junk ] || rate=$((rate / scale))
  (sleep "$after_s"; attack 3 "newcomer-$kind" newcomer "$watch") &
  watcher=$!
  sleep 0.5
  before=$(cpu_s)
  attack 2 "flood-$kind" flood "$seconds" "$rate" "$kind" "$count" || lan_fail "the $kind flood did not run"
  after=$(cpu_s)
  wait "$watcher" || lan_fail "the newcomers did not run"
  tries=$(figure "newcomer-$kind" NEWCOMER 3)
  entries=$(figure "newcomer-$kind" NEWCOMER 5)
  receipts=$(figure "newcomer-$kind" NEWCOMER 7)
  worst=$(figure "newcomer-$kind" NEWCOMER 9)
  echo "FIGURE $(figure "flood-$kind" FLOOD 3) $kind datagrams from $count forged addresses in $seconds s: newcomers $entries of $tries answered, $receipts receipted, the slowest in $worst ms; program CPU ${before} s before, ${after} s after"
  [ "${tries:-0}" -gt 0 ] && [ "$entries" -eq "$tries" ] && [ "$receipts" -eq "$tries" ] && [ "$worst" -le 1000 ] \
    || lan_fail "a newcomer went unanswered during the $kind flood"
done

# 2. A plain peer's first short message.
attack 4 plain plainchat || lan_fail "the plain peer did not run"
receipt=$(figure plain PLAINCHAT 5)
echo "FIGURE plain peer: entry answered $(figure plain PLAINCHAT 3), receipt of its first message in $receipt ms; refused toward it: $(grep -c "^REFUSED answer-budget $A4" "$events")"
[ "$(figure plain PLAINCHAT 3)" = Y ] && [ "${receipt:--1}" -ge 0 ] && [ "$receipt" -le 1000 ] \
  || lan_fail "the plain peer's message was not receipted at once"

# 3. Waiting answers held by forged addresses.
first=$(lan_addr 100)
attack 2 holder holdslots "$first" 16 4 14 &
holder=$!
# By then every forged address holds its 4 waiting answers.
sleep 9
for host_mode in "3 body" "4 number"; do
  read -r host mode <<<"$host_mode"
  attack "$host" "fetcher-$mode" fetcher "$mode" || lan_fail "the fetcher did not run"
  read -r _ _ asked _ challenges _ bytes _ chunks _ lists < <(grep '^FETCHER' "$work/fetcher-$mode.out")
  echo "FIGURE newcomer echoing the $mode, while 64 forged requests wait: $challenges challenges of at most $bytes bytes for $asked sent, $chunks picture chunks, $lists share lists"
  [ "${challenges:-0}" -ge 1 ] && [ "$bytes" -le $((2 * asked)) ] || lan_fail "the newcomer was not challenged within its bytes"
  [ "${chunks:-0}" -ge 2 ] && [ "${lists:-0}" -ge 1 ] || lan_fail "the newcomer echoing the $mode got no picture or list"
done
wait "$holder" || lan_fail "the forged requests did not run"
echo "FIGURE forged requests $(figure holder HOLDSLOTS 3) bytes; refused: $(grep -c '^REFUSED answer-unproven' "$events") unproven"

# 4. Reflection toward an address that proved itself (host 3, in 3).
total_sent=0; total_got=0
for kind in "storedpic 5eed5eed" ownpic; do
  printf 'attack %s sink 41000 32 6\nexit\n' "$A1" | (lan_in_host 3 "$peer" --name victim >"$work/sink.out" 2>&1) &
  sink=$!
  sleep 0.5
  attack 2 reflector reflect "$A3" 41000 32 $kind || lan_fail "the reflection did not run"
  wait "$sink" || lan_fail "the victim's count did not run"
  sent=$(figure reflector REFLECT 4); got=$(figure sink SINK 3)
  echo "FIGURE forged from 32 ports of a proven address, ${kind%% *}: the victim got $got bytes for $sent sent"
  total_sent=$((total_sent + sent)); total_got=$((total_got + got))
done
# Four times the bytes, however long it takes: nothing grows with time.
bound=$((4 * total_sent))
echo "FIGURE reflection toward a proven address: $total_got bytes for $total_sent sent ($(awk -v g="$total_got" -v s="$total_sent" 'BEGIN { printf "%.1f", g / s }')x), bound $bound"
[ "$total_got" -le "$bound" ] || lan_fail "the proven address got more than its budget"

# 5. Read notices asking for their check.
attack 2 reader readflood 6 $((380 / scale)) &
reader=$!
sleep 2
attack 4 chatter receipts 24 || lan_fail "the messages did not run"
wait "$reader" || lan_fail "the read notices did not run"
read -r _ _ sent _ echoed _ echoes _ numbers < <(grep '^READFLOOD' "$work/reader.out")
got=$(figure chatter RECEIPTS 5)
echo "FIGURE $sent bytes of read notices: $echoes echoes, $echoed bytes back (numbers only: $numbers); a peer's messages meanwhile: $got of 24 receipted, the slowest in $(figure chatter RECEIPTS 7) ms"
[ "${got:-0}" -eq 24 ] || lan_fail "receipts were lost to the read notices"
[ "$numbers" = Y ] && [ "$echoed" -le $((sent / 100)) ] || lan_fail "the echoes carried the notices back"
echo "PASS: forged sources hold no answer, no slot and no budget of others"
