#include "net/ShareList.h"

#include "core/DateTimeText.h"
#include "core/Gbk.h"

namespace ShareList {

namespace {

const QString kEntrySep = QStringLiteral("||");
const QString kFieldSep = QStringLiteral("::");

// A decimal number of the range, without anything around it.
std::optional<qint64> parseDecimal(QStringView text, qint64 min, qint64 max)
{
    bool ok = false;
    const qint64 value = text.toLongLong(&ok);
    if (!ok || value < min || value > max)
        return std::nullopt;
    return value;
}

// Appends parts joined by the separator while the GBK bytes stay within limit.
template <typename Container, typename Format>
QString joinWithin(const Container &items, const QString &sep, qsizetype limit, Format format)
{
    QString out;
    qsizetype bytes = 0;
    for (const auto &item : items) {
        const QString part = QString(format(item));
        const qsizetype add = Gbk::byteLength(part) + (out.isEmpty() ? 0 : sep.size());
        if (bytes + add > limit)
            break;
        if (!out.isEmpty())
            out += sep;
        out += part;
        bytes += add;
    }
    return out;
}

} // namespace

std::vector<StoredShare> ParseStored(QStringView text)
{
    std::vector<StoredShare> out;
    for (QStringView entry : text.split(kEntrySep, Qt::SkipEmptyParts)) {
        const auto fields = entry.split(kFieldSep);
        if (fields.size() != 2)
            continue;
        const auto id = parseDecimal(fields[0].trimmed(), INT32_MIN, INT32_MAX);
        if (!id || fields[1].isEmpty())
            continue;
        out.push_back({ qint32(*id), fields[1].toString() });
    }
    return out;
}

QString BuildStored(const std::vector<StoredShare> &shares)
{
    return joinWithin(shares, kEntrySep, kTextBytes - 1,
        [](const StoredShare &s) -> QString { return QString::number(s.id) + kFieldSep + s.path; });
}

PathProblem CheckStorablePath(QStringView path)
{
    if (path.contains(kFieldSep) || path.contains(kEntrySep))
        return PathProblem::Separator;
    if (Gbk::decode(Gbk::encode(path)) != path)
        return PathProblem::NotGbk;
    return PathProblem::None;
}

std::vector<SharedEntry> ParseReceived(QStringView text)
{
    std::vector<SharedEntry> out;
    for (QStringView part : text.split(kEntrySep, Qt::SkipEmptyParts)) {
        const auto fields = part.split(kFieldSep);
        if (fields.size() != 5)
            continue;
        const auto id = parseDecimal(fields[0].trimmed(), INT32_MIN, INT32_MAX);
        const auto flag = parseDecimal(fields[2].trimmed(), INT32_MIN, INT32_MAX);
        const auto size = parseDecimal(fields[3].trimmed(), 0, INT64_MAX);
        const auto time = ParseDateTimeText(fields[4]);
        if (!id || !flag || !size || !time)
            continue;
        SharedEntry entry;
        entry.id = qint32(*id);
        entry.name = fields[1].left(kNameChars).trimmed().toString();
        entry.file = *flag != 0;
        entry.size = *size;
        entry.modified = *time;
        out.push_back(std::move(entry));
    }
    return out;
}

QString BuildReceived(const std::vector<SharedEntry> &entries)
{
    return joinWithin(entries, kEntrySep, kTextBytes - 1, [](const SharedEntry &e) -> QString {
        return QString::number(e.id) + kFieldSep + e.name + kFieldSep + QString::number(e.file ? 1 : 0) + kFieldSep
            + QString::number(e.size) + kFieldSep + e.modified.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
    });
}

QString RequestTime(const QDateTime &modified)
{
    return modified.toLocalTime().toString(QStringLiteral("HH:mm"));
}

RequestItem ItemFor(const SharedEntry &entry)
{
    return { entry.id, RequestTime(entry.modified) };
}

QByteArray BuildRequest(const QByteArray &password, const std::vector<RequestItem> &items)
{
    QByteArray out;
    if (!password.isEmpty())
        out = password + "||";
    bool first = true;
    for (const RequestItem &item : items) {
        const QByteArray part
            = (first ? QByteArray() : QByteArray(";")) + QByteArray::number(item.id) + '_' + Gbk::encode(item.time);
        if (out.size() + part.size() >= kTextBytes)
            break;
        out += part;
        first = false;
    }
    return out;
}

Request ParseRequest(QByteArrayView body)
{
    Request out;
    QByteArrayView items = body;
    if (const qsizetype sep = body.indexOf("||"); sep >= 0) {
        out.hasPassword = true;
        if (body.indexOf("||", sep + 2) >= 0) {
            out.wellFormed = false;
            return out;
        }
        out.password = body.first(sep).toByteArray();
        items = body.sliced(sep + 2);
    }
    for (const QByteArray &item : items.toByteArray().split(';')) {
        const QList<QByteArray> fields = item.split('_');
        if (fields.size() != 2)
            continue;
        const auto id = parseDecimal(QString::fromLatin1(fields[0]).trimmed(), INT32_MIN, INT32_MAX);
        if (!id)
            continue;
        out.items.push_back({ qint32(*id), Gbk::decode(fields[1]) });
    }
    return out;
}

} // namespace ShareList
