// The pages of the maker's site that the program reads: the upgrade page
// (what a newer version brings and where to get it) and the notice page of
// the chat windows' web panes. Both carry their text between markers:
//
//   [MYKWELGBTAGBEGIN] ... [MYKWELTAGEND]     GBK text
//   [MYKWELUTFTAGBEGIN] ... [MYKWELTAGEND]    UTF-8 text
//
// (also "MYKWELGBTAGBEGIN</FONT>]" and "MYKWELUTFTAGBEGIN</FONT>]" where the
// page's editor wrapped the marker in a font tag). Pure functions over the
// fetched bytes: a page is untrusted input.
#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QDateTime>
#include <QString>
#include <QStringView>

namespace VersionPage {

// Larger pages are not read.
inline constexpr qsizetype kMaxPageBytes = 1024 * 1024;

enum class Status { Ok, TooLarge, NoMarker, NoEnd, Empty };

struct Section
{
    Status status = Status::NoMarker;
    // The marked text in GBK, with HTML entities, line breaks and link tags
    // turned into plain text when asked (the upgrade text), else as it stands.
    QByteArray gbk;
};

// The text between the first begin marker found (searched in the order
// GBK, UTF-8, wrapped UTF-8, wrapped GBK) and the end marker after it. A
// UTF-8 section is converted to GBK. No end marker means nothing was found.
Section ExtractSection(QByteArrayView page, bool normalizeHtml);

struct UpgradeInfo
{
    bool newer = false; // a release time not older than the program's
    QString downloadUrl;
    QString items; // "1、...\r\n2、...\r\n"
};

inline const QString kInfoHeader = QStringLiteral("------------Upgrade Infomation------------");

// Reads the upgrade text line by line (each trimmed): after the header line,
// the next line with "[Upgrade URL]" names the download address; then each
// "[datetime:Y-M-D h:m:s]" line is a release time (one older than
// `programTime` ends the reading) and every other non-empty line an item,
// numbered from 1.
UpgradeInfo ParseUpgradeText(QStringView text, const QDateTime &programTime);

} // namespace VersionPage
