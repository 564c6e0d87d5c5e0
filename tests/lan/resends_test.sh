#!/usr/bin/env bash
# Which packets make a message a copy. A listed peer in host 2; a forger in
# host 3 sends 200 empty packets (command 0) "from" the peer's address and
# port carrying its next 200 packet numbers: the peer's next 5 messages are
# all shown, receipted and logged. Then a message, 300 packets from another
# sender, and the message resent byte for byte: receipted again, shown once.
set -u
kwel=$1
peer=$2
here=$(cd "$(dirname "$0")" && pwd)
. "$here/lanlib.sh"
LAN=kwr$$
lan_test_begin 3
work=$LAN_WORK
A1=$(lan_addr 1); A2=$(lan_addr 2); A3=$(lan_addr 3)
events=$work/kwel1.events
log=$work/h1/.local/share/TARPELON/Kwel/kwel/kwel.kwl
shown() { grep -c "^SHOWN $A2 .* $1\$" "$events"; }

lan_start_copy "$kwel" 1 1
lan_fifo_peer 2 "$peer" real
printf 'announce\nwait ADDED %s 20\nnumber\n' "$A1" >&3
lan_wait_line "$events" "ADDED $A2 2425 " 30 || lan_fail "the peer was not listed"
lan_wait_line "$work/real.out" "NUMBER " 30 || lan_fail "the peer did not tell its next number"
next=$(awk '$1 == "NUMBER" { print $2; exit }' "$work/real.out")

# ---- 1. the peer's next numbers forged in empty packets ----
printf 'attack %s numbers %s 2425 %s 200\nexit\n' "$A1" "$A2" "$next" \
  | (lan_in_host 3 "$peer" --name forger >"$work/forger.out" 2>&1) || lan_fail "the forged packets were not sent"
for i in 1 2 3 4 5; do printf 'send %s numbered%s\n' "$A1" "$i" >&3; done
printf 'waitcount 5 RECEIPT 30\n' >&3
for _ in $(seq 1 300); do
  [ "$(grep -c '^RECEIPT ' "$work/real.out")" -ge 5 ] && break
  sleep 0.1
done
sleep 0.5
n=0
for i in 1 2 3 4 5; do [ "$(shown "numbered$i")" -eq 1 ] && n=$((n + 1)); done
echo "FIGURE 200 forged empty packets with the peer's next numbers, then its 5 messages: $(grep -c '^RECEIPT ' "$work/real.out") receipted, $n shown"
[ "$n" -eq 5 ] || lan_fail "only $n of the 5 messages were shown"

# ---- 2. a resend after 300 packets of another sender ----
printf 'send %s resent\nwaitcount 6 RECEIPT 30\n' "$A1" >&3
lan_wait_line "$events" "SHOWN $A2 .* resent\$" 30 || lan_fail "the message to resend was not shown"
printf 'attack %s numbers %s 2425 1 300\nexit\n' "$A1" "$A3" \
  | (lan_in_host 3 "$peer" --name busy >"$work/busy.out" 2>&1) || lan_fail "the other sender's packets were not sent"
printf 'resend\nwaitcount 7 RECEIPT 30\nexit\n' >&3
exec 3>&-
for _ in $(seq 1 300); do
  [ "$(grep -c '^RECEIPT ' "$work/real.out")" -ge 7 ] && break
  sleep 0.1
done
sleep 0.5
receipts=$(grep -c '^RECEIPT ' "$work/real.out")
echo "FIGURE a message resent after 300 packets of another sender: shown $(shown resent) times, $receipts receipts of 7"
[ "$receipts" -ge 7 ] || lan_fail "the resend was not receipted"
[ "$(shown resent)" -eq 1 ] || lan_fail "the resend was shown again"

kill -TERM "$kwel_pid"
wait "$kwel_pid" || lan_fail "the program ended badly"
printf 'attack %s logread %s\nexit\n' "$A1" "$log" | (lan_in_host 2 "$peer" --name reader >"$work/log.out" 2>&1) \
  || lan_fail "the chat log cannot be read"
logged=0
for i in 1 2 3 4 5; do grep -q "^LOGGED .*numbered$i" "$work/log.out" && logged=$((logged + 1)); done
resent=$(grep -c '^LOGGED .*resent' "$work/log.out")
echo "FIGURE $logged of the 5 messages after the forged numbers logged, the resent one $resent times"
[ "$logged" -eq 5 ] || lan_fail "only $logged of the 5 messages were logged"
[ "$resent" -eq 1 ] || lan_fail "the resent message was logged $resent times"
echo "PASS: forged numbers hide no message, a resend is shown once"
