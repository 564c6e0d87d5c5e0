#include "ContactTestUtil.h"
#include "controls/SkinColor.h"
#include "mainwnd/CMessengerDlg.h"
#include "mainwnd/CSkinColorDlg.h"
#include "mainwnd/CTreeStyleDlg.h"
#include "mainwnd/ColorRefEdit.h"
#include "mainwnd/ContactListMenu.h"
#include "net/CNetManager.h"
#include "net/MessengerEngine.h"
#include "platform/ColorChooser.h"

#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <QToolButton>
#include <gtest/gtest.h>

using namespace ContactTest;

namespace {

// A click on a swatch of "自定义皮肤颜色" or "自定义树型控件风格" opens the
// chooser titled with the field; each colour pointed at is previewed at
// once, a cancelled chooser puts the field's colour back, and the dialog's
// own OK or cancel decides what stays.
TEST(ColorSwatch, PickedColoursArePreviewedAndKeptOrUndone)
{
    CConfig config(TestEnv::freshDir(QStringLiteral("swatch")) + QStringLiteral("/kwel.ini"));
    CNetManager net;
    MessengerEngine engine(config, net);
    CMessengerDlg page(engine);
    ScriptedColorChooser chooser;
    ColorChooserScope scope(chooser);
    const QColor dark(0x10, 0x20, 0x30), chosen(0x40, 0x50, 0x60);
    chooser.queue({ { dark, chosen }, true });
    chooser.queue({ { Qt::red }, false });
    chooser.queue({ { chosen }, true });
    QList<uint32_t> previewed;
    const auto handle = [](const std::function<void(QDialog *)> &act) {
        QTimer::singleShot(0, [act] { act(qobject_cast<QDialog *>(QApplication::activeModalWidget())); });
    };
    handle([&](QDialog *d) {
        auto *skin = qobject_cast<CSkinColorDlg *>(d);
        ASSERT_TRUE(skin);
        QObject::connect(skin->colorEdit(1), &ColorRefEdit::valueChanged,
            [&](uint32_t) { previewed << config.MainBarLeftTopColor; });
        skin->colorEdit(1)->swatch()->click();
        skin->colorEdit(0)->swatch()->click(); // red pointed at, then cancelled
        EXPECT_EQ(skin->colorEdit(0)->value(), config.MainBarFrameColor);
        d->findChild<QPushButton *>(QStringLiteral("1"))->click();
    });
    page.OnMenuCommand(ContactListMenu::CustomColor);
    EXPECT_EQ(chooser.titles(), (QStringList{ u("左上渐变颜色"), u("边框颜色") }));
    EXPECT_EQ(previewed, (QList<uint32_t>{ RefFromColor(dark), RefFromColor(chosen) }));
    EXPECT_EQ(config.MainBarLeftTopColor, RefFromColor(chosen));

    const uint32_t nickBefore = config.TreeNickClr;
    uint32_t nickPreviewed = nickBefore;
    handle([&](QDialog *d) {
        ASSERT_TRUE(qobject_cast<CTreeStyleDlg *>(d));
        d->findChildren<ColorRefEdit *>().at(5)->swatch()->click(); // "用户名颜色:"
        nickPreviewed = config.TreeNickClr;
        d->findChild<QPushButton *>(QStringLiteral("2"))->click();
    });
    page.OnMenuCommand(ContactListMenu::CustomTreeStyle);
    EXPECT_EQ(nickPreviewed, RefFromColor(chosen));
    EXPECT_EQ(config.TreeNickClr, nickBefore);

    // Without a chooser a click changes nothing and never blocks.
    ColorChooser::setCurrent(nullptr);
    ColorRefEdit edit(0x00FF00);
    edit.swatch()->click();
    EXPECT_EQ(edit.value(), 0x00FF00u);
    ColorChooser::setCurrent(&chooser);
}

} // namespace
