#!/usr/bin/env bash
# The program alone on host 1, on a virtual X screen (Xvfb, 800 x 600) under
# a real window manager (openbox), with "主面板自动停靠隐藏" on. The pointer is
# moved and the title bar dragged with xdotool, as a user does:
# - the first show with the pointer at the top edge docks nothing;
# - dragged to the top, the panel docks, slides out when the pointer leaves
#   and leaves a 4-pixel strip on the screen, and comes back when the pointer
#   touches it;
# - dragged from the top towards the right edge it follows the pointer while
#   the button is held (never slides away under the drag), docks right over
#   the screen's height, and the tray menu's "打开窗口" and the hot key still
#   reach it; dragged away it undocks with its height;
# - at the left and bottom edges the strip is 4 pixels too;
# - Escape leaves the panel where it is; the buttons' tips show while a chat
#   window is the active one;
# - a notification area (trayer) that starts after the program gets the
#   icon and the panel leaves the taskbar; the close box then hides the panel
#   into it; when the area ends, the hidden panel is minimised to the taskbar.
# The shortcut and autostart items write their desktop entries; docked right
# when the program ends, the next start puts the panel slid out there; one
# started into the tray stays there when the pointer touches that edge,
# until the tray's "打开窗口" brings it back. Each
# step prints how much of the screen the panel covers ("VISIBLE WxH+X+Y", from
# a screenshot). With KWEL_LAN_SHOT=DIR the screens are kept there.
set -u
kwel=$1
here=$(cd "$(dirname "$0")" && pwd)
. "$here/lanlib.sh"
for tool in Xvfb openbox xdotool xwininfo xprop import convert; do
  command -v "$tool" >/dev/null || { echo "SKIP: needs $tool"; exit 77; }
done
LAN=kwk$$
lan_test_begin 1
work=$LAN_WORK
h1="$work/h1"

lan_xvfb_wm 1
x() { (lan_in_host 1 env "${LAN_DISPLAY[@]}" "$@"); }

run=1 # the program's run: its driver file and event log
drive() { printf '%s\n' "$*" >>"$work/drive$run"; }
expect() { lan_wait_line "$work/kwel$run.events" "$1" 60 || lan_fail "no line \"$1\""; }
# Asks until the panel is at dock side $1, slid out ($2 1) or not ($2 0).
panel_is() { lan_until_ok "$run" "panel $1 $2" 15; }
# The frame of the panel as the last "panel" command wrote it: x y width height.
frame() { grep '^PANEL' "$work/kwel$run.events" | tail -1 | cut -d' ' -f4-; }
# The part of the screen that is not the black
# root window: WxH+X+Y. Saves the screen as $1 under KWEL_LAN_SHOT.
shots=0
visible() {
  shots=$((shots + 1))
  local png="$work/screen$shots.png"
  x import -window root "$png" || lan_fail "no screenshot"
  if [ -n "${KWEL_LAN_SHOT:-}" ]; then mkdir -p "$KWEL_LAN_SHOT"; cp "$png" "$KWEL_LAN_SHOT/$1.png"; fi
  # A black border first, so that trimming takes black as the background
  # (it takes a corner's colour), then the border's pixel taken off again.
  local w h ox oy
  read -r w h ox oy <<<"$(convert "$png" -bordercolor black -border 1 -trim \
    -format '%w %h %X %Y' info: 2>/dev/null | tr -d '+')"
  VISIBLE="${w}x${h}+$((ox - 1))+$((oy - 1))"
  echo "VISIBLE $1 $VISIBLE"
}
# Drags the title bar of the panel (its frame as the driver reports it) to
# X Y in steps, holding the button HOLD seconds at the end before letting go
# (no letting go with HOLD "-").
drag_to() {
  local tx=$1 ty=$2 hold=$3 fx fy fw
  lan_until_ok "$run" "panel ${4:-0} 0" 15
  read -r fx fy fw _ <<<"$(frame)"
  local sx=$((fx + fw / 2)) sy=$((fy + 10))
  [ "$sy" -lt 4 ] && sy=4
  x xdotool mousemove "$sx" "$sy" mousedown 1 sleep 0.3 \
    mousemove $(((sx * 2 + tx) / 3)) $(((sy * 2 + ty) / 3)) sleep 0.3 \
    mousemove $(((sx + tx * 2) / 3)) $(((sy + ty * 2) / 3)) sleep 0.3 \
    mousemove "$tx" "$ty" sleep 0.3
  [ "$hold" = "-" ] && return 0
  sleep "$hold"
  x xdotool mouseup 1
}
# The panel's window. A search that meets a window going away (a tip) fails
# with BadWindow and is made again.
window_id() {
  local i id
  for i in $(seq 1 50); do
    id=$(x xdotool search --name '^蓝雀Kwel$' 2>/dev/null | head -1)
    [ -n "$id" ] && { echo "$id"; return 0; }
    sleep 0.1
  done
}
# Never asks without a window: xwininfo and xprop would wait for a click.
map_state() {
  local id=${1:-$(window_id)}
  if [ -n "$id" ]; then x xwininfo -id "$id" | sed -n 's/.*Map State: //p'; else echo NoWindow; fi
}
wm_state() {
  local id
  id=$(window_id)
  if [ -n "$id" ]; then x xprop -id "$id" WM_STATE _NET_WM_STATE; else echo "no window"; fi
}
# The width, height, left and top of the visible part.
geometry() { sed 's/[x+]/ /g' <<<"$VISIBLE"; }

# Slides the panel docked at side $1 out by putting the pointer at $3 $4,
# checks that the screen shows only its strip, W H X Y as $5 $6 $7 $8 ("*"
# for any), then brings it back with the pointer at $9 ${10}. $2 names the
# screen.
slide_out_and_back() {
  local side=$1 name=$2 i=0 want got
  x xdotool mousemove "$3" "$4"
  panel_is "$side" 1
  sleep 0.5
  visible "$name"
  read -r -a got <<<"$(geometry)"
  for want in "$5" "$6" "$7" "$8"; do
    [ "$want" = "*" ] || [ "${got[$i]}" -eq "$want" ] || lan_fail "slid out at side $side, the screen shows $VISIBLE"
    i=$((i + 1))
  done
  x xdotool mousemove "$9" "${10}"
  panel_is "$side" 0
}

# Docking on from the start, the panel at 300,100 and the pointer already at
# the top edge: the first show is no drag and docks nothing.
mkdir -p "$h1/.config/TARPELON"
printf 'AutoHideWnd=@Int(1)\nWndLeft=@Int(300)\nWndTop=@Int(100)\nWndWidth=@Int(240)\nWndHeight=@Int(400)\n' \
  >"$h1/.config/TARPELON/Kwel.ini"
x xdotool mousemove 400 3
lan_start_copy "$kwel" 1 1 "${LAN_DISPLAY[@]}"
sleep 2
panel_is 0 0
read -r _ _ _ height <<<"$(frame)"
visible 0-undocked-at-start
read -r w h _ _ <<<"$(geometry)"
[ "$h" -ge 300 ] || lan_fail "the panel is not on the screen at the start: $VISIBLE"

# Dragged to the top: docked; slid out, a strip of 4 pixels stays.
drag_to 420 2 0.5
panel_is 1 0
visible 1-top-docked
slide_out_and_back 1 2-top-slid-out 600 500 '*' 4 '*' 0 400 1
visible 3-top-back

# From the top towards the right edge: while the button is held the panel
# follows the pointer and stays on the screen.
drag_to 795 150 - 1
sleep 1.5
visible 4-dragged-held
read -r w h _ _ <<<"$(geometry)"
[ "$h" -ge 300 ] || lan_fail "the panel slid away under the drag: the screen shows $VISIBLE"
x xdotool mouseup 1
panel_is 4 0
visible 5-right-docked
read -r w h vx vy <<<"$(geometry)"
# (the window manager's border is as black as the screen behind it)
[ $((vx + w)) -ge 798 ] && [ "$vy" -eq 0 ] && [ "$h" -ge 570 ] || lan_fail "docked right, the screen shows $VISIBLE"
[ "$(map_state)" = IsViewable ] || lan_fail "docked right but not mapped: $(wm_state)"
slide_out_and_back 4 6-right-slid-out 200 300 4 600 796 0 799 300
# The tray menu's "打开窗口" and the hot key bring it in.
for bring in "drive tray 32771" "x xdotool key ctrl+shift+x"; do
  x xdotool mousemove 200 300
  panel_is 4 1
  $bring
  panel_is 4 0
  x xdotool mousemove 650 300
  sleep 0.5
done

# Dragged away to the middle: undocked, with the height it had.
x xdotool mousemove 700 300
drag_to 400 150 1 4
panel_is 0 0
read -r _ _ _ h <<<"$(frame)"
[ "$h" -eq "$height" ] || lan_fail "undocked with height $h, not $height"
visible 7-undocked-again

# Left and bottom.
drag_to 3 300 0.5
panel_is 3 0
slide_out_and_back 3 8-left-slid-out 600 300 4 600 0 0 1 300
x xdotool mousemove 100 300
drag_to 400 598 0.5 3
panel_is 2 0
slide_out_and_back 2 9-bottom-slid-out 400 100 '*' 4 '*' 596 400 599
x xdotool mousemove 400 450
drag_to 400 80 1 2
panel_is 0 0

# Escape on the panel leaves it where it is.
x xdotool windowactivate "$(window_id)" sleep 0.5 key Escape
sleep 1
[ "$(map_state)" = IsViewable ] || lan_fail "Escape hid the panel"

# A notification area that starts after the program.
wm_state | grep -q SKIP_TASKBAR && lan_fail "without a tray the panel left the taskbar"
lan_in_host 1 env "${LAN_DISPLAY[@]}" trayer --edge bottom --align left --widthtype pixel --width 100 --heighttype pixel --height 24 \
  >"$work/trayer.out" 2>&1 &
tray_pid=$!
LAN_PIDS+=("$tray_pid")
for i in $(seq 1 50); do
  x xwininfo -root -tree | grep -q '"Kwel": ("kwel"' && break
  sleep 0.2
done
x xwininfo -root -tree | grep -q '"Kwel": ("kwel"' || lan_fail "the icon never went into the tray that started later"
for i in $(seq 1 25); do wm_state | grep -q SKIP_TASKBAR && break; sleep 0.2; done
wm_state | grep -q SKIP_TASKBAR || lan_fail "with a tray the panel stays in the taskbar: $(wm_state)"
visible 10-tray-appeared

# With the tray, a chat window and the panel are still nobody's
# transients: minimising or activating one leaves the other alone.
drive "open $(lan_addr 1)"
expect "DRIVER ok open $(lan_addr 1)"
chat=""
for i in $(seq 1 50); do
  chat=$(x xdotool search --name '聊天中' 2>/dev/null | head -1)
  [ -n "$chat" ] && break
  sleep 0.1
done
[ -n "$chat" ] || lan_fail "no chat window"
x xdotool windowminimize "$chat" sleep 0.5 windowactivate "$(window_id)" sleep 0.5
[ "$(map_state)" = IsViewable ] || lan_fail "minimising the chat window took the panel: $(wm_state)"
x xdotool windowactivate "$chat" sleep 0.5
[ "$(map_state "$chat")" = IsViewable ] && [ "$(map_state)" = IsViewable ] \
  || lan_fail "activating the chat window took the panel: $(wm_state)"
# The panel's buttons show their tips while the chat window is active.
lan_until_ok "$run" "panel 0 0" 15
read -r fx fy _ _ <<<"$(frame)"
x xdotool windowraise "$(window_id)" sleep 0.3 mousemove $((fx + 140)) $((fy + 60)) sleep 0.2 \
  mousemove $((fx + 140)) $((fy + 73))
[ "$(x xdotool getactivewindow)" = "$chat" ] || lan_fail "the chat window is not the active one"
tip=""
for i in $(seq 1 25); do
  for w in $(x xdotool search --onlyvisible --class kwel); do
    x xprop -id "$w" _NET_WM_WINDOW_TYPE | grep -q TOOLTIP && tip=$w
  done
  [ -n "$tip" ] && break
  sleep 0.2
done
[ -n "$tip" ] || lan_fail "no tip over the panel's button while the chat window is active"
visible 10b-tip-over-inactive-panel
x xdotool windowminimize "$(window_id)" sleep 0.5
[ "$(map_state)" = IsUnMapped ] || lan_fail "minimising did not hide the panel into the tray: $(wm_state)"
[ "$(map_state "$chat")" = IsViewable ] || lan_fail "hiding the panel took the chat window"
drive "tray 32771"
for i in $(seq 1 25); do [ "$(map_state)" = IsViewable ] && break; sleep 0.2; done
[ "$(map_state)" = IsViewable ] || lan_fail "the panel did not come back from the tray: $(wm_state)"
read -r fx fy fw _ <<<"$(frame)"
x xdotool mousemove $((fx + fw - 12)) $((fy + 10)) click 1 # the close box
for i in $(seq 1 25); do [ "$(map_state)" = IsUnMapped ] && break; sleep 0.2; done
[ "$(map_state)" = IsUnMapped ] || lan_fail "the close box did not hide the panel into the tray"
# The area ends: the panel hidden into it is minimised to the taskbar.
kill "$tray_pid"
for i in $(seq 1 25); do wm_state | grep -q Iconic && break; sleep 0.2; done
wm_state | grep -q Iconic || lan_fail "the tray went away and the hidden panel was not minimised: $(wm_state)"
wm_state | grep -q SKIP_TASKBAR && lan_fail "without a tray the panel is still out of the taskbar"
drive "tray 32771"
for i in $(seq 1 25); do [ "$(map_state)" = IsViewable ] && break; sleep 0.2; done
[ "$(map_state)" = IsViewable ] || lan_fail "the minimised panel did not come back"

# The shortcut and autostart items of the tray menu.
drive "tray 33137"
expect "DRIVER ok tray 33137"
drive "tray 32845"
expect "DRIVER ok tray 32845"
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
x xdotool mousemove 400 400
drag_to 796 300 0.5
panel_is 4 0
drive "tray 32809" # 退出(&C)
wait "$kwel_pid" || lan_fail "the program did not end cleanly"
ini="$h1/.config/TARPELON/Kwel.ini"
grep -q '^HideMode=@Int(4)$' "$ini" || lan_fail "the dock side was not stored: $(grep HideMode "$ini")"
run=2
x xdotool mousemove 400 300
lan_start_copy "$kwel" 2 1 "${LAN_DISPLAY[@]}"
slide_out_and_back 4 11-started-slid-out 400 300 4 600 796 0 798 300
visible 12-right-back
drive "tray 32809"
wait "$kwel_pid" || lan_fail "the program did not end cleanly"

# Started into the tray (DbClickAutoMin) while docked at the right edge: the
# pointer at that edge brings nothing out; "打开窗口" of the tray does.
grep -q '^HideMode=@Int(4)$' "$ini" || lan_fail "the dock side was not stored again: $(grep HideMode "$ini")"
sed -i '/^DbClickAutoMin=/d; /^HideMode=/a DbClickAutoMin=@Int(1)' "$ini"
lan_in_host 1 env "${LAN_DISPLAY[@]}" trayer --edge bottom --align left --widthtype pixel --width 100 --heighttype pixel --height 24 \
  >"$work/trayer2.out" 2>&1 &
tray_pid=$!
LAN_PIDS+=("$tray_pid")
for i in $(seq 1 50); do x xwininfo -root -tree | grep -q 'trayer' && break; sleep 0.2; done
run=3
x xdotool mousemove 400 300
lan_start_copy "$kwel" 3 1 "${LAN_DISPLAY[@]}"
for i in $(seq 1 50); do x xwininfo -root -tree | grep -q '"Kwel": ("kwel"' && break; sleep 0.2; done
x xwininfo -root -tree | grep -q '"Kwel": ("kwel"' || lan_fail "the icon never went into the tray"
x xdotool mousemove 799 300
# Each answer is a pass of the program's event loop, with its docking watch.
for i in $(seq 1 8); do
  n=$(lan_count_lines "$work/kwel$run.events" "DRIVER ok panel" "DRIVER failed panel")
  drive "panel"
  for t in $(seq 1 600); do
    [ "$(lan_count_lines "$work/kwel$run.events" "DRIVER ok panel" "DRIVER failed panel")" -gt "$n" ] && break
    sleep 0.1
  done
  [ "$(map_state)" != IsViewable ] || lan_fail "started in the tray, the panel came out at the pointer's touch: $(wm_state)"
  sleep 0.25
done
visible 13-started-in-tray
read -r w _ vx _ <<<"$(geometry)"
[ $((vx + w)) -lt 790 ] || lan_fail "started in the tray, something stands at the right edge: $VISIBLE"
x xdotool mousemove 400 300
drive "tray 32771"
panel_is 4 0
[ "$(map_state)" = IsViewable ] || lan_fail "the tray did not bring the panel back: $(wm_state)"
visible 14-back-from-tray
kill -TERM "$kwel_pid"
wait "$kwel_pid" || lan_fail "the program did not end cleanly"
echo "PASS: under openbox the panel docks at each edge by a drag, leaves a 4-pixel strip, follows a held drag, undocks with its height; Escape keeps it; a tray that comes later gets the icon, one that goes leaves the panel minimised; started in the tray it stays there"
