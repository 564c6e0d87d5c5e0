#!/usr/bin/env bash
# The program alone on host 1, on a virtual X screen (Xvfb, 800 x 600, no
# window manager): the tray menu's switch turns docking on; the panel left
# at the top edge docks there, slides out when the pointer leaves it and
# leaves a 4-pixel strip, slides back when the pointer touches the strip;
# at the left edge it is stretched over the screen's height and gets its
# height back when dragged away. The menu's shortcut and autostart items
# write their desktop entries. With KWEL_LAN_SHOT=DIR the screens of every
# step are saved there.
set -u
kwel=$1
here=$(cd "$(dirname "$0")" && pwd)
. "$here/lanlib.sh"
command -v Xvfb >/dev/null || { echo "SKIP: needs Xvfb"; exit 77; }
LAN=kwk$$
lan_test_begin 1
work=$LAN_WORK

lan_xvfb 1

lan_start_copy "$kwel" 1 1 "${LAN_DISPLAY[@]}"

run=1 # the program's run: its driver file and event log
drive() { printf '%s\n' "$*" >>"$work/drive$run"; }
expect() { lan_wait_line "$work/kwel$run.events" "$1" 60 || lan_fail "no line \"$1\""; }
# Asks until the panel is at dock side $1, slid out ($2 1) or not ($2 0).
panel_is() { lan_until_ok "$run" "panel $1 $2" 15; }
# The frame of the panel as the last "panel" command wrote it: x y width height.
frame() { grep '^PANEL' "$work/kwel$run.events" | tail -1 | cut -d' ' -f4-; }
shot() {
  [ -n "${KWEL_LAN_SHOT:-}" ] || return 0
  mkdir -p "$KWEL_LAN_SHOT"
  drive "grabscreen $KWEL_LAN_SHOT/$1.png"
  expect "DRIVER ok grabscreen $KWEL_LAN_SHOT/$1.png"
}

drive "tray 32848"
expect "DRIVER ok tray 32848"
drive "movepanel 300 200"
drive "cursor 500 300"
panel_is 0 0
read -r _ _ _ height <<<"$(frame)"
shot 0-undocked

# Let go at the top edge.
drive "cursor 400 5"
drive "movepanel 300 0"
panel_is 1 0
read -r _ y _ _ <<<"$(frame)"
[ "$y" -le 0 ] || lan_fail "docked at the top but at y $y"
shot 1-top-docked
drive "cursor 600 500"
panel_is 1 1
read -r _ y _ h <<<"$(frame)"
[ $((y + h)) -eq 4 ] || lan_fail "slid out at the top, the strip is $((y + h)) pixels, not 4"
shot 2-top-slid-out
drive "cursor 400 1"
panel_is 1 0
read -r _ y _ _ <<<"$(frame)"
[ "$y" -le 0 ] && [ "$y" -ge -2 ] || lan_fail "slid back to y $y"
shot 3-top-back

# Let go at the left edge: stretched over the height of the screen.
drive "cursor 5 300"
drive "movepanel 0 100"
panel_is 3 0
read -r x y _ h <<<"$(frame)"
[ $((y + h)) -eq 600 ] || lan_fail "docked left, the panel ends at $((y + h)), not at the bottom 600"
shot 4-left-docked
drive "cursor 600 300"
panel_is 3 1
read -r x _ w _ <<<"$(frame)"
[ $((x + w)) -eq 4 ] || lan_fail "slid out at the left, the strip is $((x + w)) pixels, not 4"
shot 5-left-slid-out
drive "cursor 1 300"
panel_is 3 0
# Dragged away: undocked with the height it had.
drive "cursor 400 300"
drive "movepanel 300 150"
panel_is 0 0
read -r _ _ _ h <<<"$(frame)"
[ "$h" -eq "$height" ] || lan_fail "undocked with height $h, not $height"
shot 6-undocked-again

# The shortcut and autostart items of the tray menu.
drive "tray 33137"
expect "DRIVER ok tray 33137"
drive "tray 32845"
expect "DRIVER ok tray 32845"
h1="$work/h1"
desktop=$(ls "$h1"/Desktop/*.desktop 2>/dev/null | head -1)
autostart=$(ls "$h1"/.config/autostart/*.desktop 2>/dev/null | head -1)
[ -n "$desktop" ] || lan_fail "no desktop entry in $h1/Desktop"
[ -n "$autostart" ] || lan_fail "no autostart entry"
grep -q "^Exec=.*kwel 1\$" "$autostart" || lan_fail "the autostart entry does not pass 1: $(cat "$autostart")"
if command -v desktop-file-validate >/dev/null; then
  desktop-file-validate "$desktop" "$autostart" >"$work/validate.out" 2>&1 || lan_fail "$(cat "$work/validate.out")"
fi

# Docked at the right edge when the program ends: the side is stored, and
# the next start puts the panel slid out at that edge at once.
drive "cursor 795 300"
drive "movepanel 560 100"
panel_is 4 0
drive "tray 32809" # 退出(&C)
wait "$kwel_pid" || lan_fail "the program did not end cleanly"
ini="$h1/.config/TARPELON/Kwel.ini"
grep -q '^HideMode=@Int(4)$' "$ini" || lan_fail "the dock side was not stored: $(grep HideMode "$ini")"
run=2
lan_start_copy "$kwel" 2 1 "${LAN_DISPLAY[@]}"
drive "cursor 400 300"
panel_is 4 1
read -r x _ _ _ <<<"$(frame)"
[ "$x" -eq 796 ] || lan_fail "started slid out at the right at x $x, not 796"
shot 7-started-slid-out
drive "cursor 798 300"
panel_is 4 0
shot 8-right-back
kill -TERM "$kwel_pid"
wait "$kwel_pid" || lan_fail "the program did not end cleanly"
echo "PASS: the panel docks at the top, left and right edges, slides out and back, undocks with its height, starts slid out where it was docked; the menu writes the desktop entries"
