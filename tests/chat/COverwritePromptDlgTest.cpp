#include "chat/COverwritePromptDlg.h"

#include <QLabel>
#include <QPushButton>
#include <gtest/gtest.h>

TEST(COverwritePromptDlg, ButtonsGiveTheirResults)
{
    const std::pair<const char *, OverwriteChoice> buttons[] = {
        { "1", OverwriteChoice::Yes },
        { "2", OverwriteChoice::No },
        { "3", OverwriteChoice::Cancel },
        { "6", OverwriteChoice::OverwriteAll },
    };
    for (const auto &[id, choice] : buttons) {
        COverwritePromptDlg dialog;
        dialog.setText(QStringLiteral("文件: /a 已存在"));
        auto *button = dialog.findChild<QPushButton *>(QLatin1String(id));
        ASSERT_NE(button, nullptr) << id;
        button->click();
        EXPECT_EQ(dialog.result(), int(choice)) << id;
    }
    COverwritePromptDlg dialog;
    dialog.setText(QStringLiteral("q"));
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("提示"));
    EXPECT_EQ(dialog.findChild<QLabel *>(QStringLiteral("1154"))->text(), QStringLiteral("q"));
    dialog.reject(); // Esc and the close box
    EXPECT_EQ(dialog.result(), int(OverwriteChoice::No));
}

// The question names a file the peer chose: it shows as written.
TEST(COverwritePromptDlg, ShowsThePathAsWritten)
{
    COverwritePromptDlg dialog;
    const QString text = QStringLiteral("文件: /in/<img src=/dev/zero>&#47; 已存在");
    dialog.setText(text);
    auto *label = dialog.findChild<QLabel *>(QStringLiteral("1154"));
    EXPECT_EQ(label->textFormat(), Qt::PlainText);
    EXPECT_EQ(dialog.text(), text);
}
