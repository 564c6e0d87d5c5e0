// Which stored reminders have come due: each check returns the reminders
// whose time lies after the previous check and not after now, so each one
// comes once while the program runs (those due while it did not run, or
// before the clock started, never come). After a jump of the clock (a
// suspended machine) the missed ones come together, at most kMaxAtOnce.
#pragma once

#include <QDateTime>
#include <QList>
#include <QMap>
#include <QString>

class ReminderClock
{
public:
    // How often the calendar page checks (its reminders have seconds).
    static constexpr int kCheckIntervalMs = 1000;
    // The most reminders one check returns.
    static constexpr int kMaxAtOnce = 20;

    struct Due
    {
        QDateTime time;
        QString text;
    };

    explicit ReminderClock(const QDateTime &start) : m_last(start) {}

    // reminders: by key "%04d%02d%02d##%02d:%02d:%02d" (keys that do not parse
    // are passed over). A clock set back brings nothing until it has passed
    // the last check again: no reminder comes twice.
    QList<Due> Check(const QMap<QString, QString> &reminders, const QDateTime &now);

    // The time a reminder key names; invalid when it names none.
    static QDateTime KeyTime(const QString &key);

private:
    QDateTime m_last;
};
