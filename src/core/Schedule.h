// The user's schedule as the settings store keeps it: the reminders in the
// list section "CLOCK_STR" and the day notes in "PLAN_STR", one entry each,
// fields joined as the stored record texts join them (docs/calendar-reminders.md).
// The reading is defensive: entries come from files (the store, restored
// backups) and one that does not parse is left out.
#pragma once

#include <QDate>
#include <QTime>
#include <QMap>
#include <QString>
#include <QStringList>

namespace Schedule {

inline const QString kReminderSection = QStringLiteral("CLOCK_STR");
inline const QString kNoteSection = QStringLiteral("PLAN_STR");
// Text limits in GBK bytes; longer texts are cut on a character boundary.
inline constexpr qsizetype kReminderTextBytes = 1024;
inline constexpr qsizetype kNoteTextBytes = 4096;

enum class EntryStatus {
    Ok,
    TooFewFields, // no field after the key
    BadKey, // the key is not of the section's form
    BadDate, // digits that name no day
    BadTime, // digits that name no time of day
};

// "%04d%02d%02d", the date part of every key.
QString DateKey(const QDate &date);
// "%04d%02d%02d##%02d:%02d:%02d", the key of a reminder.
QString ReminderKey(const QDate &date, const QTime &time);

struct Entry
{
    QString key;
    QString text;
};

// A reminder entry: its key (a reminder key) and text; fields after the
// text are left for later versions and ignored.
EntryStatus ParseReminder(const QString &entry, Entry &out);
// A note entry: its key (a date key) and the note's text.
EntryStatus ParseNote(const QString &entry, Entry &out);

struct Data
{
    QMap<QString, QString> reminders; // by reminder key
    QMap<QString, QString> notes; // by date key
    int skipped = 0; // entries that did not parse, and repeated keys
};

// The schedule from the entries of the two sections. The first entry of a
// key counts; later ones are skipped.
Data Read(const QStringList &noteEntries, const QStringList &reminderEntries);
// The schedule of the settings file at storePath (CConfig::StorePath()).
Data Load(const QString &storePath);

} // namespace Schedule
