#!/usr/bin/env bash
# Two copies of the program on a private LAN: copy 1 shares two files and a
# folder behind a password (set in its share settings); copy 2 asks for the
# list from its chat window, gives a wrong and then the right password, and
# downloads everything it is shown. What arrives is byte-identical, and copy
# 1's transfer monitor lists the rows until they are received.
set -u
kwel=$1
here=$(cd "$(dirname "$0")" && pwd)
. "$here/lanlib.sh"
LAN=ksh$$
lan_test_begin 2
work=$LAN_WORK
A1=$(lan_addr 1); A2=$(lan_addr 2)

# How many lines of copy I start with the text.
count() { grep -c -- "^$2" "$work/kwel$1.events" 2>/dev/null; }

mkdir -p "$work/share/资料/sub" "$work/recv"
head -c 1500000 /dev/urandom >"$work/share/one.bin"
echo "共享的文件" >"$work/share/two.txt"
head -c 40000 /dev/urandom >"$work/share/资料/a.bin"
echo "里面" >"$work/share/资料/sub/b.txt"
# Not shared: it must never be offered.
echo "secret" >"$work/share/private.txt"

lan_start_two_copies "$kwel"

lan_share_files 1 口令r "$work/share/one.bin" "$work/share/two.txt" "$work/share/资料"
drive 1 "monitor open"
expect 1 "DRIVER ok monitor open"
drive 1 "monitor rows 0"
expect 1 "DRIVER ok monitor rows 0"

# The list is behind the password: a wrong one is refused and said in the history.
drive 2 "open $A1"
drive 2 "press $A1 1031"
expect 1 "SHARELIST $A2 need-password"
lan_until_ok 2 "shares typepassword 口令x"
expect 1 "SHARELIST $A2 wrong-password"
expect 2 "SYSTEM $A1 您查看对方共享文件时，输入的密码不正确！"

drive 2 "press $A1 1031"
lan_until_ok 2 "shares typepassword 口令r"
expect 1 "SHARELIST $A2 list"
lan_until_ok 2 "shares download 3"
expect 1 "SHAREDOWNLOAD $A2 3"

# Copy 1 offered them: its monitor shows one row per entry until they arrive.
lan_until_ok 1 "monitor rows 3"
drive 1 "monitor grab $work/monitor-waiting.png"
expect 2 "SYSTEM $A1 .* 给您发送了 3 个文件(夹)"
drive 2 "receiveall $A1 $work/recv"
expect 2 "DRIVER ok receiveall $A1"
for i in $(seq 1 300); do
  if cmp -s "$work/share/one.bin" "$work/recv/one.bin" && [ -f "$work/recv/资料/sub/b.txt" ] \
    && [ -f "$work/recv/two.txt" ]; then break; fi
  sleep 0.1
done
cmp "$work/share/one.bin" "$work/recv/one.bin" || lan_fail "one.bin differs"
cmp "$work/share/two.txt" "$work/recv/two.txt" || lan_fail "two.txt differs"
diff -r "$work/share/资料" "$work/recv/资料" || lan_fail "the folder differs"
[ -e "$work/recv/private.txt" ] && lan_fail "a file outside the shares arrived"
lan_until_ok 1 "monitor rows 0"

[ "$(count 1 "SHAREDOWNLOAD")" = 1 ] || lan_fail "unexpected download requests"
kill -TERM "$pid1" "$pid2"
wait "$pid1" || lan_fail "the first copy ended badly"
wait "$pid2" || lan_fail "the second copy ended badly"
echo "PASS: shares behind a password browsed with a wrong and the right password, two files and a folder downloaded byte-identical, the monitor followed them"
