// The calendar page of the main panel: the month with today marked, and the
// chosen day's note and reminders. The schedule is the one the settings
// store keeps (core/Schedule.h): reminders under keys
// "%04d%02d%02d##%02d:%02d:%02d" and one note per day. The page's folder
// title counts today's reminders and tells whether today has a note.
#pragma once

#include <QDate>
#include <QMap>
#include <QString>
#include <QTimer>
#include <QWidget>

class QCalendarWidget;
class QLabel;

class CCalendarDlg : public QWidget
{
    Q_OBJECT
public:
    explicit CCalendarDlg(QWidget *parent = nullptr);

    // "日程安排提醒", with today's reminder count and whether there is a note
    // for today.
    static QString ScheduleTitle(const QMap<QString, QString> &reminders, const QDate &today, bool hasTodayNote);

    // Reads the reminders and notes of the settings file at storePath
    // (CConfig::StorePath()); returns the number of entries left out.
    int LoadSchedule(const QString &storePath);
    const QMap<QString, QString> &reminders() const { return m_reminders; }
    void SetReminders(const QMap<QString, QString> &reminders);
    // The notes by date key ("%04d%02d%02d").
    void SetNotes(const QMap<QString, QString> &notes);
    QString todayNote() const;
    // The title of the page's folder for today.
    QString folderTitle() const;
    QDate shownDate() const;
    // Chooses the day: its note and reminders are shown.
    void ShowDate(const QDate &date);
    // The text shown for the chosen day.
    QString dayText() const;

signals:
    // The schedule changed or a new day began: the folder title may differ.
    void titleChanged(const QString &title);

private:
    void refreshDay();
    void scheduleMidnight();

    QMap<QString, QString> m_reminders;
    QMap<QString, QString> m_notes;
    QCalendarWidget *m_calendar = nullptr;
    QLabel *m_today = nullptr;
    QLabel *m_day = nullptr;
    QTimer m_midnight;
};
