#!/usr/bin/env bash
# A hostile peer floods the program's shares with download requests while the
# transfer monitor is open: 300 requests of 40 entries at 20 a second, never
# fetching anything. First it confirms every offer message (the offers stay:
# at most the per-address bound of them, the rest refused and counted), then,
# from a second address, it confirms none (those offers expire once the
# message's tries are spent, and make room again).
# Figures: how many requests were handled and in what time, offers made and
# refused, the monitor's rows, and the program's resident growth.
set -u
kwel=$1
peer=$2
here=$(cd "$(dirname "$0")" && pwd)
. "$here/lanlib.sh"
LAN=kwo$$
lan_test_begin 2
work=$LAN_WORK
A1=$(lan_addr 1); A2=$(lan_addr 2)
B2=$(lan_addr 12)
lan_exec 2 ip addr add "$B2/24" dev eth0
events=$work/kwel1.events
requests=300
per_address=16 # PeerBounds::kRequestedOffersPerAddress
entries=40

mkdir -p "$work/share"
paths=()
for i in $(seq 1 $entries); do
  head -c 2000 /dev/urandom >"$work/share/f$i.bin"
  paths+=("$work/share/f$i.bin")
done

lan_run_copy "$kwel" 1 1 env ASAN_OPTIONS="${ASAN_OPTIONS:+$ASAN_OPTIONS:}quarantine_size_mb=16"
pid1=$kwel_pid
lan_wait_line "$events" "ADDED $A1 " 60 || lan_fail "the program did not start"
drive 1 "shares add ${paths[*]}"
expect 1 "DRIVER ok shares add"
drive 1 "shares save"
expect 1 "DRIVER ok shares save"
lan_until_ok 1 "closemodal"
drive 1 "monitor open"
expect 1 "DRIVER ok monitor open"

count() { grep -c -- "^$1" "$events"; }
rss_mb() { echo $(( $(lan_rss_kb "$pid1") / 1024 )); }

# attack WORDS...: the hostile peer in host 2; prints its figure line.
attack() {
  printf 'attack %s %s\nexit\n' "$A1" "$*" | (lan_in_host 2 "$peer" --name hostile >"$work/attack.out" 2>&1) \
    || lan_fail "the attack $* did not run"
  grep '^DOWNLOADS ' "$work/attack.out" | tee -a "$work/figures.out"
}

# Every request of the address was decided (offered or refused): the time
# from the first request to the last decision.
handled_within() {
  local who=$1 i
  for i in $(seq 1 1200); do
    [ "$(count "SHAREDOWNLOAD $who ")" -ge "$requests" ] && return 0
    sleep 0.1
  done
  return 1
}

# 1. Confirmed offers stay: the address holds the bound, the rest is refused.
before=$(rss_mb)
start=$(date +%s%N)
attack downloads $requests 20 $entries 1
handled_within "$A2" || lan_fail "not every request was handled: $(count "SHAREDOWNLOAD $A2 ") of $requests"
took=$(( ($(date +%s%N) - start) / 1000000 ))
offered=$(grep -c "^SHAREDOWNLOAD $A2 $entries\$" "$events")
refused=$(count "REFUSED offer-budget $A2")
lan_until_ok 1 "monitor rows $((per_address * entries))" 30
after=$(rss_mb)
echo "FIGURE confirmed: $requests requests of $entries entries handled in ${took} ms (the attack itself takes 15 s); offers $offered, refused $refused; monitor $((per_address * entries)) rows; resident ${before} MB before, ${after} MB after (+$((after - before)) MB)"
[ "$offered" = "$per_address" ] || lan_fail "$offered offers held for one address, not $per_address"
[ "$((offered + refused))" = "$requests" ] || lan_fail "requests neither offered nor refused"
[ "$took" -lt 60000 ] || lan_fail "the requests took ${took} ms"
[ $((after - before)) -lt 100 ] || lan_fail "the flood cost $((after - before)) MB"

# 2. Unconfirmed offers expire and make room for further requests.
attack downloads $requests 20 $entries 0 "$B2"
handled_within "$B2" || lan_fail "not every request was handled from the second address"
offered=$(grep -c "^SHAREDOWNLOAD $B2 $entries\$" "$events")
for i in $(seq 1 300); do
  [ "$(count "REFUSED offer-expired $B2")" -ge "$offered" ] && break
  sleep 0.1
done
expired=$(count "REFUSED offer-expired $B2")
echo "FIGURE unconfirmed: offers $offered, expired $expired, refused $(count "REFUSED offer-budget $B2")"
[ "$offered" -gt "$per_address" ] || lan_fail "expired offers made no room ($offered offers)"
[ "$expired" = "$offered" ] || lan_fail "$expired of $offered unconfirmed offers expired"
lan_until_ok 1 "monitor rows $((per_address * entries))" 30

kill -TERM "$pid1"
wait "$pid1" || lan_fail "the program ended badly"
echo "PASS: download floods held within the offer bounds, unconfirmed offers expired, the monitor followed"
