#!/usr/bin/env bash
# Replies of a spam rule: the program in host 1 blocks messages that contain
# "ad" and answers each with a reply of 3,000 bytes. A listed peer in host 2
# that receives at its address (its chat window open, so that every message
# reaches the rules) sends 300 such messages, 20 at a time, each resent until
# receipted. Every message is blocked, and the replies are
# answers like the away reply: at most one to the peer in each second of the
# flood, each within the answer budget (a reply of 3,000 bytes to the first
# message of about 100 would be thirty times what came). Once the flood has
# paid for it, a later matching message gets its reply. Prints the counts.
set -u
kwel=$1
peer=$2
here=$(cd "$(dirname "$0")" && pwd)
. "$here/lanlib.sh"
LAN=kws$$
lan_test_begin 2
work=$LAN_WORK
A1=$(lan_addr 1); A2=$(lan_addr 2)

# Contains "ad" (scope all, contains, any files, block) with its reply.
mkdir -p "$work/h1/.config/TARPELON"
reply=$(head -c 3000 /dev/zero | tr '\0' 'x')
printf '[SPAMRULE_STR]\n0=ad#~$#0#~$#1#~$#0#~$#0#~$#%s#~$#\n' "$reply" >"$work/h1/.config/TARPELON/Kwel.ini"
lan_start_copy "$kwel" 1 1

# The peer's port is listed, and its window open.
printf 'attack %s spamflood 0 ad 24250\nexit\n' "$A1" | (lan_in_host 2 "$peer" --name spammer >"$work/listed.out" 2>&1) \
  || lan_fail "the peer did not announce itself"
lan_until_ok 1 "open $A2:24250"
printf 'attack %s spamflood 300 ad 24250\nexit\n' "$A1" | (lan_in_host 2 "$peer" --name spammer >"$work/spam.out" 2>&1) \
  || lan_fail "the flood did not run"
line=$(grep '^SPAMFLOOD ' "$work/spam.out")
receipted=$(echo "$line" | awk '{ print $5 }')
replies=$(echo "$line" | awk '{ print $7 }')
ms=$(echo "$line" | awk '{ print $9 }')
blocked=$(grep -c "^BLOCKED $A2 " "$work/kwel1.events")
echo "FIGURE 300 messages matching a spam rule with a reply in $ms ms: $receipted receipted, $blocked blocked, $replies replies"
[ "${receipted:-0}" -eq 300 ] || lan_fail "$receipted of 300 messages were receipted"
[ "$blocked" -eq 300 ] || lan_fail "$blocked of 300 messages were blocked"
[ "${replies:-0}" -le $(( ms / 1000 + 1 )) ] || lan_fail "$replies replies in $ms ms: more than one a second"

# The flood paid for a reply: one more message, resent under a new number as
# a peer's next message until the reply comes (a second apart at least).
later=0
for try in 1 2 3 4 5 6 7 8 9 10; do
  printf 'attack %s spamflood 1 ad 24250 %s\nexit\n' "$A1" $(( 8000000 + try )) \
    | (lan_in_host 2 "$peer" --name spammer >"$work/later.out" 2>&1) || lan_fail "the later message did not go"
  later=$(grep '^SPAMFLOOD ' "$work/later.out" | awk '{ print $7 }')
  [ "${later:-0}" -ge 1 ] && break
done
echo "FIGURE a later matching message: its reply after $try tries, $later replies"
[ "${later:-0}" -eq 1 ] || lan_fail "the later message got ${later:-0} replies"
echo "PASS: a spam rule's replies go within the answers' bounds"
