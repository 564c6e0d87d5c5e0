#include "chat/CUserLogFilterDlg.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>
#include <gtest/gtest.h>

namespace {

QCheckBox *box(const QDialog &d, const char *id)
{
    return d.findChild<QCheckBox *>(QLatin1String(id));
}

QRadioButton *radio(const QDialog &d, const char *id)
{
    return d.findChild<QRadioButton *>(QLatin1String(id));
}

} // namespace

TEST(CUserLogFilterDlg, OpensWithOnlyTheMacCheckedAndToday)
{
    CUserLogFilterDlg dialog;
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("设置过滤条件"));
    QStringList groups;
    for (const QGroupBox *g : dialog.findChildren<QGroupBox *>())
        groups << g->title();
    EXPECT_EQ(groups, QStringList({ QStringLiteral("日志过滤条件"), QStringLiteral("日期过滤条件") }));
    const std::pair<const char *, const char *> boxes[] = { { "1087", "组 名相等" }, { "1088", "主机名相等" },
        { "1079", "IP地址相等" }, { "1089", "登录名相等" }, { "1086", "用户名相等" }, { "1080", "MAC地址相等" } };
    for (const auto &[id, text] : boxes) {
        ASSERT_NE(box(dialog, id), nullptr) << id;
        EXPECT_EQ(box(dialog, id)->text(), QString::fromUtf8(text));
        EXPECT_EQ(box(dialog, id)->isChecked(), QLatin1String(id) == QLatin1String("1080")) << id;
    }
    const std::pair<const char *, const char *> periods[] = { { "1162", "今天的聊天记录" },
        { "1163", "最近两天的聊天记录" }, { "1166", "最近一个星期的记录" }, { "1164", "最近一个月的记录" },
        { "1165", "所有时间的聊天记录" } };
    for (const auto &[id, text] : periods) {
        ASSERT_NE(radio(dialog, id), nullptr) << id;
        EXPECT_EQ(radio(dialog, id)->text(), QString::fromUtf8(text));
    }
    EXPECT_TRUE(radio(dialog, "1162")->isChecked());
    EXPECT_EQ(dialog.findChild<QPushButton *>(QStringLiteral("1"))->text(), QStringLiteral("确定"));
    EXPECT_EQ(dialog.findChild<QPushButton *>(QStringLiteral("2"))->text(), QStringLiteral("取消"));
}

TEST(CUserLogFilterDlg, MembersTakeTheControlsOnOkOnly)
{
    CUserLogFilterDlg dialog;
    // Run modally as the chat window does; the user changes the controls.
    QTimer::singleShot(0, &dialog, [&] {
        box(dialog, "1088")->click();
        box(dialog, "1080")->click();
        radio(dialog, "1166")->click();
        dialog.findChild<QPushButton *>(QStringLiteral("2"))->click();
    });
    EXPECT_EQ(dialog.exec(), QDialog::Rejected);
    EXPECT_FALSE(dialog.m_hostEqual) << "cancel keeps the members";
    EXPECT_TRUE(dialog.m_macEqual);
    EXPECT_EQ(dialog.m_period, CUserLogFilterDlg::Today);

    // Shown again, the controls show the members, not the cancelled choice.
    QTimer::singleShot(0, &dialog, [&] {
        EXPECT_FALSE(box(dialog, "1088")->isChecked());
        EXPECT_TRUE(radio(dialog, "1162")->isChecked());
        box(dialog, "1088")->click();
        box(dialog, "1079")->click();
        box(dialog, "1080")->click();
        radio(dialog, "1166")->click();
        dialog.findChild<QPushButton *>(QStringLiteral("1"))->click();
    });
    EXPECT_EQ(dialog.exec(), QDialog::Accepted);
    EXPECT_TRUE(dialog.m_hostEqual);
    EXPECT_TRUE(dialog.m_addressEqual);
    EXPECT_FALSE(dialog.m_macEqual);
    EXPECT_FALSE(dialog.m_groupEqual);
    EXPECT_EQ(dialog.m_period, CUserLogFilterDlg::Week);

    // Members set by the opener are shown.
    CUserLogFilterDlg preset;
    preset.m_period = CUserLogFilterDlg::AllTime;
    preset.m_userEqual = true;
    QTimer::singleShot(0, &preset, [&] {
        EXPECT_TRUE(radio(preset, "1165")->isChecked());
        EXPECT_TRUE(box(preset, "1086")->isChecked());
        preset.accept();
    });
    preset.exec();
    EXPECT_EQ(preset.m_period, CUserLogFilterDlg::AllTime);
}
