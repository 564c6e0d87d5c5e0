#!/usr/bin/env bash
# Two hosts: host 1 offers a file and a folder tree to host 2, which fetches
# both over TCP, then offers them again and host 2 receives them with the
# file receiver; what arrives must be byte-identical both times.
set -u
peer=$1
here=$(cd "$(dirname "$0")" && pwd)
. "$here/lanlib.sh"
lan_can_run || { echo "SKIP: needs root and network namespaces"; exit 77; }

work=$(mktemp -d /tmp/kwel-lan.XXXXXX)
LAN=kwf$$
pids=()
cleanup() {
  for p in "${pids[@]}"; do kill "$p" 2>/dev/null; done
  lan_down
  rm -rf "$work"
}
trap cleanup EXIT
lan_up 2
A1=$(lan_addr 1); A2=$(lan_addr 2)
fail() { echo "FAIL: $*"; for f in "$work"/*.out; do echo "--- $f"; cat "$f"; done; exit 1; }

# What is offered: one 3 MiB file and a small tree with an empty folder, a
# Chinese name and a file name with a colon.
mkdir -p "$work/src/tree/子目录/empty" "$work/recv"
head -c 3145728 /dev/urandom >"$work/src/big.bin"
head -c 70000 /dev/urandom >"$work/src/tree/a.bin"
echo "你好" >"$work/src/tree/子目录/说明.txt"
printf 'x' >"$work/src/tree/子目录/with:colon"

in_host() {
  local i=$1; shift
  mkdir -p "$work/h$i/run"; chmod 700 "$work/h$i/run"
  exec ip netns exec "$LAN-$i" env HOME="$work/h$i" XDG_RUNTIME_DIR="$work/h$i/run" QT_QPA_PLATFORM=offscreen "$@"
}

in_host 1 "$peer" --name sender >"$work/sender.out" 2>&1 <<EOF &
announce
wait ADDED $A2 60
offer $A2 $work/src/big.bin $work/src/tree
wait RECEIPT $A2 60
offer $A2 $work/src/big.bin $work/src/tree
sleep 300000
EOF
sender=$!
pids+=("$sender")

in_host 2 "$peer" --name receiver >"$work/receiver.out" 2>&1 <<EOF &
announce
wait FILE $A1 60
fetch big.bin $work/recv/big.bin
fetch tree $work/recv/tree
waitcount 4 FILE $A1 60
count FILE $A1 4
receive big.bin $work/recv2
receive tree $work/recv2
count HISTORY 2
exit
EOF
receiver=$!
pids+=("$receiver")

wait "$receiver" || fail "the receiver's script failed"
# The sender only serves; it stays until the receiver is done.
kill "$sender" 2>/dev/null
cmp "$work/src/big.bin" "$work/recv/big.bin" || fail "the file differs"
# The folder arrives under its own name; a ':' in a name is stored as ';', as
# the Windows peers store it.
mv "$work/src/tree/子目录/with:colon" "$work/src/tree/子目录/with;colon"
diff -r "$work/src/tree" "$work/recv/tree/tree" || fail "the folder differs"
cmp "$work/src/big.bin" "$work/recv2/big.bin" || fail "the received file differs"
diff -r "$work/src/tree" "$work/recv2/tree" || fail "the received folder differs"
grep -q "^HISTORY 文件接收完成.*共1个文件:big.bin" "$work/receiver.out" || fail "no summary of the file"
[ -z "$(find "$work/recv2" -name '*.kwq')" ] || fail "a partial file was left"
echo "PASS: a file and a folder fetched and received byte-identical"
