// "今日安排与记事": today's note and reminders in a window of their own, opened
// from the tray menu. The texts are the user's stored schedule, shown as
// plain text.
#pragma once

#include <QDate>
#include <QDialog>
#include <QMap>
#include <QString>

class QLabel;
class QPlainTextEdit;

class CTodayNoteDlg : public QDialog
{
    Q_OBJECT
public:
    explicit CTodayNoteDlg(QWidget *parent = nullptr);

    // Shows the day's note and its reminders (by time).
    void ShowDay(const QDate &day, const QString &note, const QMap<QString, QString> &reminders);
    QString text() const;

    // The text of a day: its note, then its reminders "HH:MM:SS text".
    static QString DayText(const QDate &day, const QString &note, const QMap<QString, QString> &reminders);

private:
    QLabel *m_date = nullptr;
    QPlainTextEdit *m_text = nullptr;
};
