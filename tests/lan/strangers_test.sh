#!/usr/bin/env bash
# Strangers use up the chat windows the network may open: new identities
# from six addresses of host 3, each listed by its entry and sending one
# short message, 100 a minute for 108 s (PeerBounds::kNetworkWindowsPerMinute
# is 20). A peer listed before the flood (host 2) sends, in each of three
# rounds while the flood lasts, a text and then a message offering one
# file, each to a closed window: its text is shown, its file listed (not
# released) and received, every round; no window of its is refused, while
# the strangers beyond the allowance are.
# Figures: the strangers' line (sent, receipted) and the refusals.
set -u
kwel=$1
peer=$2
here=$(cd "$(dirname "$0")" && pwd)
. "$here/lanlib.sh"
LAN=kws$$
lan_test_begin 3
work=$LAN_WORK
A1=$(lan_addr 1); A2=$(lan_addr 2)
events=$work/kwel1.events
rounds=3
strangers=180
pace_ms=600
sources=()
for k in 1 2 3 4 5 6; do
  sources+=("$(lan_addr $((100 + k)))")
  lan_exec 3 ip addr add "$(lan_addr $((100 + k)))/24" dev eth0
done

lan_start_copy "$kwel" 1 1

# The listed peer, driven round by round.
lan_fifo_peer 2 "$peer" listed
printf 'announce\nwait ADDED %s 30\n' "$A1" >&3
expect 1 "ADDED $A2 "
mkdir -p "$work/offer" "$work/recv"
for r in $(seq 1 $rounds); do echo "round $r" >"$work/offer/f$r.txt"; done

# The flood, from host 3's own addresses.
(lan_in_host 3 "$peer" --name strangers >"$work/strangers.out" 2>&1 <<EOF
attack $A1 strangers $strangers $pace_ms ${sources[*]}
exit
EOF
) &
flood=$!
LAN_PIDS+=("$flood")
# The allowance is used up before the first round.
expect 1 "REFUSED window-rate " 60

refusals() { grep -c "^REFUSED window-rate " "$events"; }
for r in $(seq 1 $rounds); do
  # Each round right after a stranger was refused: the allowance is used up.
  before=$(refusals)
  for i in $(seq 1 300); do [ "$(refusals)" -gt "$before" ] && break; sleep 0.1; done
  [ "$(refusals)" -gt "$before" ] || lan_fail "round $r: no stranger was refused for 30 s (the flood is over)"
  printf 'sendretry %s round%s-text\n' "$A1" "$r" >&3
  expect 1 "SHOWN $A2 .* round${r}-text\$" 20
  lan_until_ok 1 "close $A2"
  printf 'offer %s %s\n' "$A1" "$work/offer/f$r.txt" >&3
  # A window of its own: only this round's file is listed.
  lan_until_ok 1 "offered $A2 1 f$r.txt" 20
  # Received, and the window closed in the same turn: it goes when the file is in.
  closes=$(lan_count_lines "$events" "DRIVER ok close $A2")
  drive 1 "$(printf 'receiveall %s %s\nclose %s' "$A2" "$work/recv" "$A2")"
  for i in $(seq 1 200); do [ "$(lan_count_lines "$events" "DRIVER ok close $A2")" -gt "$closes" ] && break; sleep 0.1; done
  [ "$i" -lt 200 ] || lan_fail "round $r: the window was not closed"
  # The peer serves its file while it runs its event loop (its commands are read in turn).
  for i in $(seq 1 200); do cmp -s "$work/offer/f$r.txt" "$work/recv/f$r.txt" && break; printf 'sleep 100\n' >&3; sleep 0.1; done
  cmp -s "$work/offer/f$r.txt" "$work/recv/f$r.txt" || lan_fail "round $r: the offered file was not received"
  # The next round finds the window gone.
  for i in $(seq 1 100); do lan_try_once 1 "offered $A2 1 f$r.txt" || break; sleep 0.1; done
  [ "$i" -lt 100 ] || lan_fail "round $r: the window stayed after the file was received"
  echo "FIGURE round $r: shown, offer listed and received; strangers refused meanwhile $(( $(refusals) - before ))"
done
[ -d "/proc/$flood" ] || lan_fail "the flood ended before the rounds did"
[ "$(grep -c "^REFUSED window-rate $A2\$" "$events")" = 0 ] || lan_fail "a window of the listed peer was refused"

wait "$flood" || lan_fail "the flood did not run"
grep '^STRANGERS ' "$work/strangers.out" >"$work/figure.txt" || lan_fail "the flood gave no figure"
echo "FIGURE $(cat "$work/figure.txt"); refused for the window rate $(refusals)"
printf 'exit\n' >&3
exec 3>&-
refused=$(refusals)
# At most the allowance of each minute had windows (and the listed peer took some of it).
[ "$refused" -ge $((strangers - 3 * 20)) ] || lan_fail "only $refused strangers refused"
kill -TERM "$kwel_pid"
wait "$kwel_pid" || lan_fail "the program ended badly"
echo "PASS: a peer listed before a flood of strangers kept its window and its offers every round"
