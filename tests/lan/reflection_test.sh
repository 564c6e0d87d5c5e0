#!/usr/bin/env bash
# Reflection: a hostile peer in host 2 sends requests with the source address
# of host 3, which runs no Kwel and counts every UDP byte that reaches it
# (40 source ports). Whatever the request (a stored picture's chunk claiming
# 8000 chunks, the own pictures, share lists, and the short answers), the
# program sends host 3 at most twice the bytes it received "from" it, as host
# 3 never echoes the program's challenge. A peer that receives at its address
# (host 2's own, echoing the challenge) still gets the head picture.
# Prints each phase's figure: bytes sent, bytes the victim got, the ratio.
set -u
kwel=$1
peer=$2
here=$(cd "$(dirname "$0")" && pwd)
. "$here/lanlib.sh"
LAN=kwr$$
lan_test_begin 3
work=$LAN_WORK
A1=$(lan_addr 1); V=$(lan_addr 3)

# The program's own head picture and a stored chat picture (32 x 32 noise).
lan_noise_pictures 1
mkdir -p "$work/share"
# Shares without a password: a list of many entries is what a request brings.
for i in $(seq 1 60); do echo "$i" >"$work/share/shared-file-with-a-long-name-$i.txt"; done

lan_start_copy "$kwel" 1 1
lan_share_files 1 "" "$work"/share/*
events=$work/kwel1.events

# phase NAME PORT KIND...: host 3 counts while host 2 sends; prints the figure.
total_sent=0; total_got=0
phase() {
  local name=$1 port=$2; shift 2
  printf 'attack %s sink %s 40 5\nexit\n' "$A1" "$port" | (lan_in_host 3 "$peer" --name victim >"$work/sink.out" 2>&1) &
  local sink=$!
  sleep 0.5
  printf 'attack %s reflect %s %s 40 %s\nexit\n' "$A1" "$V" "$port" "$*" \
    | (lan_in_host 2 "$peer" --name hostile >"$work/reflect.out" 2>&1) || lan_fail "the attack $* did not run"
  wait "$sink" || lan_fail "the victim's count did not run"
  local sent got
  sent=$(awk '$1 == "REFLECT" { print $4 }' "$work/reflect.out")
  got=$(awk '$1 == "SINK" { print $3 }' "$work/sink.out")
  [ -n "$sent" ] && [ -n "$got" ] || lan_fail "no figures for $name"
  total_sent=$((total_sent + sent)); total_got=$((total_got + got))
  echo "FIGURE $name: victim got $got bytes for $sent sent ($(awk -v g="$got" -v s="$sent" 'BEGIN { printf "%.2f", g / s }')x)"
}
phase "stored picture, one chunk claiming 8000" 41000 storedpic 5eed5eed
phase "own head and custom pictures" 41100 ownpic
phase "share lists without a password" 41200 shares
# The short answers, the password ones among them.
lan_share_files 1 口令r "$work/share/shared-file-with-a-long-name-1.txt"
phase "short answers (0x30, 0x01, 0x20, 0x40, 0x50, 0x72, 0x90, 0x92)" 41300 small
ratio=$(awk -v g="$total_got" -v s="$total_sent" 'BEGIN { printf "%.2f", g / s }')
echo "FIGURE reflection overall: $total_got bytes to the victim for $total_sent sent (${ratio}x); refused: $(grep -c '^REFUSED answer-budget' "$events") over budget, $(grep -c '^REFUSED answer-unproven' "$events") unproven"
awk -v g="$total_got" -v s="$total_sent" 'BEGIN { exit !(g <= 2 * s) }' || lan_fail "the victim got more than twice the bytes sent"

# A peer that receives at its address gets the head picture.
printf 'attack %s receiver\nexit\n' "$A1" | (lan_in_host 2 "$peer" --name real >"$work/real.out" 2>&1) || lan_fail "the real peer did not run"
got=$(awk '$1 == "RECEIVER" { print $3 }' "$work/real.out")
echo "FIGURE a listed peer that echoes the challenge: $got chunks of the head picture"
[ "${got:-0}" -ge 2 ] || lan_fail "the receiving peer did not get the head picture"
echo "PASS: no reflection beyond twice the bytes sent"
