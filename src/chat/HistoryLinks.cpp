#include "chat/HistoryLinks.h"

#include <QRegularExpression>

namespace {

const QRegularExpression &linkPattern()
{
    static const QRegularExpression pattern(
        QStringLiteral(R"((?:https?://|ftp://|mailto:|www\.)[A-Za-z0-9\-._~:/?#\[\]@!$&()*+,;=%]+|#IP:\d{1,3}(?:\.\d{1,3}){3}|#MAC:[0-9A-Za-z]+)"),
        QRegularExpression::CaseInsensitiveOption);
    return pattern;
}

const QRegularExpression &peerTagPattern()
{
    static const QRegularExpression pattern(QStringLiteral(R"(^(?:#IP:\d{1,3}(?:\.\d{1,3}){3}|#MAC:[0-9A-Za-z]+)$)"));
    return pattern;
}

// A sentence mark right behind an address belongs to the sentence.
qsizetype trimTrailing(QStringView link)
{
    qsizetype n = link.size();
    while (n > 0 && QStringView(u".,;:!?)]}。，；：！？）").contains(link[n - 1]))
        --n;
    return n;
}

} // namespace

QList<TextRun> SplitLinks(QStringView text)
{
    QList<TextRun> runs;
    qsizetype done = 0;
    auto it = linkPattern().globalMatch(text);
    while (it.hasNext()) {
        const QRegularExpressionMatch m = it.next();
        const qsizetype start = m.capturedStart();
        const qsizetype length = trimTrailing(m.capturedView());
        const QStringView link = text.mid(start, length);
        if (!IsPeerLinkTag(link) && !IsOpenableLink(LinkTarget(link.toString())))
            continue;
        if (start > done)
            runs.append({text.mid(done, start - done).toString(), QString()});
        runs.append({link.toString(), link.toString()});
        done = start + length;
    }
    if (done < text.size())
        runs.append({text.mid(done).toString(), QString()});
    return runs;
}

QUrl LinkTarget(const QString &href)
{
    QString address = href;
    if (address.startsWith(QLatin1String("www."), Qt::CaseInsensitive))
        address.prepend(QLatin1String("http://"));
    return QUrl(address, QUrl::StrictMode);
}

bool IsOpenableLink(const QUrl &url)
{
    if (!url.isValid())
        return false;
    const QString scheme = url.scheme().toLower();
    if (scheme == QLatin1String("mailto"))
        return !url.path().isEmpty();
    return (scheme == QLatin1String("http") || scheme == QLatin1String("https") || scheme == QLatin1String("ftp"))
        && !url.host().isEmpty();
}

bool IsPeerLinkTag(QStringView text)
{
    return peerTagPattern().match(text.toString()).hasMatch();
}
