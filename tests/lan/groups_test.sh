#!/usr/bin/env bash
# The contact list's menus in the running program, on two copies driven as a
# user would (KWEL_TEST_DRIVER): a new group from "新建组", the peer moved into
# it, its memo name from "更改用户名及用户资料", the group renamed from its node;
# moved to "黑名单" the peer's message is not shown; the tray's "设置为隐身状态"
# takes copy 1 off copy 2's list, and "隐身对该组成员可见" on the peer's group
# brings it back there at once; with "该组成员无需密码可查看我的共享文件" set for the
# peer's group, copy 2 browses and downloads copy 1's shares without the password.
set -u
kwel=$1
here=$(cd "$(dirname "$0")" && pwd)
. "$here/lanlib.sh"
LAN=kwg$$
lan_test_begin 2
work=$LAN_WORK
A1=$(lan_addr 1); A2=$(lan_addr 2)

lan_start_two_copies "$kwel"

drive 1 "menu 32959"
drive 1 "modaledit 0 同事"
drive 1 "modalclick 1"
expect 1 "DRIVER ok menu 32959"
drive 1 "move $A2 同事"
expect 1 "DRIVER ok move $A2 同事"
# A new group starts collapsed: "打开全部组成员" shows its members.
drive 1 "menu 33067"
expect 1 "DRIVER ok menu 33067"
# The memo dialog's line edits: the old name (read only), the memo name, the details.
drive 1 "menu 32962 $A2"
drive 1 "modaledit 1 张经理"
drive 1 "modalclick 1"
expect 1 "DRIVER ok menu 32962 $A2"
drive 1 "peer $A2"
expect 1 "PEER $A2 同事|张经理|1"
drive 1 "menu 33065 @同事"
drive 1 "modaledit 0 伙伴"
drive 1 "modalclick 1"
expect 1 "DRIVER ok menu 33065 @同事"
drive 1 "peer $A2"
expect 1 "PEER $A2 伙伴|张经理|1"

# On the blacklist: recorded, never heard.
drive 1 "move $A2 黑名单"
expect 1 "DRIVER ok move $A2 黑名单"
drive 2 "open $A1"
drive 2 "type $A1 不该看到"
drive 2 "send $A1"
expect 2 "DRIVER ok send $A1"
sleep 3
grep -q "^MESSAGE $A2 " "$work/kwel1.events" && lan_fail "the blacklisted peer's message was shown"
drive 1 "move $A2 伙伴"
expect 1 "DRIVER ok move $A2 伙伴"

# Hidden: copy 2 forgets copy 1; visible to the peer's group: it lists it again.
drive 1 "tray 33095"
expect 1 "DRIVER ok tray 33095"
expect 2 "REMOVED $A1 "
drive 1 "menu 33114 $A2"
expect 1 "DRIVER ok menu 33114 $A2"
for i in $(seq 1 100); do
  [ "$(grep -c "^ADDED $A1 " "$work/kwel2.events")" -ge 2 ] && break
  sleep 0.1
done
[ "$(grep -c "^ADDED $A1 " "$work/kwel2.events")" -ge 2 ] || lan_fail "the group made visible while hidden did not list copy 1 again"
# Under the name its visible-to list carries: copy 1 has no nick name, so its host name.
[ "$(grep "^ADDED $A1 " "$work/kwel2.events" | tail -1 | awk '{print $5}')" = "$(uname -n)" ] \
  || lan_fail "the hidden copy is listed under another name than its host name"
# The group's right to the shares without the password.
mkdir -p "$work/share"
echo "组内共享" >"$work/share/a.txt"
lan_share_files 1 口令r "$work/share/a.txt"
drive 1 "menu 33090 @伙伴"
drive 1 "modalcheck 1053 on"
drive 1 "modalclick 1"
expect 1 "DRIVER ok menu 33090 @伙伴"
drive 2 "press $A1 1031"
lan_until_ok 2 "shares download 1"
expect 1 "SHAREDOWNLOAD $A2 1"
grep -q "^SHARELIST $A2 need-password" "$work/kwel1.events" && lan_fail "the group's right did not spare the password"
drive 1 "quit"
drive 2 "quit"
echo "PASS: groups, memo names, blacklist and hidden mode from the menus of the running program"
