#!/usr/bin/env bash
# The chat log on a small disk: the data folder of the program in host 1 is a
# file system of 8 MiB of its own (a tmpfs in the program's mount namespace),
# 2 MiB of it taken by another file, and the free-space floor set to 3 MiB
# (KWEL_FREE_SPACE_FLOOR). A listed peer sends 8,000 messages of 1 KB at
# 2,000 a second, and sends again what got no receipt, as peers do: every
# message is receipted, the program lives, the user is told once, the records
# passed over are counted, and the file system never comes down to its last
# MiB. Then the other file goes, and the next messages are logged again.
set -u
kwel=$1
peer=$2
here=$(cd "$(dirname "$0")" && pwd)
. "$here/lanlib.sh"
command -v unshare >/dev/null || { echo "SKIP: needs unshare"; exit 77; }
LAN=kwf$$
lan_test_begin 2
work=$LAN_WORK
A1=$(lan_addr 1)
events=$work/kwel1.events
base=$work/h1/.local/share/TARPELON/Kwel
mkdir -p "$base"

lan_run_copy "$kwel" 1 1 KWEL_FREE_SPACE_FLOOR=$((3 << 20)) unshare --mount --propagation private \
  sh -c 'mount -t tmpfs -o size=8m kweldisk "$0" && head -c 2097152 /dev/zero >"$0/other" && exec "$@"' "$base"
lan_wait_line "$events" "ADDED $A1 " 60 || lan_fail "the program did not start"
# The data folder as the program sees it.
disk=/proc/$kwel_pid/root$base
[ -f "$disk/other" ] || lan_fail "no file system of its own for the data folder"

# The least free space seen, every 50 ms while the program runs.
free_bytes() { stat -f -c '%a %S' "$disk" 2>/dev/null | awk '{ print $1 * $2 }'; }
free_bytes >"$work/least"
(
  least=$(cat "$work/least")
  while [ -d "/proc/$kwel_pid" ]; do
    f=$(free_bytes)
    [ -n "$f" ] && [ "$f" -lt "$least" ] && { least=$f; echo "$least" >"$work/least"; }
    sleep 0.05
  done
) &
LAN_PIDS+=("$!")

# flood ROUND COUNT RATE BYTES: the peer's messages, their receipts in flood<ROUND>.out.
flood() {
  printf 'attack %s logflood %s %s %s %s\nexit\n' "$A1" "$@" \
    | (lan_in_host 2 "$peer" --name "flood$1" >"$work/flood$1.out" 2>&1) || lan_fail "flood $1 did not run"
  grep '^LOGFLOOD ' "$work/flood$1.out"
}
receipted() { grep -c "^RECEIPTED r$1-" "$work/flood$1.out"; }
# logged ROUND: the messages of that round in the chat log.
logged() {
  printf 'attack %s logread %s\nexit\n' "$A1" "$disk/kwel/kwel.kwl" \
    | (lan_in_host 2 "$peer" --name reader >"$work/log.out" 2>&1) || lan_fail "the chat log cannot be read"
  grep -c "^LOGGED flood$1 [0-9:]*|  r$1-" "$work/log.out"
}

flood 1 8000 2000 1024
kill -0 "$kwel_pid" 2>/dev/null || lan_fail "the program died"
least=$(cat "$work/least")
told=$(grep -c '^DISKFLOOR ' "$events")
passed=$(grep -c '^REFUSED disk-floor ' "$events")
echo "FIGURE 8000 messages of 1 KB: $(receipted 1) receipted, $(logged 1) logged, $passed passed over," \
  "told $told time(s), least free $least bytes"
[ "$least" -ge $((1 << 20)) ] || lan_fail "the file system came down to $least bytes free"
[ "$(receipted 1)" -eq 8000 ] || lan_fail "$(receipted 1) of 8000 messages receipted"
[ "$told" -eq 1 ] || lan_fail "the user was told $told times"
[ "$passed" -gt 0 ] || lan_fail "no record passed over was counted"

# Room again: logging resumes within a second (the peer sends 40 in two).
rm "$disk/other" || lan_fail "the other file cannot be removed"
flood 2 40 20 100
[ "$(receipted 2)" -eq 40 ] || lan_fail "$(receipted 2) of 40 messages receipted after the room came back"
resumed=$(logged 2)
echo "FIGURE room again: $resumed of 40 logged, told $(grep -c '^DISKFLOOR ' "$events") time(s) in all"
[ "$resumed" -ge 20 ] || lan_fail "only $resumed of 40 messages logged after the room came back"
grep -q "^LOGGED flood2 [0-9:]*|  r2-5000041 " "$work/log.out" || lan_fail "the last message is not logged"
echo "PASS"
