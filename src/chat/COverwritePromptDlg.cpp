#include "chat/COverwritePromptDlg.h"
#include "controls/PlainLabel.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>

COverwritePromptDlg::COverwritePromptDlg(QWidget *parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("275"));
    setWindowTitle(QStringLiteral("提示"));

    auto *icon = PlainLabel(QString(), this);
    icon->setObjectName(QStringLiteral("1153"));
    icon->setPixmap(style()->standardIcon(QStyle::SP_MessageBoxQuestion).pixmap(32, 32));
    m_text = PlainLabel(QString(), this);
    m_text->setObjectName(QStringLiteral("1154"));
    m_text->setWordWrap(true);
    auto *top = new QHBoxLayout;
    top->addWidget(icon, 0, Qt::AlignTop);
    top->addWidget(m_text, 1);

    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    const struct
    {
        const char *id;
        QString label;
        OverwriteChoice result;
    } kButtons[] = {
        { "1", QStringLiteral("是"), OverwriteChoice::Yes },
        { "2", QStringLiteral("否"), OverwriteChoice::No },
        { "3", QStringLiteral("取消"), OverwriteChoice::Cancel },
        { "6", QStringLiteral("全部覆盖"), OverwriteChoice::OverwriteAll },
    };
    for (const auto &b : kButtons) {
        auto *button = new QPushButton(b.label, this);
        button->setObjectName(QLatin1String(b.id));
        button->setAutoDefault(false);
        const int result = int(b.result);
        connect(button, &QPushButton::clicked, this, [this, result] { done(result); });
        buttons->addWidget(button);
    }
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addLayout(buttons);
}

void COverwritePromptDlg::setText(const QString &text)
{
    m_text->setText(text);
}

QString COverwritePromptDlg::text() const
{
    return m_text->text();
}

void COverwritePromptDlg::reject()
{
    done(int(OverwriteChoice::No));
}

DialogReceivePrompts::DialogReceivePrompts(QWidget *owner)
    : PrompterReceivePrompts(owner)
{
}

OverwriteChoice DialogReceivePrompts::askOverwrite(const QString &text)
{
    COverwritePromptDlg dialog(qobject_cast<QWidget *>(m_owner));
    dialog.setText(text);
    return OverwriteChoice(dialog.exec());
}
