#include "mainwnd/CTodayNoteDlg.h"

#include "core/Schedule.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QLocale>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

CTodayNoteDlg::CTodayNoteDlg(QWidget *parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("CTodayNoteDlg"));
    setWindowTitle(QStringLiteral("今日安排与记事"));
    auto *layout = new QVBoxLayout(this);
    m_date = new QLabel(this);
    m_date->setTextFormat(Qt::PlainText);
    layout->addWidget(m_date);
    m_text = new QPlainTextEdit(this);
    m_text->setReadOnly(true);
    layout->addWidget(m_text, 1);
    auto *buttons = new QDialogButtonBox(this);
    QPushButton *close = buttons->addButton(QStringLiteral("关闭"), QDialogButtonBox::RejectRole);
    close->setObjectName(QStringLiteral("2"));
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
    resize(320, 260);
}

QString CTodayNoteDlg::DayText(const QDate &day, const QString &note, const QMap<QString, QString> &reminders)
{
    QStringList lines;
    lines << (note.isEmpty() ? QStringLiteral("今日没有记事。") : QStringLiteral("记事: ") + note);
    const QString prefix = Schedule::DateKey(day) + QStringLiteral("##");
    // The keys sort by time within a day.
    for (auto it = reminders.lowerBound(prefix); it != reminders.cend() && it.key().startsWith(prefix); ++it)
        lines << QStringLiteral("提醒 ") + it.key().mid(prefix.size()) + QLatin1Char(' ') + it.value();
    return lines.join(QLatin1Char('\n'));
}

void CTodayNoteDlg::ShowDay(const QDate &day, const QString &note, const QMap<QString, QString> &reminders)
{
    m_date->setText(QStringLiteral("%1年%2月%3日 %4")
                        .arg(day.year())
                        .arg(day.month())
                        .arg(day.day())
                        .arg(QLocale(QLocale::Chinese, QLocale::China).dayName(day.dayOfWeek())));
    m_text->setPlainText(DayText(day, note, reminders));
}

QString CTodayNoteDlg::text() const
{
    return m_text->toPlainText();
}
