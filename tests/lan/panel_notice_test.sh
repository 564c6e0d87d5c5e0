#!/usr/bin/env bash
# The new-version notice on a real screen with a window manager: the maker's
# upgrade page names a newer release but no download address. The notice
# slides up and stands wholly on the work area, frame included; its
# "点击下载最新版本" says in Chinese that there is no address. Then the
# colour swatch of "自定义皮肤颜色" opens the colour dialog. With
# KWEL_LAN_SHOT=DIR the screen is saved there at each step (notice.png,
# download.png, colours.png). Needs Xvfb; a window manager (openbox) when
# installed.
set -u
kwel=$1
here=$(cd "$(dirname "$0")" && pwd)
. "$here/lanlib.sh"
command -v python3 >/dev/null || { echo "SKIP: needs python3 for the web server"; exit 77; }
command -v Xvfb >/dev/null || { echo "SKIP: needs Xvfb"; exit 77; }
LAN=kwn$$
lan_test_begin 2
work=$LAN_WORK
A2=$(lan_addr 2)
site="http://$A2:8426"

mkdir -p "$work/site"
printf '%s' '<html><body>[MYKWELGBTAGBEGIN]------------Upgrade Infomation------------<br>
[Upgrade URL]<br>
[datetime:2099-01-01 00:00:00]<br>
更稳的停靠<br>
[MYKWELTAGEND]</body></html>' | iconv -f UTF-8 -t GBK >"$work/site/upgrade.htm"
lan_web_site 2 8426 "$work/site"

ini="$work/h1/.config/TARPELON/Kwel.ini"
mkdir -p "$(dirname "$ini")"
cat >"$ini" <<EOT
AutoCheckVersion=@Int(1)
UpgradePageURL1=$site/upgrade.htm
EOT

LAN_DISPLAY=()
lan_xvfb_wm 1
lan_start_copy "$kwel" 1 1 "${LAN_DISPLAY[@]}"
shot() { [ -z "${KWEL_LAN_SHOT:-}" ] || { drive 1 "grabscreen $KWEL_LAN_SHOT/$1"; expect 1 "DRIVER ok grabscreen $KWEL_LAN_SHOT/$1"; }; }

lan_until_ok 1 newversion 60
lan_until_ok 1 notice 30 # once the slide has brought it wholly in
shot notice.png
drive 1 noticedownload
lan_until_ok 1 modaltext 30
grep "^MODAL " "$work/kwel1.events" | tail -1 | grep -q "^MODAL 提示|没有得到新版本的下载地址，请稍后再检查新版本。$" \
  || lan_fail "the download without an address says: $(grep '^MODAL' "$work/kwel1.events" | tail -1)"
shot download.png
drive 1 closemodal
expect 1 "DRIVER ok closemodal"
sleep 0.5
drive 1 "notice closed"
expect 1 "DRIVER failed notice closed" # the button closes the notice

# "自定义" skin colours: the left-top swatch opens Qt's colour dialog.
drive 1 "tray 33123"
lan_until_ok 1 "swatch 1" 30
# Asked until the colour dialog is the modal window, not the skin dialog.
for i in $(seq 1 50); do
  lan_until_ok 1 "modaltext colours" 30
  grep "^MODAL " "$work/kwel1.events" | tail -1 | grep -q "^MODAL 左上渐变颜色|" && break
  sleep 0.2
done
grep "^MODAL " "$work/kwel1.events" | tail -1 | grep -q "^MODAL 左上渐变颜色|" \
  || lan_fail "the swatch opened: $(grep '^MODAL' "$work/kwel1.events" | tail -1)"
shot colours.png
drive 1 "closemodal colours"
drive 1 "closemodal skin"
expect 1 "DRIVER ok closemodal skin"

kill -TERM "$kwel_pid"
wait "$kwel_pid" || lan_fail "the program did not end cleanly"
echo "PASS: the notice stands on the work area and says in Chinese that there is no download address; a colour swatch opens the colour dialog"
