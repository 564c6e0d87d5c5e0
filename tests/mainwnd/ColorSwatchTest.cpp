#include "ContactTestUtil.h"
#include "controls/SkinColor.h"
#include "core/CConfig.h"
#include "mainwnd/CMessengerDlg.h"
#include "mainwnd/CSkinColorDlg.h"
#include "mainwnd/CTreeStyleDlg.h"
#include "mainwnd/ColorRefEdit.h"
#include "mainwnd/ContactListMenu.h"
#include "mainwnd/TreeStyleEditor.h"
#include "net/CNetManager.h"
#include "net/MessengerEngine.h"
#include "platform/ColorChooser.h"

#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <QToolButton>
#include <functional>
#include <gtest/gtest.h>

using namespace ContactTest;

namespace {

struct Look
{
    Look()
        : config(TestEnv::freshDir(QStringLiteral("swatch")) + QStringLiteral("/kwel.ini"))
        , engine(config, net)
        , page(engine)
    {
    }
    // Runs the command; its modal dialog of type T gets handled.
    template <typename T> bool run(int command, const std::function<void(T *)> &handle)
    {
        bool seen = false;
        QTimer::singleShot(0, [&] {
            if (auto *dialog = qobject_cast<T *>(QApplication::activeModalWidget())) {
                seen = true;
                handle(dialog);
            }
        });
        page.OnMenuCommand(command);
        return seen;
    }
    CConfig config;
    CNetManager net;
    MessengerEngine engine;
    CMessengerDlg page;
    ScriptedColorChooser chooser;
};

void finish(QDialog *dialog, const char *button)
{
    dialog->findChild<QPushButton *>(QString::fromLatin1(button))->click();
}

// "自定义皮肤颜色": a click on a swatch opens the chooser with the field's
// colour; each colour pointed at is previewed on the panel at once, the
// chosen one is kept on OK, and cancelling the chooser puts the field's
// colour back.
TEST(ColorSwatch, SkinColoursArePickedAndPreviewed)
{
    Look l;
    ColorChooserScope scope(l.chooser);
    const uint32_t leftTopBefore = l.config.MainBarLeftTopColor;
    QList<uint32_t> previewed;
    l.chooser.queue({ { QColor(0x10, 0x20, 0x30), QColor(0x40, 0x50, 0x60) }, true });
    l.chooser.queue({ { QColor(0xFF, 0, 0) }, false });
    EXPECT_TRUE(l.run<CSkinColorDlg>(ContactListMenu::CustomColor, [&](CSkinColorDlg *d) {
        ColorRefEdit *leftTop = d->colorEdit(1);
        QObject::connect(leftTop, &ColorRefEdit::valueChanged, [&](uint32_t) { previewed << l.config.MainBarLeftTopColor; });
        leftTop->swatch()->click();
        EXPECT_EQ(leftTop->textEdit()->text(), QStringLiteral("#405060"));
        d->colorEdit(0)->swatch()->click(); // pointed at red, then cancelled
        EXPECT_EQ(d->colorEdit(0)->value(), l.config.MainBarFrameColor);
        finish(d, "1");
    }));
    ASSERT_EQ(l.chooser.asked().size(), 2);
    EXPECT_EQ(l.chooser.titles(), (QStringList{ QString::fromUtf8("左上渐变颜色"), QString::fromUtf8("边框颜色") }));
    EXPECT_EQ(RefFromColor(l.chooser.asked()[0]), leftTopBefore);
    EXPECT_EQ(previewed, (QList<uint32_t>{ RefFromColor(QColor(0x10, 0x20, 0x30)), RefFromColor(QColor(0x40, 0x50, 0x60)) }))
        << "each colour pointed at reaches the panel while the dialog is open";
    EXPECT_EQ(l.config.MainBarLeftTopColor, RefFromColor(QColor(0x40, 0x50, 0x60)));
    EXPECT_EQ(l.config.ChatBkColor1, l.config.MainBarLeftTopColor);
}

// "自定义树型控件风格": the same swatches; cancelling the dialog after a
// picked colour puts the tree's colours back.
TEST(ColorSwatch, TreeStyleColoursArePickedAndUndoneByCancel)
{
    Look l;
    ColorChooserScope scope(l.chooser);
    l.config.MembersShowMode = 1;
    const uint32_t before = l.config.TreeNickClr;
    uint32_t duringPreview = before;
    l.chooser.queue({ { QColor(0x12, 0x34, 0x56) }, true });
    EXPECT_TRUE(l.run<CTreeStyleDlg>(ContactListMenu::CustomTreeStyle, [&](CTreeStyleDlg *d) {
        const QList<ColorRefEdit *> edits = d->findChildren<ColorRefEdit *>();
        ASSERT_EQ(edits.size(), 13);
        edits[5]->swatch()->click(); // "用户名颜色:"
        duringPreview = l.config.TreeNickClr;
        finish(d, "2");
    }));
    EXPECT_EQ(duringPreview, RefFromColor(QColor(0x12, 0x34, 0x56)));
    EXPECT_EQ(l.config.TreeNickClr, before);
    // Without a chooser installed a click changes nothing and never blocks.
    ColorChooser::setCurrent(nullptr);
    ColorRefEdit edit(0x00FF00);
    edit.swatch()->click();
    EXPECT_EQ(edit.value(), 0x00FF00u);
    ColorChooser::setCurrent(&l.chooser);
}

} // namespace
