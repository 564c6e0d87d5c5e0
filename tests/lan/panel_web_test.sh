#!/usr/bin/env bash
# The maker's site on a web server of host 2; the program on host 1 has its
# page addresses in the settings file. Six seconds after the start the
# notice page's marked part becomes the web-access page that a chat
# window's side pane shows; ten seconds after it the upgrade page names a
# newer release and the new-version notice slides up with its numbered
# items; the panel's web pane shows the news page. The server's log shows
# nothing but those pages was asked for. With KWEL_LAN_SHOT=DIR (and Xvfb)
# the screen is saved there.
set -u
kwel=$1
here=$(cd "$(dirname "$0")" && pwd)
. "$here/lanlib.sh"
command -v python3 >/dev/null || { echo "SKIP: needs python3 for the web server"; exit 77; }
LAN=kwb$$
lan_test_begin 2
work=$LAN_WORK
A1=$(lan_addr 1); A2=$(lan_addr 2)
site="http://$A2:8425"

# The pages, in GBK where the site writes GBK.
mkdir -p "$work/site"
printf '%s' '<html><body>[MYKWELGBTAGBEGIN]------------Upgrade Infomation------------<br>
[Upgrade URL]http://127.0.0.1/kwel.tar.gz<br>
[datetime:2099-01-01 00:00:00]<br>
新的停靠<br>
更快的传送<br>
[MYKWELTAGEND]</body></html>' | iconv -f UTF-8 -t GBK >"$work/site/upgrade.htm"
printf '%s' '<html>[MYKWELUTFTAGBEGIN]<p>今日公告 notice-7</p><script>alert(1)</script>[MYKWELTAGEND]</html>' \
  >"$work/site/notice.htm"
printf '%s' '<html><head><meta charset="utf-8"></head><body><p>蓝雀新闻 news-3</p></body></html>' \
  >"$work/site/news.htm"
lan_web_site 2 8425 "$work/site"

ini="$work/h1/.config/TARPELON/Kwel.ini"
mkdir -p "$(dirname "$ini")"
cat >"$ini" <<EOF
ChatShowWeb=@Int(1)
ShowBbsBar=@Int(1)
AutoCheckVersion=@Int(1)
UpgradePageURL1=$site/missing.htm
UpgradePageURL2=$site/upgrade.htm
NoticePageURL1=$site/notice.htm
NewsPageURL=$site/news.htm
EOF

LAN_DISPLAY=()
command -v Xvfb >/dev/null && lan_xvfb 1
lan_start_copy "$kwel" 1 1 "${LAN_DISPLAY[@]}"

cache="$work/h1/.cache/TARPELON/Kwel"
for i in $(seq 1 600); do [ -s "$cache/kwelaccess.htm" ] && break; sleep 0.1; done
[ -s "$cache/kwelaccess.htm" ] || lan_fail "no web-access page in $cache: $(ls "$cache" 2>&1)"
grep -q "notice-7" "$cache/kwelaccess.htm" || lan_fail "the web-access page is not the notice: $(cat "$cache/kwelaccess.htm")"
grep -q "MYKWEL" "$cache/kwelaccess.htm" && lan_fail "the markers went into the web-access page"
drive 1 "open $A1"
lan_until_ok 1 "sidepane $A1 notice-7" 60

lan_until_ok 1 newversion 60
grep "^NEWVERSION" "$work/kwel1.events" | tail -1 | grep -q "^NEWVERSION 1、新的停靠|2、更快的传送|\?$" \
  || lan_fail "the notice lists $(grep '^NEWVERSION' "$work/kwel1.events" | tail -1)"
[ -e "$cache/kweL_Upgrade.html" ] && lan_fail "the upgrade page stayed in the cache"

drive 1 webfolder
lan_until_ok 1 "webpane news-3" 60
if [ -n "${KWEL_LAN_SHOT:-}" ] && [ ${#LAN_DISPLAY[@]} -gt 0 ]; then
  drive 1 "grabscreen $KWEL_LAN_SHOT"
  lan_wait_line "$work/kwel1.events" "DRIVER ok grabscreen" 60 || lan_fail "no screenshot"
fi

kill -TERM "$kwel_pid"
wait "$kwel_pid" || lan_fail "the program did not end cleanly"
asked=$(grep -o '"GET [^ ]*' "$work/site.out" | sort -u | tr '\n' ' ')
[ "$asked" = '"GET /missing.htm "GET /news.htm "GET /notice.htm "GET /upgrade.htm ' ] \
  || lan_fail "the site was asked for: $asked"
echo "PASS: the notice page reaches the chat window's side pane, the upgrade page the new-version notice, the news page the web pane"
