#include "core/ConfigRecords.h"

#include "core/Gbk.h"

namespace RecordText {

QString escapeField(const QString &field)
{
    QString out;
    out.reserve(field.size());
    for (QChar c : field) {
        if (c == QLatin1Char('%'))
            out += QLatin1String("%25");
        else if (c == QLatin1Char('#'))
            out += QLatin1String("%23");
        else
            out += c;
    }
    return out;
}

QString unescapeField(const QString &field)
{
    QString out;
    out.reserve(field.size());
    for (qsizetype i = 0; i < field.size(); ++i) {
        if (field[i] == QLatin1Char('%') && i + 2 < field.size()) {
            const QStringView code = QStringView(field).mid(i + 1, 2);
            if (code == QLatin1String("25")) {
                out += QLatin1Char('%');
                i += 2;
                continue;
            }
            if (code == QLatin1String("23")) {
                out += QLatin1Char('#');
                i += 2;
                continue;
            }
        }
        out += field[i];
    }
    return out;
}

QString join(const QStringList &fields)
{
    QStringList escaped;
    escaped.reserve(fields.size());
    for (const QString &f : fields)
        escaped.append(escapeField(f));
    return escaped.join(Separator);
}

QStringList split(const QString &text)
{
    QStringList fields = text.split(Separator);
    for (QString &f : fields)
        f = unescapeField(f);
    return fields;
}

} // namespace RecordText

const std::array<uint32_t UserGroupRecord::*, UserGroupRecord::NumberCount> UserGroupRecord::Numbers = {
    &UserGroupRecord::collapsed,
    &UserGroupRecord::secondFlag,
    &UserGroupRecord::memberCount,
    &UserGroupRecord::sortWord,
    &UserGroupRecord::assistCustom,
    &UserGroupRecord::assistAllowed,
    &UserGroupRecord::voiceCustom,
    &UserGroupRecord::voiceAllowed,
    &UserGroupRecord::groupInviteCustom,
    &UserGroupRecord::groupInviteAllowed,
    &UserGroupRecord::pictureCustom,
    &UserGroupRecord::picturesAllowed,
    &UserGroupRecord::sharesWithoutPassword,
    &UserGroupRecord::groupBlacklisted,
    &UserGroupRecord::onlineNoticeCustom,
    &UserGroupRecord::onlineNotice,
    &UserGroupRecord::shakeCustom,
    &UserGroupRecord::shakeAllowed,
    &UserGroupRecord::reservedWord,
    &UserGroupRecord::visibleWhenHidden,
    &UserGroupRecord::offlineNoticeCustom,
    &UserGroupRecord::offlineNotice,
    &UserGroupRecord::tipOnlyCustom,
    &UserGroupRecord::tipOnly,
    &UserGroupRecord::filePopupCustom,
    &UserGroupRecord::filePopup,
    &UserGroupRecord::spamCustom,
    &UserGroupRecord::blockSpam,
    &UserGroupRecord::soundCustom,
    &UserGroupRecord::sound,
};

namespace {

std::optional<uint32_t> toU32(const QString &s)
{
    bool ok = false;
    const qulonglong v = s.toULongLong(&ok);
    if (!ok || v > 0xFFFFFFFFull)
        return std::nullopt;
    return static_cast<uint32_t>(v);
}

std::optional<int32_t> toI32(const QString &s)
{
    bool ok = false;
    const int v = s.toInt(&ok);
    return ok ? std::optional<int32_t>(v) : std::nullopt;
}

// A path that does not fit its field is no path at all: cutting it would name
// another file.
QString fitPath(const QString &path, int fieldBytes)
{
    return Gbk::byteLength(path) < fieldBytes ? path : QString();
}

} // namespace

QString UserGroupRecord::toText() const
{
    QStringList fields;
    fields.reserve(FieldCount);
    fields.append(Gbk::truncate(name, NameBytes - 1));
    for (const auto field : Numbers)
        fields.append(QString::number(this->*field));
    fields.append(fitPath(soundFile, SoundFileBytes));
    return RecordText::join(fields);
}

std::optional<UserGroupRecord> UserGroupRecord::fromText(const QString &text)
{
    const QStringList fields = RecordText::split(text);
    UserGroupRecord r = InitUserGroupRecord(Gbk::truncate(fields.value(0).trimmed(), NameBytes - 1));
    if (r.name.isEmpty())
        return std::nullopt;
    for (int i = 0; i < NumberCount && i + 1 < fields.size(); ++i) {
        if (const auto v = toU32(fields[i + 1]))
            r.*Numbers[static_cast<size_t>(i)] = *v;
    }
    if (fields.size() > NumberCount + 1)
        r.soundFile = fitPath(fields[NumberCount + 1], SoundFileBytes);
    return r;
}

QString SpamRuleRecord::toText() const
{
    return RecordText::join(
        { Gbk::truncate(keyword, KeywordBytes - 1), QString::number(scope), QString::number(matchMode),
            QString::number(fileCondition), QString::number(action), Gbk::truncate(replyText, ReplyBytes - 1) });
}

std::optional<SpamRuleRecord> SpamRuleRecord::fromText(const QString &text)
{
    const QStringList f = RecordText::split(text);
    if (f.size() < 6)
        return std::nullopt;
    const auto scope = toI32(f[1]), match = toI32(f[2]), files = toI32(f[3]), action = toI32(f[4]);
    if (!scope || !match || !files || !action)
        return std::nullopt;
    SpamRuleRecord r;
    r.keyword = Gbk::truncate(f[0], KeywordBytes - 1);
    r.scope = *scope;
    r.matchMode = *match;
    r.fileCondition = *files;
    r.action = *action;
    r.replyText = Gbk::truncate(f[5], ReplyBytes - 1);
    return r;
}
