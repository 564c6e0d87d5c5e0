#include "chat/CUserLogFilterDlg.h"

#include "platform/WindowTitleRoom.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace {

struct Box
{
    const char *id;
    const char *text;
    bool CUserLogFilterDlg::*member;
};

// The check boxes of "日志过滤条件", two to a row.
const Box kBoxes[] = {
    { "1086", "用户名相等", &CUserLogFilterDlg::m_userEqual },
    { "1087", "组 名相等", &CUserLogFilterDlg::m_groupEqual },
    { "1088", "主机名相等", &CUserLogFilterDlg::m_hostEqual },
    { "1089", "登录名相等", &CUserLogFilterDlg::m_loginEqual },
    { "1079", "IP地址相等", &CUserLogFilterDlg::m_addressEqual },
    { "1080", "MAC地址相等", &CUserLogFilterDlg::m_macEqual },
};

// The radio buttons of "日期过滤条件", by period.
const std::pair<const char *, const char *> kPeriods[] = {
    { "1162", "今天的聊天记录" },
    { "1163", "最近两天的聊天记录" },
    { "1166", "最近一个星期的记录" },
    { "1164", "最近一个月的记录" },
    { "1165", "所有时间的聊天记录" },
};

} // namespace

CUserLogFilterDlg::CUserLogFilterDlg(QWidget *parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("162"));
    setWindowTitle(QStringLiteral("设置过滤条件"));
    WindowTitleRoom::KeepTitleWhole(*this);

    auto *fields = new QGroupBox(QStringLiteral("日志过滤条件"), this);
    auto *fieldGrid = new QGridLayout(fields);
    for (size_t i = 0; i < m_boxes.size(); ++i) {
        auto *box = new QCheckBox(QString::fromUtf8(kBoxes[i].text), fields);
        box->setObjectName(QLatin1String(kBoxes[i].id));
        fieldGrid->addWidget(box, int(i / 2), int(i % 2));
        m_boxes[i] = box;
    }

    auto *dates = new QGroupBox(QStringLiteral("日期过滤条件"), this);
    auto *dateColumn = new QVBoxLayout(dates);
    m_periods = new QButtonGroup(this);
    for (int i = 0; i < int(std::size(kPeriods)); ++i) {
        auto *radio = new QRadioButton(QString::fromUtf8(kPeriods[i].second), dates);
        radio->setObjectName(QLatin1String(kPeriods[i].first));
        m_periods->addButton(radio, i);
        dateColumn->addWidget(radio);
    }

    auto *ok = new QPushButton(QStringLiteral("确定"), this);
    ok->setObjectName(QStringLiteral("1"));
    ok->setDefault(true);
    auto *cancel = new QPushButton(QStringLiteral("取消"), this);
    cancel->setObjectName(QStringLiteral("2"));
    connect(ok, &QPushButton::clicked, this, &CUserLogFilterDlg::accept);
    connect(cancel, &QPushButton::clicked, this, &CUserLogFilterDlg::reject);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(ok);
    buttons->addWidget(cancel);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(fields);
    layout->addWidget(dates);
    layout->addLayout(buttons);
    exchange(false);
}

void CUserLogFilterDlg::exchange(bool save)
{
    for (size_t i = 0; i < m_boxes.size(); ++i) {
        if (save)
            this->*kBoxes[i].member = m_boxes[i]->isChecked();
        else
            m_boxes[i]->setChecked(this->*kBoxes[i].member);
    }
    if (save) {
        m_period = qMax(0, m_periods->checkedId());
    } else if (QAbstractButton *radio = m_periods->button(m_period)) {
        radio->setChecked(true);
    } else {
        m_periods->button(Today)->setChecked(true);
    }
}

void CUserLogFilterDlg::showEvent(QShowEvent *event)
{
    exchange(false);
    QDialog::showEvent(event);
}

void CUserLogFilterDlg::accept()
{
    exchange(true);
    QDialog::accept();
}
