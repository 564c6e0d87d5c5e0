#include "chat/CUserLogFilterDlg.h"

#include <QCheckBox>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>
#include <gtest/gtest.h>

namespace {

QAbstractButton *button(const QDialog &d, const char *id)
{
    return d.findChild<QAbstractButton *>(QLatin1String(id));
}

} // namespace

TEST(CUserLogFilterDlg, OpensWithTheDefaultsAndTakesTheControlsOnOkOnly)
{
    CUserLogFilterDlg dialog;
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("设置过滤条件"));
    for (const char *id : { "1087", "1088", "1079", "1089", "1086", "1080" }) {
        ASSERT_TRUE(qobject_cast<QCheckBox *>(button(dialog, id))) << id;
        EXPECT_EQ(button(dialog, id)->isChecked(), QLatin1String(id) == QLatin1String("1080")) << id;
    }
    for (const char *id : { "1162", "1163", "1166", "1164", "1165" })
        ASSERT_TRUE(qobject_cast<QRadioButton *>(button(dialog, id))) << id;
    EXPECT_TRUE(button(dialog, "1162")->isChecked());

    // Run modally as the chat window does; cancel keeps the members.
    QTimer::singleShot(0, &dialog, [&] {
        button(dialog, "1088")->click();
        button(dialog, "1166")->click();
        button(dialog, "2")->click();
    });
    EXPECT_EQ(dialog.exec(), QDialog::Rejected);
    EXPECT_FALSE(dialog.m_hostEqual);
    EXPECT_EQ(dialog.m_period, CUserLogFilterDlg::Today);

    // Shown again, the controls show the members, not the cancelled choice.
    QTimer::singleShot(0, &dialog, [&] {
        EXPECT_FALSE(button(dialog, "1088")->isChecked());
        EXPECT_TRUE(button(dialog, "1162")->isChecked());
        button(dialog, "1088")->click();
        button(dialog, "1080")->click();
        button(dialog, "1166")->click();
        button(dialog, "1")->click();
    });
    EXPECT_EQ(dialog.exec(), QDialog::Accepted);
    EXPECT_TRUE(dialog.m_hostEqual);
    EXPECT_FALSE(dialog.m_macEqual);
    EXPECT_FALSE(dialog.m_groupEqual);
    EXPECT_EQ(dialog.m_period, CUserLogFilterDlg::Week);
}
