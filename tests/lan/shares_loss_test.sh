#!/usr/bin/env bash
# Shared files over a lossy link: with 10 % of the packets lost each way
# (nftables in each host), copy 2 asks copy 1 for its share list five times
# from its chat window; each time the browser shows the list (its download
# pressed closes it). A list takes four datagrams (the request, our
# challenge, its echo, the list), so now and then all of a request's resends
# are lost on such a link and the program tells the user it gave up: then
# the user asks again, at most once a round. Prints how long each list took
# and how often the user had to ask again.
set -u
kwel=$1
here=$(cd "$(dirname "$0")" && pwd)
. "$here/lanlib.sh"
LAN=ksl$$
lan_test_begin 2
work=$LAN_WORK
A1=$(lan_addr 1); A2=$(lan_addr 2)
count() { grep -c -- "^$2" "$work/kwel$1.events" 2>/dev/null; }
if ! command -v nft >/dev/null; then
  DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends nftables >/dev/null 2>&1 \
    || { echo "SKIP: the loss needs nftables"; exit 77; }
fi

mkdir -p "$work/share"
echo "共享的文件" >"$work/share/two.txt"
lan_start_two_copies "$kwel"
drive 1 "shares add $work/share/two.txt"
expect 1 "DRIVER ok shares add"
drive 1 "shares save"
expect 1 "DRIVER ok shares save"
lan_until_ok 1 "closemodal"
drive 2 "open $A1"
expect 2 "DRIVER ok open $A1"

for i in 1 2; do
  lan_exec "$i" nft add table inet kwloss
  lan_exec "$i" nft 'add chain inet kwloss in { type filter hook input priority 0; }'
  lan_exec "$i" nft add rule inet kwloss in iifname eth0 numgen random mod 100 \< 10 drop
done

gave_up() { grep -c "请求共享文件信息失败" "$work/kwel2.events"; }
# Gives copy 2 "shares download 1" until the browser takes it (the list is
# shown), pressing again once if the program gives the request up meanwhile.
asked_again=0
until_shown() {
  local given again=0 k
  given=$(gave_up)
  for k in $(seq 1 120); do
    if [ "$(gave_up)" -gt "$given" ]; then
      [ "$again" -eq 0 ] || lan_fail "copy 2 gave up on the share list twice in a row"
      again=1 given=$(gave_up) asked_again=$((asked_again + 1))
      drive 2 "press $A1 1031"
    fi
    lan_try_once 2 "shares download 1" && return 0
    sleep 0.25
  done
  lan_fail "copy 2: no share list after 120 tries"
}

times=()
for n in $(seq 1 5); do
  t0=$(date +%s%N)
  drive 2 "press $A1 1031"
  until_shown
  t1=$(date +%s%N)
  times+=("$(( (t1 - t0) / 1000000 ))")
done
echo "FIGURE share lists at 10 % loss: 5 of 5 shown, in ms: ${times[*]}; asked again after a give-up: $asked_again;" \
  "download requests that reached copy 1: $(count 1 "SHAREDOWNLOAD $A2 1")"
echo "PASS: share lists get through a lossy link"
