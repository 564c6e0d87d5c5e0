#include "core/ConfigRecords.h"
#include "core/Gbk.h"
#include "core/Schedule.h"

#include <gtest/gtest.h>

using Schedule::EntryStatus;

TEST(Schedule, ReminderEntriesAreCheckedFieldByField)
{
    Schedule::Entry e;
    ASSERT_EQ(Schedule::ParseReminder(QStringLiteral("20240229##23:59:59#~$#闰日 %23 #~$#later field"), e), EntryStatus::Ok);
    EXPECT_EQ(e.key, QStringLiteral("20240229##23:59:59"));
    EXPECT_EQ(e.text, QStringLiteral("闰日 # ")) << "escapes undone, later fields ignored";
    ASSERT_EQ(Schedule::ParseReminder(RecordText::join({ QStringLiteral("20240101##00:00:00"), QString() }), e),
        EntryStatus::Ok);
    EXPECT_TRUE(e.text.isEmpty());

    const std::pair<const char *, EntryStatus> bad[] = {
        { "20240101##08:00:00", EntryStatus::TooFewFields },
        { "20240101##8:00:00#~$#t", EntryStatus::BadKey },
        { "20240101 #08:00:00#~$#t", EntryStatus::BadKey },
        { "20240101##08:00:00 #~$#t", EntryStatus::BadKey },
        { "２0240101##08:00:00#~$#t", EntryStatus::BadKey },
        { "20230229##08:00:00#~$#t", EntryStatus::BadDate },
        { "00000101##08:00:00#~$#t", EntryStatus::BadDate },
        { "20240101##24:00:00#~$#t", EntryStatus::BadTime },
        { "20240101##23:60:00#~$#t", EntryStatus::BadTime },
    };
    for (const auto &[entry, status] : bad)
        EXPECT_EQ(Schedule::ParseReminder(QString::fromUtf8(entry), e), status) << entry;

    // Notes are keyed by the day alone.
    ASSERT_EQ(Schedule::ParseNote(QStringLiteral("20240131#~$#交周报"), e), EntryStatus::Ok);
    EXPECT_EQ(e.key, QStringLiteral("20240131"));
    EXPECT_EQ(Schedule::ParseNote(QStringLiteral("20240131##09:00:00#~$#x"), e), EntryStatus::BadKey);
    EXPECT_EQ(Schedule::ParseNote(QStringLiteral("20240132#~$#x"), e), EntryStatus::BadDate);
}

TEST(Schedule, LongTextsAreCutOnACharacterBoundary)
{
    Schedule::Entry e;
    const QString longText = QStringLiteral("a") + QString(2000, QChar(0x4E2D)); // 1 + 4000 GBK bytes
    ASSERT_EQ(Schedule::ParseReminder(RecordText::join({ QStringLiteral("20240101##08:00:00"), longText }), e),
        EntryStatus::Ok);
    EXPECT_LE(Gbk::byteLength(e.text), Schedule::kReminderTextBytes);
    EXPECT_EQ(Gbk::byteLength(e.text), Schedule::kReminderTextBytes - 1) << "never half a character";
    EXPECT_TRUE(longText.startsWith(e.text));
    ASSERT_EQ(Schedule::ParseNote(RecordText::join({ QStringLiteral("20240101"), longText }), e), EntryStatus::Ok);
    EXPECT_EQ(e.text, longText) << "a note may be longer";
}

TEST(Schedule, ReadKeepsTheFirstEntryOfAKeyAndCountsWhatIsLeftOut)
{
    const Schedule::Data data = Schedule::Read(
        { QStringLiteral("20240131#~$#a"), QStringLiteral("20240131#~$#b"), QStringLiteral("x") },
        { QStringLiteral("20240131##09:00:00#~$#例会"), QStringLiteral("20240131##09:00:00#~$#again"),
            QStringLiteral("20240131##10:00:00#~$#评审") });
    EXPECT_EQ(data.notes.value(QStringLiteral("20240131")), QStringLiteral("a"));
    EXPECT_EQ(data.reminders.size(), 2);
    EXPECT_EQ(data.reminders.value(QStringLiteral("20240131##09:00:00")), QStringLiteral("例会"));
    EXPECT_EQ(data.skipped, 3);

    EXPECT_TRUE(Schedule::Load(QString()).reminders.isEmpty());
}
