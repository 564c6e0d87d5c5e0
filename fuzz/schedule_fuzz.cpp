// Reads arbitrary bytes as the entries of the schedule's two list sections
// (one entry per line, UTF-8 as the settings file holds them). Whatever is
// taken has a key of its section's form and a text within the limits.
#include "core/Gbk.h"
#include "core/Schedule.h"

#include "FuzzCheck.h"

#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString text = QString::fromUtf8(reinterpret_cast<const char *>(data), qsizetype(size));
    const QStringList lines = text.split(QLatin1Char('\n'));
    // The first half of the lines are notes, the rest reminders.
    const qsizetype half = lines.size() / 2;
    const Schedule::Data d = Schedule::Read(lines.mid(0, half), lines.mid(half));
    check(d.reminders.size() + d.notes.size() + d.skipped == lines.size());
    for (auto it = d.reminders.cbegin(); it != d.reminders.cend(); ++it) {
        check(it.key().size() == 18 && it.key().mid(8, 2) == QLatin1String("##"));
        const QDate day = QDate::fromString(it.key().left(8), QStringLiteral("yyyyMMdd"));
        const QTime time = QTime::fromString(it.key().mid(10), QStringLiteral("HH:mm:ss"));
        check(day.isValid() && time.isValid());
        check(Schedule::ReminderKey(day, time) == it.key());
        check(Gbk::byteLength(it.value()) <= Schedule::kReminderTextBytes);
    }
    for (auto it = d.notes.cbegin(); it != d.notes.cend(); ++it) {
        check(Schedule::DateKey(QDate::fromString(it.key(), QStringLiteral("yyyyMMdd"))) == it.key());
        check(Gbk::byteLength(it.value()) <= Schedule::kNoteTextBytes);
    }
    return 0;
}
