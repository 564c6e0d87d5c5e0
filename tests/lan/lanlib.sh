#!/usr/bin/env bash
# A private LAN of network namespaces for the multi-host tests: hosts
# $LAN-1..$LAN-N on one bridge (10.213.<net>.1..N/24). Nothing leaves the
# machine: the hosts have no route but their own switch.

lan_can_run() {
  [ "$(id -u)" -eq 0 ] && command -v ip >/dev/null && ip netns list >/dev/null 2>&1
}

lan_addr() { echo "10.213.$LAN_NET.$1"; }

lan_up() {
  local n=$1 i h
  LAN=${LAN:-kwt$$}
  LAN_NET=${LAN_NET:-$(( ($$ % 200) + 20 ))}
  ip netns add "$LAN-sw"
  ip -n "$LAN-sw" link set lo up
  ip -n "$LAN-sw" link add br0 type bridge
  ip -n "$LAN-sw" link set br0 up
  for i in $(seq 1 "$n"); do
    h="$LAN-$i"
    ip netns add "$h"
    ip -n "$h" link set lo up
    ip link add "kw$$-$i" type veth peer name eth0 netns "$h"
    ip link set "kw$$-$i" netns "$LAN-sw"
    ip -n "$LAN-sw" link set "kw$$-$i" master br0 up
    ip -n "$h" addr add "$(lan_addr "$i")/24" brd + dev eth0
    ip -n "$h" link set eth0 up
    ip -n "$h" route add default dev eth0
  done
}

lan_exec() { local i=$1; shift; ip netns exec "$LAN-$i" "$@"; }

lan_down() {
  local ns
  for ns in $(ip netns list | awk '{print $1}' | grep -E "^$LAN-([0-9]+|sw)\$" || true); do
    ip netns pids "$ns" 2>/dev/null | xargs -r kill -9 2>/dev/null || true
    ip netns del "$ns"
  done
}

# The common frame of a multi-host test: a work folder, N hosts, and cleanup
# of both (and of the programs started with lan_bg) when the script ends.
lan_test_begin() {
  lan_can_run || { echo "SKIP: needs root and network namespaces"; exit 77; }
  LAN_WORK=$(mktemp -d /tmp/kwel-lan.XXXXXX)
  LAN=${LAN:-kwt$$}
  LAN_PIDS=()
  trap lan_test_end EXIT
  lan_up "$1"
}

lan_test_end() {
  local p
  for p in "${LAN_PIDS[@]}"; do kill "$p" 2>/dev/null; done
  lan_down
  [ -n "${LAN_KEEP:-}" ] || rm -rf "$LAN_WORK"
}

# Prints the message and every output and event file of the test, and fails.
lan_fail() {
  local f
  echo "FAIL: $*"
  for f in "$LAN_WORK"/*.out "$LAN_WORK"/*.events; do [ -e "$f" ] && { echo "--- $f"; cat "$f"; }; done
  exit 1
}

# Runs a program in host I with its own HOME, replacing the calling shell so
# that, started in the background, its pid is the program's.
lan_in_host() {
  local i=$1 h="$LAN_WORK/h$1"; shift
  mkdir -p "$h/run"; chmod 700 "$h/run"
  exec ip netns exec "$LAN-$i" env HOME="$h" XDG_RUNTIME_DIR="$h/run" XDG_CONFIG_HOME="$h/.config" \
    XDG_DATA_HOME="$h/.local/share" QT_QPA_PLATFORM=offscreen "$@"
}

# Waits until a line of the file starts with the text.
lan_wait_line() {
  local file=$1 text=$2 seconds=$3 i
  for i in $(seq 1 $((seconds * 10))); do
    grep -q -- "^$text" "$file" 2>/dev/null && return 0
    sleep 0.1
  done
  return 1
}

# Starts copy I of the program in host HOST, driven through its windows by
# the file $LAN_WORK/driveI and logging to $LAN_WORK/kwelI.events (its output
# in kwelI.out). The WORDS go before the program: environment settings such as
# "${LAN_DISPLAY[@]}", or a command that runs it ("prlimit --nofile=1024:1024").
# Sets kwel_pid. A copy whose settings file $LAN_WORK/hHOST/.config/TARPELON/Kwel.ini
# exists starts with it.
lan_run_copy() {
  local kwel=$1 i=$2 host=$3
  shift 3
  : >"$LAN_WORK/drive$i"
  lan_in_host "$host" env KWEL_EVENT_LOG="$LAN_WORK/kwel$i.events" KWEL_TEST_DRIVER="$LAN_WORK/drive$i" \
    "$@" "$kwel" >"$LAN_WORK/kwel$i.out" 2>&1 &
  kwel_pid=$!
  LAN_PIDS+=("$kwel_pid")
}

# The same, and waits until the copy lists itself.
lan_start_copy() {
  lan_run_copy "$@"
  lan_wait_line "$LAN_WORK/kwel$2.events" "ADDED $(lan_addr "$3") " 60 || lan_fail "copy $2 did not start"
}

# Starts the program in hosts 1..N as copies 1..N (lan_run_copy) and waits
# until every copy lists every other. Sets pid1..pidN. The optional arguments
# after N are commands that run the program of copy 1, 2, ... (for example
# "prlimit --nofile=1024:1024"); they are split at blanks.
lan_start_copies() {
  local kwel=$1 n=$2 i j
  shift 2
  local wraps=("$@")
  for i in $(seq 1 "$n"); do
    # shellcheck disable=SC2086
    lan_run_copy "$kwel" "$i" "$i" ${wraps[$((i - 1))]:-}
    eval "pid$i=$kwel_pid"
  done
  for i in $(seq 1 "$n"); do
    for j in $(seq 1 "$n"); do
      [ "$i" = "$j" ] && continue
      lan_wait_line "$LAN_WORK/kwel$i.events" "ADDED $(lan_addr "$j") " 60 || lan_fail "copy $i did not list copy $j"
    done
  done
}

# The same for two copies (hosts 1 and 2), with the commands that run them.
lan_start_two_copies() { lan_start_copies "$1" 2 "${2:-}" "${3:-}"; }

# Starts the scripted peer PEER in host I as NAME, reading its commands from a
# FIFO in the work folder that file descriptor 3 of the script writes, so
# that the script gives them as it goes (its output in NAME.out). Sets
# fifo_peer_pid.
lan_fifo_peer() {
  local i=$1 peer=$2 name=$3
  mkfifo "$LAN_WORK/$name.in"
  (lan_in_host "$i" "$peer" --name "$name" <"$LAN_WORK/$name.in" >"$LAN_WORK/$name.out" 2>&1) &
  fifo_peer_pid=$!
  LAN_PIDS+=("$fifo_peer_pid")
  exec 3>"$LAN_WORK/$name.in"
}

# Appends a command to the driver file of copy I.
drive() { local i=$1; shift; printf '%s\n' "$*" >>"$LAN_WORK/drive$i"; }
# Waits for an event line of copy I.
# The waits are generous: they only last that long when something is wrong,
# and a loaded machine (the sanitizer build beside other builds) is slow.
expect() { lan_wait_line "$LAN_WORK/kwel$1.events" "$2" "${3:-60}" || lan_fail "copy $1: no line \"$2\""; }

# How many lines of the file are one of the LINEs, to the letter.
lan_count_lines() {
  local file=$1 line args=()
  shift
  for line in "$@"; do args+=(-e "$line"); done
  grep -c -F -x "${args[@]}" "$file" 2>/dev/null
}

# Gives copy I the driver command until it reports it ok (the window or
# state it needs may still be on its way), within about SECONDS (10 unless
# given). Each try is answered before the next is given, so that no try is
# left over to run later.
lan_until_ok() {
  local i=$1 cmd=$2 seconds=${3:-10} n
  for n in $(seq 1 $((seconds * 4))); do
    lan_try_once "$i" "$cmd" && return 0
    sleep 0.25
  done
  lan_fail "copy $i: \"$cmd\" not ok within $seconds s"
}

# Gives copy I the driver command once and waits for its answer: true when
# it is ok; fails the test when no answer comes within a minute.
lan_try_once() {
  local i=$1 cmd=$2 events="$LAN_WORK/kwel$1.events" t ok answered
  ok=$(lan_count_lines "$events" "DRIVER ok $cmd")
  answered=$(lan_count_lines "$events" "DRIVER ok $cmd" "DRIVER failed $cmd")
  printf '%s\n' "$cmd" >>"$LAN_WORK/drive$i"
  for t in $(seq 1 600); do
    [ "$(lan_count_lines "$events" "DRIVER ok $cmd" "DRIVER failed $cmd")" -gt "$answered" ] && break
    sleep 0.1
  done
  [ "$t" -lt 600 ] || lan_fail "copy $i: no answer to \"$cmd\""
  [ "$(lan_count_lines "$events" "DRIVER ok $cmd")" -gt "$ok" ]
}

# Copy I shares the PATHs behind the password PASSWORD (none when empty)
# through the shares dialog: "确定" of each of its two dialogs ends in a
# message box, closed once it shows.
lan_share_files() {
  local i=$1 password=$2
  shift 2
  drive "$i" "shares add $*"
  expect "$i" "DRIVER ok shares add"
  if [ -n "$password" ]; then
    drive "$i" "shares password $password"
    expect "$i" "DRIVER ok shares password"
    lan_until_ok "$i" "closemodal"
  fi
  drive "$i" "shares save"
  expect "$i" "DRIVER ok shares save"
  lan_until_ok "$i" "closemodal"
}

# Gives the program of host I a head picture, a custom picture (32 x 32
# noise) and a stored chat picture 5eed5eed, before it starts.
lan_noise_pictures() {
  local data="$LAN_WORK/h$1/.local/share/TARPELON/Kwel/kwel"
  mkdir -p "$data/UserHeadPhoto" "$data/RecvFace"
  {
    printf 'BM\x36\x0c\x00\x00\x00\x00\x00\x00\x36\x00\x00\x00'
    printf '\x28\x00\x00\x00\x20\x00\x00\x00\x20\x00\x00\x00\x01\x00\x18\x00\x00\x00\x00\x00\x00\x0c\x00\x00'
    printf '\x13\x0b\x00\x00\x13\x0b\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00'
    head -c 3072 /dev/urandom
  } >"$data/UserHeadPhoto/MyHeadPicture.bmp"
  cp "$data/UserHeadPhoto/MyHeadPicture.bmp" "$data/UserHeadPhoto/MyCustomPicture.bmp"
  cp "$data/UserHeadPhoto/MyHeadPicture.bmp" "$data/RecvFace/5eed5eed.bmp"
}

# Waits until copy I holds a peer's head picture and custom picture (files
# 0... and 1... of its UserHeadPhoto folder), within about SECONDS.
lan_wait_photos() {
  local photos="$LAN_WORK/h$1/.local/share/TARPELON/Kwel/kwel/UserHeadPhoto" n
  for n in $(seq 1 $(($2 * 10))); do
    [ -n "$(ls "$photos"/0????????????????????.bmp 2>/dev/null)" ] \
      && [ -n "$(ls "$photos"/1????????????????????.bmp 2>/dev/null)" ] && return 0
    sleep 0.1
  done
  return 1
}

# The resident size of a process in kB, from /proc.
lan_rss_kb() { awk '/^VmRSS:/ {print $2}' "/proc/$1/status" 2>/dev/null; }

# Watches a process in the background until it ends: every 0.2 s its open
# descriptors, resident size and threads are read from /proc, and the largest
# of each so far are kept in FILE as "fds N rss-kb N threads N".
lan_watch_proc() {
  local pid=$1 out=$2
  (
    fds=0 rss=0 threads=0
    while [ -d "/proc/$pid" ]; do
      f=$(ls "/proc/$pid/fd" 2>/dev/null | wc -l)
      r=$(lan_rss_kb "$pid"); r=${r:-0}
      t=$(awk '/^Threads:/ {print $2}' "/proc/$pid/status" 2>/dev/null); t=${t:-0}
      [ "$f" -gt "$fds" ] && fds=$f
      [ "$r" -gt "$rss" ] && rss=$r
      [ "$t" -gt "$threads" ] && threads=$t
      echo "fds $fds rss-kb $rss threads $threads" >"$out.new" && mv "$out.new" "$out"
      sleep 0.2
    done
  ) &
  LAN_PIDS+=("$!")
}

# The field after NAME in a line of words ("fds 12 rss-kb 3400": fds -> 12).
lan_field() { awk -v k="$2" '{for (i = 1; i < NF; i++) if ($i == k) {print $(i + 1); exit}}' "$1"; }

# Serves the files of DIR over HTTP from host I on PORT (output in
# $LAN_WORK/site.out) and waits until the server answers.
lan_web_site() {
  local host=$1 port=$2 dir=$3 addr n
  addr=$(lan_addr "$host")
  lan_in_host "$host" python3 -u -m http.server "$port" --bind "$addr" --directory "$dir" >"$LAN_WORK/site.out" 2>&1 &
  LAN_PIDS+=("$!")
  for n in $(seq 1 300); do lan_exec "$host" bash -c "exec 3<>/dev/tcp/$addr/$port" 2>/dev/null && return 0; sleep 0.1; done
  lan_fail "the web server of host $host did not start"
}

# Starts a virtual screen (Xvfb, 800 x 600) in host I and sets LAN_DISPLAY to
# the environment that puts a program on it.
lan_xvfb() {
  local screen="" i
  # Xvfb picks a free display itself and writes its number: two suites that
  # run side by side cannot take the same one. Without -noreset the server
  # starts over when its last client leaves, and a client that connects in
  # that moment is closed before it is set up (a probe that ends just as the
  # window manager connects was enough, about 1 start in 20).
  : >"$LAN_WORK/xvfb.display"
  lan_in_host "$1" Xvfb -displayfd 3 -screen 0 800x600x24 -nolisten tcp -noreset \
    3>"$LAN_WORK/xvfb.display" >"$LAN_WORK/xvfb.out" 2>&1 &
  LAN_PIDS+=("$!")
  for i in $(seq 1 100); do
    screen=$(tr -dc 0-9 <"$LAN_WORK/xvfb.display")
    [ -n "$screen" ] && break
    sleep 0.1
  done
  [ -n "$screen" ] || lan_fail "Xvfb did not start: $(cat "$LAN_WORK/xvfb.out")"
  LAN_DISPLAY=(QT_QPA_PLATFORM=xcb DISPLAY=":$screen")
}

# The same, with a window manager (openbox) on the screen when one is
# installed, and waits until it manages the screen.
lan_xvfb_wm() {
  local i
  lan_xvfb "$1"
  if command -v openbox >/dev/null; then
    lan_in_host "$1" env "${LAN_DISPLAY[@]}" openbox --sm-disable >"$LAN_WORK/openbox.out" 2>&1 &
    LAN_PIDS+=("$!")
    for i in $(seq 1 100); do
      (lan_in_host "$1" env "${LAN_DISPLAY[@]}" xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null) | grep -q 'window id' && return 0
      sleep 0.1
    done
    lan_fail "openbox did not start: $(cat "$LAN_WORK/openbox.out")"
  fi
}
