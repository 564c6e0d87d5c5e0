#!/usr/bin/env bash
# Two copies of the program and a forger: copy 1 (the target) shares a file
# behind a password; copy 2 (the victim) is its user's. Each round the
# forger sends copy 2 one entry in copy 1's name (from copy 1's address, a
# spare port, a new head-picture size), which copy 2 lists and asks for its
# picture, then three wrong passwords forged from copy 2's address and port
# to copy 1, 1.1 s apart: copy 1 challenges each toward copy 2. Then copy 2's
# user asks for the list from the chat window and gives the right password:
# the list is shown every round, and copy 1 never counts copy 2 as guessing.
# Meanwhile the forger sends copy 2 challenges that name no request, forged
# from copy 1's address and port, 10 a second: copy 2 echoes them (it asked
# copy 1 for the list), and they never crowd out the echo of its password's
# own challenge: the user never has to ask again. Prints the rounds.
set -u
kwel=$1
peer=$2
here=$(cd "$(dirname "$0")" && pwd)
. "$here/lanlib.sh"
LAN=kwl$$
lan_test_begin 3
work=$LAN_WORK
A1=$(lan_addr 1); A2=$(lan_addr 2)
count() { grep -c -- "^$2" "$work/kwel$1.events" 2>/dev/null; }

mkdir -p "$work/share"
echo "shared" >"$work/share/a.txt"
lan_start_two_copies "$kwel"
lan_share_files 1 口令r "$work/share/a.txt"
drive 2 "open $A1"
expect 2 "DRIVER ok open $A1"

gave_up() { grep -c "发送文件共享密码失败\|请求共享文件信息失败" "$work/kwel2.events"; }
# Copy 2's user asks for the list and types the right password (again when
# the program gave the request up, counted) until the browser shows the
# list; its download pressed closes it. Fails after about 30 s.
asked_again=0
fetch_list() {
  local k given
  drive 2 "press $A1 1031"
  lan_until_ok 2 "shares typepassword 口令r" 30
  given=$(gave_up)
  for k in $(seq 1 120); do
    lan_try_once 2 "shares download 1" && return 0
    if [ "$(gave_up)" -gt "$given" ]; then
      given=$(gave_up) asked_again=$((asked_again + 1))
      drive 2 "press $A1 1031"
      lan_until_ok 2 "shares typepassword 口令r" 30
    fi
    sleep 0.25
  done
  return 1
}

rounds=3 shown=0 times=()
for round in $(seq 1 $rounds); do
  added=$(count 2 "ADDED $A1 ")
  printf 'attack %s:2425 shareslock %s 3 1100 %d\nexit\n' "$A1" "$A2" $((4000 + round)) \
    | (lan_in_host 3 "$peer" --port 2426 --name forger >"$work/forger$round.out" 2>&1) || lan_fail "the forger did not run"
  grep -q "^SHARESLOCK entries 1 guesses 3" "$work/forger$round.out" || lan_fail "the forger sent nothing: $(cat "$work/forger$round.out")"
  # The forged record is listed: copy 2 asked it for its picture.
  lan_wait_line "$work/kwel2.events" "ADDED $A1 $((30000 + (4000 + round) % 20000)) " 10 \
    || lan_fail "round $round: copy 2 did not list the forged entry (listed from $A1 before: $added)"
  printf 'attack %s:2425 forgenotices %s 8\nexit\n' "$A2" "$A1" \
    | (lan_in_host 3 "$peer" --port 2426 --name notices >"$work/notices$round.out" 2>&1) &
  notices=$!
  lan_wait_line "$work/notices$round.out" "FORGENOTICES started" 30 || lan_fail "the forged notices did not start"
  t0=$(date +%s%N)
  fetch_list || { echo "round $round: no list"; wait $notices; break; }
  times+=("$(( ($(date +%s%N) - t0) / 1000000 ))")
  shown=$((shown + 1))
  wait $notices || lan_fail "the forged notices did not run"
  grep -q '^FORGENOTICES sent 80' "$work/notices$round.out" || lan_fail "the forged notices were not sent"
done
echo "FIGURE an entry forged in copy 1's name to copy 2, then 3 wrong passwords forged from copy 2's address, $rounds rounds:" \
  "copy 2's right password got the list $shown of $rounds (in ms: ${times[*]}; asked again after a give-up: $asked_again);" \
  "copy 1 answered $(count 1 "SHARELIST $A2 list") lists," \
  "$(count 1 "SHARELIST $A2 wrong-password") wrong-password, silenced copy 2 $(count 1 "SHAREPASSWORD $A2 silenced") times"
[ "$shown" -eq "$rounds" ] || lan_fail "copy 2's right password got the list $shown times of $rounds"
[ "$asked_again" -eq 0 ] || lan_fail "copy 2's user had to ask again $asked_again times"
[ "$(count 1 "SHAREPASSWORD $A2 silenced")" -eq 0 ] || lan_fail "copy 1 silenced copy 2 for guesses it never made"
[ "$(count 1 "SHARELIST $A2 wrong-password")" -eq 0 ] || lan_fail "a forged guess was weighed against copy 2"
echo "PASS: guesses forged in a copy's name never keep its user from the list"
