#!/usr/bin/env bash
# A hot key that another program holds does not hold the start: two copies on
# one screen (hosts 1 and 2), the first takes Ctrl+Shift+X, the second cannot.
# While the second copy's "热键注册失败，可能重复了！" is open, both copies list
# each other: the second announced itself before the box, and reads its
# socket while the box waits for the user. With KWEL_LAN_SHOT=DIR the screen
# is saved there (hotkey.png). Needs Xvfb; a window manager (openbox) when
# installed.
set -u
here=$(cd "$(dirname "$0")" && pwd)
. "$here/lanlib.sh"
command -v Xvfb >/dev/null || { echo "SKIP: needs Xvfb"; exit 77; }
LAN=kwy$$ kwel=$1
lan_test_begin 3
work=$LAN_WORK
LAN_DISPLAY=()
lan_xvfb_wm 1
lan_start_copy "$kwel" 1 1 "${LAN_DISPLAY[@]}"
pid1=$kwel_pid
grep -q "^MODAL" "$work/kwel1.events" && lan_fail "the first copy showed a box"
# The second copy on the same screen: its hot key is taken.
lan_run_copy "$kwel" 2 2 "${LAN_DISPLAY[@]}"
pid2=$kwel_pid
expect 2 "ADDED $(lan_addr 2) " # it announced itself, box or not
lan_until_ok 2 modaltext 60
grep "^MODAL " "$work/kwel2.events" | tail -1 | grep -q "^MODAL Kwel|热键注册失败，可能重复了！$" \
  || lan_fail "the second copy's box: $(grep '^MODAL' "$work/kwel2.events" | tail -1)"
# The box is open: the copies know each other all the same, and a copy that
# starts now is heard by the second one too.
expect 1 "ADDED $(lan_addr 2) "
expect 2 "ADDED $(lan_addr 1) "
lan_run_copy "$kwel" 3 3
expect 3 "ADDED $(lan_addr 2) "
expect 2 "ADDED $(lan_addr 3) "
[ -z "${KWEL_LAN_SHOT:-}" ] || { drive 1 "grabscreen $KWEL_LAN_SHOT/hotkey.png"; expect 1 "DRIVER ok grabscreen"; }
lan_until_ok 2 modaltext 5 # still open
drive 2 closemodal
expect 2 "DRIVER ok closemodal"

for p in "$pid1" "$pid2" "$kwel_pid"; do kill -TERM "$p"; done
for p in "$pid1" "$pid2" "$kwel_pid"; do wait "$p" || lan_fail "a copy did not end cleanly"; done
echo "PASS: with its hot key taken the copy announces itself and hears its peers while the failure is shown"
