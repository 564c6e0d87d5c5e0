#include "mainwnd/CCalendarDlg.h"

#include <QCalendarWidget>
#include <QLabel>
#include <QLocale>
#include <QTextCharFormat>
#include <QVBoxLayout>

CCalendarDlg::CCalendarDlg(QWidget *parent)
    : QWidget(parent)
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
    m_calendar->setSelectedDate(QDate::currentDate());
    QTextCharFormat todayFormat;
    todayFormat.setFontWeight(QFont::Bold);
    todayFormat.setForeground(QColor(0xD0, 0x30, 0x30));
    m_calendar->setDateTextFormat(QDate::currentDate(), todayFormat);
    layout->addWidget(m_calendar);
    m_day = new QLabel(this);
    m_day->setWordWrap(true);
    m_day->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    layout->addWidget(m_day, 1);
    connect(m_calendar, &QCalendarWidget::selectionChanged, this, &CCalendarDlg::refreshDay);
    const QDate today = QDate::currentDate();
    m_today->setText(QStringLiteral("今天是 %1年%2月%3日 %4")
                         .arg(today.year())
                         .arg(today.month())
                         .arg(today.day())
                         .arg(QLocale(QLocale::Chinese, QLocale::China).dayName(today.dayOfWeek())));
    refreshDay();
}

QString CCalendarDlg::DateKey(const QDate &date)
{
    return date.toString(QStringLiteral("yyyyMMdd"));
}

QString CCalendarDlg::ScheduleTitle(const QMap<QString, QString> &reminders, const QDate &today, bool hasTodayNote)
{
    const QString key = DateKey(today);
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

void CCalendarDlg::SetReminders(const QMap<QString, QString> &reminders)
{
    m_reminders = reminders;
    refreshDay();
    emit titleChanged(folderTitle());
}

void CCalendarDlg::SetTodayNote(const QString &note)
{
    m_todayNote = note;
    refreshDay();
    emit titleChanged(folderTitle());
}

QString CCalendarDlg::folderTitle() const
{
    return ScheduleTitle(m_reminders, QDate::currentDate(), !m_todayNote.isEmpty());
}

QDate CCalendarDlg::shownDate() const
{
    return m_calendar->selectedDate();
}

void CCalendarDlg::refreshDay()
{
    const QDate date = m_calendar->selectedDate();
    const QString key = DateKey(date) + QStringLiteral("##");
    QStringList lines;
    for (auto it = m_reminders.cbegin(); it != m_reminders.cend(); ++it) {
        if (it.key().startsWith(key))
            lines << it.key().mid(key.size()) + QLatin1Char(' ') + it.value();
    }
    if (date == QDate::currentDate() && !m_todayNote.isEmpty())
        lines.prepend(QStringLiteral("记事: ") + m_todayNote);
    m_day->setText(lines.isEmpty() ? QStringLiteral("%1月%2日没有日程安排。").arg(date.month()).arg(date.day())
                                   : lines.join(QLatin1Char('\n')));
}
