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

QString u(const char *s) { return QString::fromUtf8(s); }

// The frame rectangles the contact list's folder gives back after the web
// pane's folder widened the panel.
TEST(WebPane, RestoredGivesBackTheEdgeThatMoved)
{
    const QRect desktop(0, 0, 1024, 768);
    // Widened to the right: the right edge goes back.
    EXPECT_EQ(CWebPaneDlg::Restored(QRect(100, 10, 316, 500), desktop, 250, false), QRect(100, 10, 250, 500));
    // Widened to the left: the left edge goes back.
    EXPECT_EQ(CWebPaneDlg::Restored(QRect(700, 10, 316, 500), desktop, 250, true), QRect(766, 10, 250, 500));
    // Moved since, so that the edge would leave the desktop: the other gives way.
    EXPECT_EQ(CWebPaneDlg::Restored(QRect(-200, 10, 316, 500), desktop, 250, false), QRect(-134, 10, 250, 500));
    EXPECT_EQ(CWebPaneDlg::Restored(QRect(800, 10, 316, 500), desktop, 250, true), QRect(800, 10, 250, 500));
}

TEST(WebPane, ContactFolderGivesThePanelItsWidthBackOnce)
{
    Panel p(true, [](CConfig &c) { c.ShowBbsBar = 1; });
    p.panel->setWindowFlag(Qt::FramelessWindowHint);
    p.panel->InitPanel(false);
    CGfxOutBarCtrl *bar = p.panel->folderBar();
    const QRect work = QGuiApplication::primaryScreen()->geometry();
    p.panel->resize(250, 500);
    p.panel->move(work.left() + 20, work.top() + 20);
    const QRect before = p.panel->frameGeometry();

    bar->SetSelFolder(p.panel->webPaneFolder());
    EXPECT_EQ(p.panel->frameGeometry().width(), 316);
    bar->SetSelFolder(0);
    EXPECT_EQ(p.panel->frameGeometry(), before);

    // Near the right edge the pane widened to the left; the left edge comes back.
    p.panel->move(work.right() - 260, work.top() + 20);
    const QRect nearRight = p.panel->frameGeometry();
    bar->SetSelFolder(p.panel->webPaneFolder());
    ASSERT_TRUE(p.panel->webPane()->widenedToLeft());
    EXPECT_EQ(p.panel->frameGeometry().right(), nearRight.right());
    bar->SetSelFolder(0);
    EXPECT_EQ(p.panel->frameGeometry(), nearRight);
    bar->SetSelFolder(2);
    bar->SetSelFolder(0);
    EXPECT_EQ(p.panel->frameGeometry(), nearRight) << "given back once";

    // A width the user chose while the pane was open stays.
    p.panel->move(work.left() + 20, work.top() + 20);
    bar->SetSelFolder(p.panel->webPaneFolder());
    p.panel->resize(420, 500);
    bar->SetSelFolder(0);
    EXPECT_EQ(p.panel->frameGeometry().width(), 420);
}

TEST(WebPane, RightClickOnTheContactFolderShowsTheMoreMenu)
{
    Panel p(true, [](CConfig &c) { c.ShowBbsBar = 1; });
    p.panel->InitPanel(false);
    CGfxOutBarCtrl *bar = p.panel->folderBar();
    QStringList shown;
    QTimer::singleShot(0, [&shown] {
        if (auto *menu = qobject_cast<QMenu *>(QApplication::activePopupWidget())) {
            for (QAction *a : menu->actions())
                if (!a->isSeparator())
                    shown.append(a->text());
            menu->close();
        }
    });
    QTest::mouseClick(bar, Qt::RightButton, {}, bar->currentLayout().buttons[0].center());
    ASSERT_FALSE(shown.isEmpty());
    EXPECT_EQ(shown.first(), u("增加其他网段好友")) << "the menu of \"更多\"";
    EXPECT_EQ(bar->GetSelFolder(), 0);
    // On another folder's button a right click does nothing.
    bool opened = false;
    QTimer::singleShot(0, [&opened] { opened = QApplication::activePopupWidget() != nullptr; });
    QTest::mouseClick(bar, Qt::RightButton, {}, bar->currentLayout().buttons[2].center());
    QTest::qWait(20);
    EXPECT_FALSE(opened);
}

} // namespace
