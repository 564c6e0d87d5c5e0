#include "net/VersionPage.h"

#include "core/DateTimeText.h"
#include "core/Gbk.h"
#include "core/HtmlFile.h"

#include <QStringConverter>

namespace VersionPage {

namespace {

struct Marker
{
    const char *text;
    bool utf8;
};

constexpr Marker kMarkers[] = {
    {"[MYKWELGBTAGBEGIN]", false},
    {"[MYKWELUTFTAGBEGIN]", true},
    {"MYKWELUTFTAGBEGIN</FONT>]", true},
    {"MYKWELGBTAGBEGIN</FONT>]", false},
};
constexpr char kEndMarker[] = "[MYKWELTAGEND]";

} // namespace

Section ExtractSection(QByteArrayView page, bool normalizeHtml)
{
    Section s;
    if (page.size() > kMaxPageBytes) {
        s.status = Status::TooLarge;
        return s;
    }
    for (const Marker &marker : kMarkers) {
        const QByteArrayView begin(marker.text);
        const qsizetype at = page.indexOf(begin);
        if (at < 0)
            continue;
        const qsizetype from = at + begin.size();
        const qsizetype end = page.indexOf(QByteArrayView(kEndMarker), from);
        if (end < 0) {
            s.status = Status::NoEnd;
            return s;
        }
        QByteArray text = page.sliced(from, end - from).toByteArray();
        if (marker.utf8)
            text = Gbk::encode(QString::fromUtf8(text));
        if (normalizeHtml)
            text = NormalizeHtml(text);
        s.gbk = text;
        s.status = text.trimmed().isEmpty() ? Status::Empty : Status::Ok;
        return s;
    }
    s.status = Status::NoMarker;
    return s;
}

UpgradeInfo ParseUpgradeText(QStringView text, const QDateTime &programTime)
{
    UpgradeInfo info;
    const QList<QStringView> lines = text.split(QLatin1Char('\n'));
    qsizetype i = 0;
    while (i < lines.size() && lines[i].trimmed() != kInfoHeader)
        ++i;
    if (i >= lines.size())
        return info;
    ++i;
    const QString urlMarker = QStringLiteral("[Upgrade URL]");
    while (i < lines.size() && !lines[i].contains(urlMarker))
        ++i;
    if (i >= lines.size())
        return info;
    info.downloadUrl = lines[i].trimmed().toString().remove(urlMarker).trimmed();
    ++i;
    int number = 0;
    const QString timeMarker = QStringLiteral("[datetime:");
    for (; i < lines.size(); ++i) {
        const QString line = lines[i].trimmed().toString();
        if (line.isEmpty())
            continue;
        if (line.contains(timeMarker)) {
            QString when = line;
            when.remove(timeMarker).remove(QLatin1Char(']'));
            const auto released = ParseDateTimeText(when);
            if (!released)
                continue; // an unreadable time says nothing
            if (programTime.isValid() && *released < programTime)
                break;
            info.newer = true;
            continue;
        }
        info.items += QStringLiteral("%1、%2\r\n").arg(++number).arg(line);
    }
    return info;
}

} // namespace VersionPage
