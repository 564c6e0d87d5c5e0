#include "mainwnd/CCalendarDlg.h"

#include "core/Schedule.h"
#include "mainwnd/CMsgTipDlg.h"
#include "mainwnd/CTodayNoteDlg.h"

#include <QCalendarWidget>
#include <QDateTime>
#include <QLabel>
#include <QLocale>
#include <QTextCharFormat>
#include <QVBoxLayout>
#include <algorithm>

CCalendarDlg::CCalendarDlg(QWidget *parent)
    : QWidget(parent)
    , m_clock(QDateTime::currentDateTime())
{
    setObjectName(QStringLiteral("255"));
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 4);
    m_today = new QLabel(this);
    m_today->setAlignment(Qt::AlignCenter);
    layout->addWidget(m_today);
    m_calendar = new QCalendarWidget(this);
    m_calendar->setLocale(QLocale(QLocale::Chinese, QLocale::China));
    m_calendar->setGridVisible(false);
    m_calendar->setVerticalHeaderFormat(QCalendarWidget::NoVerticalHeader);
    m_calendar->setHorizontalHeaderFormat(QCalendarWidget::ShortDayNames);
    layout->addWidget(m_calendar);
    m_day = new QLabel(this);
    m_day->setWordWrap(true);
    m_day->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    m_day->setTextFormat(Qt::PlainText);
    layout->addWidget(m_day, 1);
    connect(m_calendar, &QCalendarWidget::selectionChanged, this, &CCalendarDlg::refreshDay);
    m_midnight.setSingleShot(true);
    connect(&m_midnight, &QTimer::timeout, this, [this] {
        scheduleMidnight();
        emit titleChanged(folderTitle());
    });
    scheduleMidnight();
    connect(&m_reminderTimer, &QTimer::timeout, this, [this] { CheckReminders(QDateTime::currentDateTime()); });
    m_reminderTimer.start(ReminderClock::kCheckIntervalMs);
}

CCalendarDlg::~CCalendarDlg() = default;

void CCalendarDlg::CheckReminders(const QDateTime &now)
{
    const QList<ReminderClock::Due> due = m_clock.Check(m_reminders, now);
    if (due.isEmpty())
        return;
    if (!m_reminderTip)
        m_reminderTip = std::make_unique<CMsgTipDlg>(m_config);
    for (const ReminderClock::Due &reminder : due) {
        TipNotice notice;
        notice.icon = -1; // the program's icon
        notice.title = QStringLiteral("日程安排提醒");
        notice.text = reminder.time.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")) + QLatin1Char('\n') + reminder.text;
        m_reminderTip->AddNotice(notice, true);
    }
}

void CCalendarDlg::ShowTodayNote()
{
    if (!m_todayNote)
        m_todayNote = new CTodayNoteDlg(window());
    const QDate today = QDate::currentDate();
    m_todayNote->ShowDay(today, m_notes.value(Schedule::DateKey(today)), m_reminders);
    m_todayNote->show();
    m_todayNote->raise();
    m_todayNote->activateWindow();
}

void CCalendarDlg::scheduleMidnight()
{
    const QDate today = QDate::currentDate();
    QTextCharFormat plain;
    m_calendar->setDateTextFormat(today.addDays(-1), plain);
    QTextCharFormat todayFormat;
    todayFormat.setFontWeight(QFont::Bold);
    todayFormat.setForeground(QColor(0xD0, 0x30, 0x30));
    m_calendar->setDateTextFormat(today, todayFormat);
    m_calendar->setSelectedDate(today);
    m_today->setText(QStringLiteral("今天是 %1年%2月%3日 %4")
                         .arg(today.year())
                         .arg(today.month())
                         .arg(today.day())
                         .arg(QLocale(QLocale::Chinese, QLocale::China).dayName(today.dayOfWeek())));
    // A second after midnight, so that the new day has begun.
    const qint64 ms = QDateTime::currentDateTime().msecsTo(QDateTime(today.addDays(1), QTime(0, 0, 1)));
    m_midnight.start(int(std::clamp<qint64>(ms, 1000, 86'401'000)));
    refreshDay();
}

QString CCalendarDlg::ScheduleTitle(const QMap<QString, QString> &reminders, const QDate &today, bool hasTodayNote)
{
    const QString key = Schedule::DateKey(today);
    int count = 0;
    for (auto it = reminders.cbegin(); it != reminders.cend(); ++it) {
        const qsizetype mark = it.key().indexOf(QLatin1String("##"));
        if (mark >= 0 && QStringView(it.key()).left(mark) == key)
            ++count;
    }
    QString title = QStringLiteral("日程安排提醒");
    if (hasTodayNote) {
        if (count == 0)
            title += QStringLiteral("-[今日记事]");
        else
            title += QStringLiteral("-[记事] [%1提醒]").arg(count);
    } else if (count > 0) {
        title += QStringLiteral(" - [今日%1条提醒]").arg(count);
    }
    return title;
}

int CCalendarDlg::LoadSchedule(const QString &storePath)
{
    const Schedule::Data data = Schedule::Load(storePath);
    m_reminders = data.reminders;
    m_notes = data.notes;
    refreshDay();
    emit titleChanged(folderTitle());
    return data.skipped;
}

void CCalendarDlg::SetReminders(const QMap<QString, QString> &reminders)
{
    m_reminders = reminders;
    refreshDay();
    emit titleChanged(folderTitle());
}

void CCalendarDlg::SetNotes(const QMap<QString, QString> &notes)
{
    m_notes = notes;
    refreshDay();
    emit titleChanged(folderTitle());
}

QString CCalendarDlg::todayNote() const
{
    return m_notes.value(Schedule::DateKey(QDate::currentDate()));
}

QString CCalendarDlg::folderTitle() const
{
    return ScheduleTitle(m_reminders, QDate::currentDate(), !todayNote().isEmpty());
}

QDate CCalendarDlg::shownDate() const
{
    return m_calendar->selectedDate();
}

QString CCalendarDlg::dayText() const
{
    return m_day->text();
}

void CCalendarDlg::ShowDate(const QDate &date)
{
    m_calendar->setSelectedDate(date);
    refreshDay();
}

void CCalendarDlg::refreshDay()
{
    const QDate date = m_calendar->selectedDate();
    const QString key = Schedule::DateKey(date) + QStringLiteral("##");
    QStringList lines;
    const QString note = m_notes.value(Schedule::DateKey(date));
    if (!note.isEmpty())
        lines << QStringLiteral("记事: ") + note;
    // The keys sort by time within a day.
    for (auto it = m_reminders.lowerBound(key); it != m_reminders.cend() && it.key().startsWith(key); ++it)
        lines << it.key().mid(key.size()) + QLatin1Char(' ') + it.value();
    m_day->setText(lines.isEmpty() ? QStringLiteral("%1月%2日没有日程安排。").arg(date.month()).arg(date.day())
                                   : lines.join(QLatin1Char('\n')));
}
