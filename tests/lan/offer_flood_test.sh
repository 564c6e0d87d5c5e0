#!/usr/bin/env bash
# A listed peer floods the program with file offers: 300 messages each
# offering 200 files within 1.2 s (about 7 KB each), then a message without
# files, resending what gets no receipt as a peer does. The files one address
# may have offered and not yet had received or refused are bounded
# (PeerBounds::kOfferedFilesPerAddress): the first offers up to the bound are
# listed, each one after is refused (REFUSED offered-files), released to the
# peer with 0x61, and the history says so in one line for the whole flood.
# The message after the flood is receipted within 2 s, and the chat window
# still offers the first files.
# Figures: the attack's line (receipts, releases, the probe's time).
set -u
kwel=$1
peer=$2
here=$(cd "$(dirname "$0")" && pwd)
. "$here/lanlib.sh"
LAN=kwf$$
lan_test_begin 2
work=$LAN_WORK
A1=$(lan_addr 1); A2=$(lan_addr 2)
events=$work/kwel1.events
messages=300
files=200
bound=1000 # PeerBounds::kOfferedFilesPerAddress
listed=$((bound / files))

lan_run_copy "$kwel" 1 1
pid1=$kwel_pid
lan_wait_line "$events" "ADDED $A1 " 60 || lan_fail "the program did not start"

printf 'attack %s offerflood %s %s\nexit\n' "$A1" "$messages" "$files" \
  | (lan_in_host 2 "$peer" --name hostile >"$work/attack.out" 2>&1) || lan_fail "the flood did not run"
grep '^OFFERFLOOD ' "$work/attack.out" >"$work/figure.txt" || lan_fail "the flood gave no figure"
echo "FIGURE $(cat "$work/figure.txt")"
port=$(lan_field "$work/figure.txt" port)
receipted=$(lan_field "$work/figure.txt" receipted)
released=$(lan_field "$work/figure.txt" released)
probe_ms=$(lan_field "$work/figure.txt" probe-ms)

[ "$probe_ms" -ge 0 ] || lan_fail "the message after the flood was never receipted"
[ "$probe_ms" -le 2000 ] || lan_fail "the message after the flood was receipted after $probe_ms ms"
[ "$receipted" = "$messages" ] || lan_fail "$receipted of $messages offer messages receipted"
refused=$(grep -c "^REFUSED offered-files $A2\$" "$events")
told=$(grep "^SYSTEM $A2 " "$events" | grep -c -F "发来而未接收的文件(夹)已达上限")
echo "FIGURE listed $listed offers of $files files, refused $refused, released $released, told $told time(s)"
[ "$refused" = "$((messages - listed))" ] || lan_fail "$refused offers refused, not $((messages - listed))"
[ "$released" = "$refused" ] || lan_fail "$released offers released to the peer, $refused refused"
[ "$told" = 1 ] || lan_fail "the refusal was told $told times in the history"
# The window still offers the files of the first offers, in order.
lan_until_ok 1 "offered $A2:$port $bound f0000_000.k0x0" 30

kill -TERM "$pid1"
wait "$pid1" || lan_fail "the program ended badly"
echo "PASS: a flood of offers held at the bound, refused once in the history, the next message receipted at once"
