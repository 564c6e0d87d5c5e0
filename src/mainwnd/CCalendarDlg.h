// The calendar page of the main panel: the month with today marked, and the
// chosen day's note and reminders. The schedule is the one the settings
// store keeps (core/Schedule.h): reminders under keys
// "%04d%02d%02d##%02d:%02d:%02d" and one note per day. The page's folder
// title counts today's reminders and tells whether today has a note. When a
// reminder's time comes, the page's own notification popup shows it; today's
// note and reminders also have a window of their own.
#pragma once

#include "mainwnd/ReminderClock.h"

#include <QDate>
#include <QMap>
#include <memory>
#include <QString>
#include <QTimer>
#include <QWidget>

class CConfig;
class CMsgTipDlg;
class CTodayNoteDlg;
class QCalendarWidget;
class QLabel;

class CCalendarDlg : public QWidget
{
    Q_OBJECT
public:
    explicit CCalendarDlg(QWidget *parent = nullptr);
    ~CCalendarDlg() override;

    // The configuration gives the reminder popup its colours and opacity.
    void SetConfig(const CConfig *config) { m_config = config; }

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

    // Shows the reminders whose time came since the last check (the page's
    // timer checks every second).
    void CheckReminders(const QDateTime &now);
    // The page's own popup for reminders (none until the first one came).
    CMsgTipDlg *reminderPopup() const { return m_reminderTip.get(); }
    // Opens the window of today's note and reminders, made on first use.
    void ShowTodayNote();
    CTodayNoteDlg *todayNoteWindow() const { return m_todayNote; }

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
    const CConfig *m_config = nullptr;
    ReminderClock m_clock;
    QTimer m_reminderTimer;
    std::unique_ptr<CMsgTipDlg> m_reminderTip;
    CTodayNoteDlg *m_todayNote = nullptr;
};
