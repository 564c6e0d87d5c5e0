#include "PanelTestUtil.h"
#include "controls/CGfxOutBarCtrl.h"
#include "controls/OutBarLayout.h"
#include "mainwnd/CWebPaneDlg.h"

#include <QApplication>
#include <QMenu>
#include <QScreen>
#include <QTest>
#include <QTimer>

namespace {

// Opening the contact list's folder again gives the panel back the width the
// web pane's folder took, the edge that moved first, once; a width the user
// chose meanwhile stays. A right click on its button shows the "更多" menu.
TEST(WebPane, ContactFolderGivesTheWidthBackAndRightClickShowsTheMenu)
{
    Panel p(true, [](CConfig &c) { c.ShowBbsBar = 1; });
    p.panel->setWindowFlag(Qt::FramelessWindowHint);
    p.panel->InitPanel(false);
    CGfxOutBarCtrl *bar = p.panel->folderBar();
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    const auto roundTrip = [&](int x) {
        p.panel->resize(250, 500);
        p.panel->move(x, screen.top() + 20);
        const QRect before = p.panel->frameGeometry();
        bar->SetSelFolder(p.panel->webPaneFolder());
        EXPECT_EQ(p.panel->frameGeometry().width(), 316);
        bar->SetSelFolder(0);
        return p.panel->frameGeometry() == before;
    };
    EXPECT_TRUE(roundTrip(screen.left() + 20));
    EXPECT_TRUE(roundTrip(screen.right() - 260)) << "widened to the left, the left edge comes back";
    EXPECT_TRUE(p.panel->webPane()->widenedToLeft());
    p.panel->resize(300, 500);
    bar->SetSelFolder(2);
    bar->SetSelFolder(0);
    EXPECT_EQ(p.panel->frameGeometry().width(), 300) << "given back once";
    bar->SetSelFolder(p.panel->webPaneFolder());
    p.panel->resize(420, 500);
    bar->SetSelFolder(0);
    EXPECT_EQ(p.panel->frameGeometry().width(), 420);
    // Moved so far that the edge would leave the desktop, the other gives way.
    EXPECT_EQ(CWebPaneDlg::Restored(QRect(-200, 10, 316, 500), QRect(0, 0, 1024, 768), 250, false),
        QRect(-134, 10, 250, 500));

    QString first;
    QTimer::singleShot(0, [&first] {
        if (auto *menu = qobject_cast<QMenu *>(QApplication::activePopupWidget())) {
            first = menu->actions().value(0)->text();
            menu->close();
        }
    });
    QTest::mouseClick(bar, Qt::RightButton, {}, bar->currentLayout().buttons[0].center());
    EXPECT_EQ(first, QString::fromUtf8("增加其他网段好友"));
}

} // namespace
