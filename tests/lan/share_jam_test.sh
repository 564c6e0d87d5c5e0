#!/usr/bin/env bash
# A peer asks for more shared files than one offer can carry, three times
# over. The program answers nothing it cannot send and opens no box: the
# refusals are counted, and another peer's entry is answered at once.
set -u
kwel=$1
peer=$2
here=$(cd "$(dirname "$0")" && pwd)
. "$here/lanlib.sh"
LAN=kjm$$
lan_test_begin 2
work=$LAN_WORK
A1=$(lan_addr 1)
events=$work/kwel1.events

# 100 shared files with long names: their offer does not fit one packet.
mkdir -p "$work/share" "$work/h1/.config/TARPELON"
stored=""
for i in $(seq 1 100); do
  f="$work/share/$(printf '%03d' "$i")-a-long-name-of-a-shared-file-that-fills-the-offer-list-of-the-message-quickly-up.dat"
  echo "$i" >"$f"
  touch -d "2024-01-01 10:20" "$f"
  stored="$stored${stored:+||}$i::$f"
done
printf 'FileShareInfo=%s\n' "$stored" >"$work/h1/.config/TARPELON/Kwel.ini"

lan_start_copy "$kwel" 1 1
pid=$kwel_pid
printf 'attack %s sharejam 100 10:20\nexit\n' "$A1" | lan_in_host 2 "$peer" --name hostile >"$work/attack.out" 2>&1 \
  || lan_fail "the attack did not run: $(cat "$work/attack.out")"
ms=$(awk '$1 == "SHAREJAM" { print $3 }' "$work/attack.out")
lan_wait_line "$events" "REFUSED share-unsent " 10 || lan_fail "the download that cannot be sent was not counted"
echo "FIGURE a peer's entry answered ${ms} ms after three download requests too large to send; $(grep -c '^SHAREDOWNLOAD .* 100$' "$events") requests granted, $(grep -c '^REFUSED share-unsent' "$events") refused"
[ -n "$ms" ] && [ "$ms" -ge 0 ] && [ "$ms" -le 1000 ] || lan_fail "the other peer's entry was answered after ${ms} ms"
kill -0 "$pid" 2>/dev/null || lan_fail "the program died"
kill -TERM "$pid"
wait "$pid" || lan_fail "the program ended badly"
echo "PASS: download requests that cannot be answered wait on no one"
