#include "core/Schedule.h"

#include "core/ConfigRecords.h"
#include "core/CRegistryKey.h"
#include "core/Gbk.h"

namespace Schedule {

namespace {

// The value of n decimal digits at pos, or -1 when they are not all digits.
int digits(QStringView text, qsizetype pos, qsizetype n)
{
    int value = 0;
    for (qsizetype i = pos; i < pos + n; ++i) {
        const char16_t c = text[i].unicode();
        if (c < u'0' || c > u'9')
            return -1;
        value = value * 10 + (c - u'0');
    }
    return value;
}

EntryStatus checkDate(QStringView key)
{
    const int year = digits(key, 0, 4), month = digits(key, 4, 2), day = digits(key, 6, 2);
    if (year < 0 || month < 0 || day < 0)
        return EntryStatus::BadKey;
    return year >= 1 && QDate::isValid(year, month, day) ? EntryStatus::Ok : EntryStatus::BadDate;
}

EntryStatus checkReminderKey(QStringView key)
{
    // YYYYMMDD##HH:MM:SS
    if (key.size() != 18 || key.mid(8, 2) != u"##" || key[12] != u':' || key[15] != u':')
        return EntryStatus::BadKey;
    const int hour = digits(key, 10, 2), minute = digits(key, 13, 2), second = digits(key, 16, 2);
    if (hour < 0 || minute < 0 || second < 0)
        return EntryStatus::BadKey;
    if (const EntryStatus date = checkDate(key.left(8)); date != EntryStatus::Ok)
        return date;
    return QTime::isValid(hour, minute, second) ? EntryStatus::Ok : EntryStatus::BadTime;
}

EntryStatus checkNoteKey(QStringView key)
{
    return key.size() == 8 ? checkDate(key) : EntryStatus::BadKey;
}

template <typename Check>
EntryStatus parse(const QString &entry, Entry &out, Check check, qsizetype textBytes)
{
    const QStringList fields = RecordText::split(entry);
    if (fields.size() < 2)
        return EntryStatus::TooFewFields;
    if (const EntryStatus status = check(fields[0]); status != EntryStatus::Ok)
        return status;
    out.key = fields[0];
    out.text = Gbk::truncate(fields[1], textBytes);
    return EntryStatus::Ok;
}

void readInto(QMap<QString, QString> &map, const QStringList &entries, int &skipped,
    EntryStatus (*parser)(const QString &, Entry &))
{
    for (const QString &text : entries) {
        Entry e;
        if (parser(text, e) != EntryStatus::Ok || map.contains(e.key))
            ++skipped;
        else
            map.insert(e.key, e.text);
    }
}

} // namespace

QString DateKey(const QDate &date)
{
    return QStringLiteral("%1%2%3")
        .arg(date.year(), 4, 10, QLatin1Char('0'))
        .arg(date.month(), 2, 10, QLatin1Char('0'))
        .arg(date.day(), 2, 10, QLatin1Char('0'));
}

QString ReminderKey(const QDate &date, const QTime &t)
{
    return DateKey(date)
           + QStringLiteral("##%1:%2:%3")
                 .arg(t.hour(), 2, 10, QLatin1Char('0'))
                 .arg(t.minute(), 2, 10, QLatin1Char('0'))
                 .arg(t.second(), 2, 10, QLatin1Char('0'));
}

EntryStatus ParseReminder(const QString &entry, Entry &out)
{
    return parse(entry, out, checkReminderKey, kReminderTextBytes);
}

EntryStatus ParseNote(const QString &entry, Entry &out)
{
    return parse(entry, out, checkNoteKey, kNoteTextBytes);
}

Data Read(const QStringList &noteEntries, const QStringList &reminderEntries)
{
    Data data;
    readInto(data.notes, noteEntries, data.skipped, ParseNote);
    readInto(data.reminders, reminderEntries, data.skipped, ParseReminder);
    return data;
}

Data Load(const QString &storePath)
{
    if (storePath.isEmpty())
        return {};
    const CRegistryKey key(QString(), QString(), storePath);
    return Read(key.ReadList(kNoteSection), key.ReadList(kReminderSection));
}

} // namespace Schedule
