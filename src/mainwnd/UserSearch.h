// The search of the search strip, without a window: the peers whose name,
// host, login, group or address match the typed text. Chinese names also
// match by their pinyin ("zhangwei") and its initials ("zw"). Texts compare
// as decoded text, case-insensitively, so a match never covers half a
// character.
#pragma once

#include "mainwnd/UserPickEntry.h"

#include <QList>
#include <QStringView>

class HostRecord;

namespace UserSearch {

inline constexpr int kMaxResults = 10;

// The results for the text (trimmed by the caller), at most max of them,
// in two passes over the peers in the given order: first the peers one of
// whose fields equals the text (nick name, host name, login name, custom
// group, group, dotted address), then, while fewer than max were found, those
// with a field containing it; the five name fields holding Chinese text
// match by their pinyin too (whole syllables, then initials). The address
// matches as text only. A peer is listed once, however many fields match;
// two peers behind one address are two results.
QList<UserPickEntry> Run(const QList<HostRecord *> &peers, QStringView text, int max = kMaxResults);

// The first field of a result, as a position in its fieldTexts(), that
// holds the text as the search compares it (as text, or for a name holding
// Chinese text by its pinyin); -1 when none does. The result list shows it
// whole.
int MatchedField(const UserPickEntry &entry, QStringView text);

// What the search would do without pinyin: the substring pass over the six
// fields (the benchmark's baseline).
QList<UserPickEntry> RunPlain(const QList<HostRecord *> &peers, QStringView text, int max = kMaxResults);

} // namespace UserSearch
