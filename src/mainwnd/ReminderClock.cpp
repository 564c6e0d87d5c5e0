#include "mainwnd/ReminderClock.h"

#include "core/Schedule.h"

QDateTime ReminderClock::KeyTime(const QString &key)
{
    const QDateTime time = QDateTime::fromString(key, QStringLiteral("yyyyMMdd'##'HH:mm:ss"));
    // Only the exact form: what fromString accepts loosely must print back the same.
    if (!time.isValid() || Schedule::ReminderKey(time.date(), time.time()) != key)
        return {};
    return time;
}

QList<ReminderClock::Due> ReminderClock::Check(const QMap<QString, QString> &reminders, const QDateTime &now)
{
    QList<Due> due;
    // A clock set back brings nothing until it passes the last check again.
    if (now <= m_last)
        return due;
    // The keys sort by time: start at the first second after the last check.
    const QDateTime from = m_last.addSecs(1);
    for (auto it = reminders.lowerBound(Schedule::ReminderKey(from.date(), from.time())); it != reminders.cend();
         ++it) {
        const QDateTime time = KeyTime(it.key());
        if (!time.isValid() || time <= m_last)
            continue;
        if (time > now || due.size() == kMaxAtOnce)
            break;
        due.append({ time, it.value() });
    }
    m_last = now;
    return due;
}
