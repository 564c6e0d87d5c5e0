#!/usr/bin/env bash
# The program alone on host 1, on a virtual X screen under a real window
# manager (openbox, its default theme, title font "sans 8 bold"). Message
# boxes with short texts under their captions and the small dialogs are
# opened in the running program; each must be wide enough for openbox to
# draw its whole title: the title's width in the manager's font (measured
# with Tk, which draws through the same fonts) plus the frame's icon, its
# three buttons and the padding around them (4 squares of the title bar's
# height with their spaces, and 16 pixels: openbox's default theme takes
# 106 pixels besides a title in a 14-pixel font). Each box is kept as a
# screenshot under KWEL_LAN_SHOT=DIR.
set -u
kwel=$1
here=$(cd "$(dirname "$0")" && pwd)
. "$here/lanlib.sh"
for tool in Xvfb openbox xdotool xwininfo xprop import python3; do
  command -v "$tool" >/dev/null || { echo "SKIP: needs $tool"; exit 77; }
done
python3 -c 'import tkinter' 2>/dev/null || { echo "SKIP: needs python3-tk"; exit 77; }
LAN=kwc$$
lan_test_begin 1
work=$LAN_WORK
A1=$(lan_addr 1)

lan_xvfb_wm 1
x() { (lan_in_host 1 env "${LAN_DISPLAY[@]}" "$@"); }
lan_start_copy "$kwel" 1 1 "${LAN_DISPLAY[@]}"

# The width of a text in openbox's title font.
title_width() {
  x python3 -c 'import sys, tkinter, tkinter.font as f
tkinter.Tk().withdraw()
print(f.Font(family="sans", size=8, weight="bold").measure(sys.argv[1]))' "$1"
}
# The visible windows of the program titled $1 (a search that meets a window
# going away fails with BadWindow and is made again by the callers).
titled() {
  local w
  for w in $(x xdotool search --onlyvisible --class kwel 2>/dev/null); do
    [ "$(x xdotool getwindowname "$w" 2>/dev/null)" = "$1" ] && echo "$w"
  done
}
# The newest window titled $1 that is not one of the windows $2, once the
# window manager has framed it.
framed_window() {
  local i w found
  for i in $(seq 1 300); do
    found=""
    for w in $(titled "$1"); do
      grep -qw -- "$w" <<<"$2" && continue
      x xprop -id "$w" _NET_FRAME_EXTENTS 2>/dev/null | grep -q ' = ' || continue
      [ -z "$found" ] || [ "$w" -gt "$found" ] && found=$w
    done
    [ -n "$found" ] && { echo "$found"; return 0; }
    sleep 0.1
  done
  return 1
}
shots=0
cut=()
# Gives the driver command $2, which opens a window titled $1 (as the desktop
# gets it), checks that window and closes it. With $3, the window is the
# message box of that text (its dialog has the same title).
whole_caption() {
  local title="$1 — Kwel" w width top text need before i
  before=$(titled "$title")
  drive 1 "$2"
  if [ -n "${3:-}" ]; then
    for i in $(seq 1 100); do
      lan_until_ok 1 modaltext 30
      grep '^MODAL ' "$work/kwel1.events" | tail -1 | grep -qF "|$3" && break
      sleep 0.1
    done
  fi
  w=$(framed_window "$title" "$before") || lan_fail "no window \"$title\" from \"$2\""
  width=$(x xwininfo -id "$w" | sed -n 's/^ *Width: //p')
  top=$(x xprop -id "$w" _NET_FRAME_EXTENTS | sed 's/.* = //' | cut -d, -f3 | tr -d ' ')
  text=$(title_width "$title")
  need=$((text + 4 * (top + 4) + 16))
  shots=$((shots + 1))
  x import -window root "$work/caption$shots.png" || lan_fail "no screenshot"
  if [ -n "${KWEL_LAN_SHOT:-}" ]; then mkdir -p "$KWEL_LAN_SHOT"; cp "$work/caption$shots.png" "$KWEL_LAN_SHOT/caption$shots.png"; fi
  echo "CAPTION \"$title\" window $width title $text needs $need"
  [ "$width" -ge "$need" ] || cut+=("\"$title\" ($width of $need)")
  lan_until_ok 1 closemodal 30
  for i in $(seq 1 300); do titled "$title" | grep -qw -- "$w" || return 0; sleep 0.1; done
  lan_fail "the window \"$title\" did not close"
}

# The boxes of the panel's commands ("导出成功！" and the like under "提示"),
# the overwrite question and the folder that cannot be made.
for box in "提示|导出成功！" "确认另存为|groups.xml 已存在。 要替换它吗?" "另存为|无法创建文件夹: /tmp/x"; do
  whole_caption "${box%%|*}" "prompt $box"
done
# The share password and the share settings, as the user saves them.
mkdir -p "$work/shared"
drive 1 "shares add $work/shared"
expect 1 "DRIVER ok shares add"
whole_caption "文件共享密码" "shares password pw" "密码修改成功！"
whole_caption "文件共享设置(支持文件拖放)" "shares save" "设置成功！"
# A contact's "更改用户名及用户资料" (here the user's own entry).
whole_caption "更改用户名及用户资料" "menu 32962 $A1"

kill -TERM "$kwel_pid"
wait "$kwel_pid" || lan_fail "the program did not end cleanly"
[ "${#cut[@]}" -eq 0 ] || lan_fail "captions cut by the window manager: ${cut[*]}"
echo "PASS: under openbox every box and dialog shows its whole caption"
