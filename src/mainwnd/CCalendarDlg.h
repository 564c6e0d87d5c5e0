// The calendar page of the main panel: the month with today marked, and the
// day's reminders and note. The schedule keeps reminders under keys
// "%04d%02d%02d##%02d:%02d:%02d" (date and time) and one note per day.
// The organizer fills the reminder map and the notes; until then the page
// shows the calendar alone.
#pragma once

#include <QDate>
#include <QMap>
#include <QString>
#include <QWidget>

class QCalendarWidget;
class QLabel;

class CCalendarDlg : public QWidget
{
    Q_OBJECT
public:
    explicit CCalendarDlg(QWidget *parent = nullptr);

    // The date part of a reminder key ("20240131").
    static QString DateKey(const QDate &date);
    // "日程安排提醒", with today's reminder count and whether there is a note
    // for today.
    static QString ScheduleTitle(const QMap<QString, QString> &reminders, const QDate &today, bool hasTodayNote);

    const QMap<QString, QString> &reminders() const { return m_reminders; }
    void SetReminders(const QMap<QString, QString> &reminders);
    void SetTodayNote(const QString &note);
    QString todayNote() const { return m_todayNote; }
    // The title of the page's folder for today.
    QString folderTitle() const;
    QDate shownDate() const;

signals:
    // The reminders or today's note changed: the folder title may differ.
    void titleChanged(const QString &title);

private:
    void refreshDay();

    QMap<QString, QString> m_reminders;
    QString m_todayNote;
    QCalendarWidget *m_calendar = nullptr;
    QLabel *m_today = nullptr;
    QLabel *m_day = nullptr;
};
