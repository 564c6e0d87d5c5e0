#include "PanelTestUtil.h"
#include "mainwnd/CSearchBarDlg.h"
#include "mainwnd/CSearchPanelDlg.h"
#include "mainwnd/DockGeometry.h"
#include "mainwnd/PanelDocking.h"
#include "mainwnd/PanelTrayMenu.h"
#include "platform/DesktopProbe.h"

#include <QAction>
#include <QCursor>
#include <QMenu>
#include <QScreen>
#include <QTest>

namespace {

using Dock::Box;

// A 1280 × 1024 screen with a 30-pixel panel at the bottom.
const Dock::Metrics kM = Dock::Metrics::fromWorkArea(QRect(0, 0, 1280, 994));

TEST(DockGeometry, TheCursorDecidesTheEdge)
{
    const Box moved{500, 300, 740, 600};
    Dock::State s;
    // y 20 docks at the top, y 21 does not.
    Box b = Dock::DetectDock(kM, QPoint(600, 20), moved, s);
    EXPECT_EQ(s.side, Dock::Top);
    EXPECT_EQ(b, (Box{500, -2, 740, 298}));
    s = {};
    Dock::DetectDock(kM, QPoint(600, 21), moved, s);
    EXPECT_EQ(s.side, Dock::None);
    // The bottom of the work area, not of the screen.
    b = Dock::DetectDock(kM, QPoint(600, 974), moved, s);
    EXPECT_EQ(s.side, Dock::Bottom);
    EXPECT_EQ(b, (Box{500, 694, 740, 994}));
    s = {};
    Dock::DetectDock(kM, QPoint(600, 973), moved, s);
    EXPECT_EQ(s.side, Dock::None);
    // x 19 docks left, x 20 does not; the right edge alike.
    Dock::DetectDock(kM, QPoint(20, 500), moved, s);
    EXPECT_EQ(s.side, Dock::None);
    Dock::DetectDock(kM, QPoint(1259, 500), moved, s);
    EXPECT_EQ(s.side, Dock::None);
    b = Dock::DetectDock(kM, QPoint(1260, 500), moved, s);
    EXPECT_EQ(s.side, Dock::Right);
    EXPECT_EQ(b, (Box{1040, -2, 1280, 994}));
    // The top wins over the left in the corner.
    s = {};
    Dock::DetectDock(kM, QPoint(5, 5), moved, s);
    EXPECT_EQ(s.side, Dock::Top);
    EXPECT_FALSE(s.stretched);
}

TEST(DockGeometry, SideDockStretchesAndUndockingRestoresTheHeight)
{
    Dock::State s;
    const Box moved{100, 200, 340, 500}; // 300 high
    Box b = Dock::DetectDock(kM, QPoint(19, 400), moved, s);
    EXPECT_EQ(s.side, Dock::Left);
    EXPECT_TRUE(s.stretched);
    EXPECT_EQ(s.savedHeight, 300);
    EXPECT_EQ(b, (Box{0, -2, 240, 994})) << "from above the top to the usable bottom";
    // Dragged along the edge: the height saved first stays.
    b = Dock::DetectDock(kM, QPoint(10, 600), b, s);
    EXPECT_EQ(s.savedHeight, 300);
    // Away from every edge: undocked at the old height.
    b.left += 400;
    b.right += 400;
    b = Dock::DetectDock(kM, QPoint(600, 500), b, s);
    EXPECT_EQ(s.side, Dock::None);
    EXPECT_FALSE(s.stretched);
    EXPECT_EQ(b.height(), 300);
    // Let go low, it stays within the work area with that height.
    b = Dock::DetectDock(kM, QPoint(5, 500), b, s);
    b = Dock::DetectDock(kM, QPoint(600, 900), Box{400, 850, 640, 1844}, s);
    EXPECT_EQ(b, (Box{400, 694, 640, 994}));
}

// Slides until done; returns the boxes of every step.
std::vector<Box> slide(int side, Box from, bool hiding)
{
    std::vector<Box> steps;
    for (int i = 0; i < 100; ++i) {
        const Dock::Step s = hiding ? Dock::HideStep(kM, side, from) : Dock::ShowStep(kM, side, from);
        steps.push_back(s.box);
        from = s.box;
        if (s.done)
            break;
    }
    return steps;
}

TEST(DockGeometry, SlidingOutAndBackInTenSteps)
{
    // A 300-pixel-high panel at the top: ten steps of 30, the strip stays.
    const Box top{500, -2, 740, 298};
    std::vector<Box> out = slide(Dock::Top, top, true);
    ASSERT_EQ(out.size(), 10u);
    EXPECT_EQ(out[0].bottom, 268);
    EXPECT_EQ(out.back(), (Box{500, 4 - 300, 740, 4}));
    std::vector<Box> back = slide(Dock::Top, out.back(), false);
    EXPECT_EQ(back.size(), 10u);
    EXPECT_EQ(back.back(), top);

    // Every side ends its hiding with kM.strip pixels inside the work area and
    // its showing where it started; sizes never change.
    const Box right{1040, -2, 1280, 994};
    out = slide(Dock::Right, right, true);
    EXPECT_EQ(out.back().left, 1280 - 4);
    EXPECT_EQ(slide(Dock::Right, out.back(), false).back(), right);
    const Box left{0, -2, 240, 994};
    out = slide(Dock::Left, left, true);
    EXPECT_EQ(out.back().right, 4);
    EXPECT_EQ(slide(Dock::Left, out.back(), false).back(), left);
    const Box bottom{500, 694, 740, 994};
    out = slide(Dock::Bottom, bottom, true);
    EXPECT_EQ(out.back().top, 994 - 4) << "the strip stays above a bottom panel";
    EXPECT_TRUE(Dock::IsSlidOut(kM, Dock::Bottom, out.back()));
    EXPECT_EQ(slide(Dock::Bottom, out.back(), false).back(), bottom);
    for (const Box &b : out)
        EXPECT_EQ(b.height(), 300);
}

TEST(DockGeometry, InitialHideAndTheWatchMargin)
{
    Dock::State s;
    s.side = Dock::Right;
    const Box hidden = Dock::InitialHide(kM, Box{900, 100, 1140, 500}, s);
    EXPECT_EQ(hidden, (Box{1276, -2, 1516, 994}));
    EXPECT_EQ(s.savedHeight, 400);
    EXPECT_TRUE(Dock::IsSlidOut(kM, Dock::Right, hidden));
    s.side = Dock::Top;
    EXPECT_EQ(Dock::InitialHide(kM, Box{0, 0, 200, 300}, s), (Box{0, -296, 200, 4}));

    const Box frame{100, 100, 300, 500};
    EXPECT_TRUE(Dock::CursorNear(QPoint(90, 90), frame));
    EXPECT_FALSE(Dock::CursorNear(QPoint(89, 200), frame));
    EXPECT_TRUE(Dock::CursorNear(QPoint(309, 509), frame));
    EXPECT_FALSE(Dock::CursorNear(QPoint(310, 200), frame));
}

TEST(DockGeometry, AStretchedPanelTakesItsHeightBackAtTheTopOrBottom)
{
    Dock::State s;
    Box b = Dock::DetectDock(kM, QPoint(5, 500), Box{100, 200, 340, 500}, s);
    ASSERT_TRUE(s.stretched);
    b = Dock::DetectDock(kM, QPoint(600, 990), b, s);
    EXPECT_EQ(s.side, Dock::Bottom);
    EXPECT_FALSE(s.stretched);
    EXPECT_EQ(b, (Box{0, 694, 240, 994})) << "300 high again, on the bottom edge";
}

TEST(DockGeometry, OnlyAMoveUnderAHeldButtonIsADrag)
{
    using Event = Dock::DragWatch::Event;
    Dock::DragWatch drag;
    const Box known{100, 100, 340, 500};
    const Box moved{300, 150, 540, 550};
    // Moves without a button (the first show, the window manager's placing)
    // and a button held over a panel that stays are no drag.
    EXPECT_EQ(drag.Feed(false, moved, known), Event::None);
    EXPECT_EQ(drag.Feed(true, known, known), Event::None);
    EXPECT_EQ(drag.Feed(false, known, known), Event::None);
    // Held and moved: a drag until the button is let go, also once the
    // window manager has reported the new place.
    EXPECT_EQ(drag.Feed(true, moved, known), Event::Dragging);
    EXPECT_EQ(drag.Feed(true, moved, moved), Event::Dragging);
    EXPECT_EQ(drag.Feed(false, moved, moved), Event::Ended);
    EXPECT_EQ(drag.Feed(false, moved, moved), Event::None) << "one end per drag";
}

// The test platform draws a frame whose top it counts twice; the panels of
// these tests go without one, as under a bare X server.
void initFrameless(Panel &p)
{
    p.panel->setWindowFlag(Qt::FramelessWindowHint);
    p.panel->InitPanel(false);
}

// The panel itself: a drag that ends at the top docks it, the cursor leaving
// slides it out, the cursor entering its strip slides it back.
TEST(PanelDocking, DocksSlidesOutAndComesBack)
{
    Panel p(true, [](CConfig &c) { c.AutoHideWnd = 1; });
    initFrameless(p);
    PanelDocking *dock = p.panel->docking();
    ASSERT_TRUE(dock->isEnabled());
    const Dock::Metrics m = dock->metrics();
    p.panel->move(m.area.left + 300, m.area.top + 200);
    const int height = p.panel->frameGeometry().height();

    QCursor::setPos(m.area.left + 350, m.area.top + 5);
    dock->Settle(QCursor::pos());
    EXPECT_EQ(dock->side(), Dock::Top);
    EXPECT_EQ(p.panel->frameGeometry().top(), m.area.top - m.edge);
    EXPECT_TRUE(dock->isWatching());
    EXPECT_GE(p.panel->minimumHeight(), 400) << "docked minimum";

    // The search results beside the panel go with it (they hide when the
    // panel moves).
    CSearchPanelDlg *results = p.panel->searchStrip()->resultPanel();
    results->show();
    QCursor::setPos(m.area.left + 900, m.area.top + 600);
    QTRY_VERIFY_WITH_TIMEOUT(dock->isSlidOut(), 3000);
    EXPECT_FALSE(results->isVisible());
    EXPECT_EQ(p.panel->frameGeometry().bottom() + 1, m.area.top + m.strip);
    EXPECT_EQ(p.panel->frameGeometry().height(), height);
    EXPECT_FALSE(dock->isWatching());

    // The cursor on the strip brings it back, also where the strip is window
    // frame that reports no entering (nothing here reports it).
    QCursor::setPos(m.area.left + 350, m.area.top + 1);
    QTRY_VERIFY_WITH_TIMEOUT(!dock->isSlidOut() && !dock->isSliding(), 3000);
    EXPECT_EQ(p.panel->frameGeometry().top(), m.area.top - m.edge);
    EXPECT_TRUE(dock->isWatching());

    // The dock side is what the geometry save stores.
    p.panel->StoreWindowPlacement();
    EXPECT_EQ(p.config.HideMode, Dock::Top);

    // Switching auto-hide off brings the panel back and undocks it.
    QCursor::setPos(m.area.left + 900, m.area.top + 600);
    QTRY_VERIFY_WITH_TIMEOUT(dock->isSlidOut(), 3000);
    // Put away into the tray while slid out: the cursor on the strip's place
    // brings nothing back.
    p.panel->HidePanel();
    QCursor::setPos(m.area.left + 350, m.area.top + 1);
    QTest::qWait(3 * PanelDocking::kWatchMs);
    EXPECT_TRUE(dock->isSlidOut());
    QCursor::setPos(m.area.left + 900, m.area.top + 600);
    p.panel->show();
    TrayMenu::Find(p.panel->trayMenu(), 32848)->trigger();
    EXPECT_EQ(p.config.AutoHideWnd, 0);
    EXPECT_EQ(dock->side(), Dock::None);
    EXPECT_FALSE(dock->isSlidOut());
    EXPECT_GE(p.panel->frameGeometry().top(), m.area.top - m.edge);
}

// The pointer and the window system as a test sets them: where the window
// manager has the panel during a drag (the toolkit hears of it at the end).
struct FakeProbe final : DesktopProbe
{
    QPoint cursor() const override { return pos; }
    bool buttonDown() const override { return button; }
    QRect liveFrame(const QWidget &window) const override { return live.isValid() ? live : window.frameGeometry(); }

    QPoint pos;
    bool button = false;
    QRect live;
};

// A frameless panel with docking on, its pointer and window system faked.
class ProbedDocking : public ::testing::Test
{
protected:
    ProbedDocking()
        : p(true, [](CConfig &c) { c.AutoHideWnd = 1; })
    {
        initFrameless(p);
        dock = p.panel->docking();
        auto fake = std::make_unique<FakeProbe>();
        probe = fake.get();
        dock->SetProbe(std::move(fake));
        m = dock->metrics();
    }

    Panel p;
    PanelDocking *dock = nullptr;
    FakeProbe *probe = nullptr;
    Dock::Metrics m;
};

// A docked panel dragged away by the title bar follows the drag: it never
// slides out while the button is held, and letting go away from the edges
// undocks it. Moves nobody dragged never dock it.
TEST_F(ProbedDocking, FollowsADragAndDocksOnlyAfterOne)
{
    // Moved to the top edge with the pointer there, but no button held: the
    // first show or the window manager's placing, not a drag.
    probe->pos = QPoint(m.area.left + 350, m.area.top + 5);
    p.panel->move(m.area.left + 300, m.area.top);
    QTest::qWait(4 * PanelDocking::kWatchMs);
    EXPECT_EQ(dock->side(), Dock::None);

    // Dragged there: the button is held while the window system has the
    // panel somewhere else than the toolkit knows.
    p.panel->move(m.area.left + 300, m.area.top + 200);
    QTest::qWait(3 * PanelDocking::kWatchMs);
    probe->button = true;
    probe->live = p.panel->frameGeometry().translated(0, -200);
    QTest::qWait(2 * PanelDocking::kWatchMs);
    EXPECT_EQ(dock->side(), Dock::None) << "nothing docks before the button is let go";
    probe->button = false;
    probe->live = {};
    QTRY_COMPARE_WITH_TIMEOUT(dock->side(), int(Dock::Top), 2000);
    QTRY_VERIFY_WITH_TIMEOUT(!dock->isSliding(), 2000);

    // Pressed on the title bar and dragged down and away: the pointer leaves
    // the panel's old place, but the panel goes with it.
    probe->button = true;
    probe->pos = QPoint(m.area.left + 600, m.area.top + 400);
    probe->live = p.panel->frameGeometry().translated(300, 300);
    QTest::qWait(5 * PanelDocking::kWatchMs);
    EXPECT_FALSE(dock->isSlidOut());
    EXPECT_FALSE(dock->isSliding());
    EXPECT_EQ(dock->side(), Dock::Top);
    probe->button = false;
    QTRY_COMPARE_WITH_TIMEOUT(dock->side(), int(Dock::None), 2000);
    EXPECT_EQ(p.panel->frameGeometry().topLeft(), probe->live.topLeft()) << "where it was let go";
    probe->live = {};
    QTest::qWait(3 * PanelDocking::kWatchMs);
    EXPECT_TRUE(p.panel->isVisible());
    EXPECT_FALSE(dock->isSlidOut());
}

// Slid out, the panel leaves the screen to a strip window of the strip's
// size (a window manager would keep a tenth of the panel on the screen);
// the pointer on the strip brings the panel back.
TEST_F(ProbedDocking, TheSlidOutPanelGivesWayToItsStrip)
{
    p.panel->move(m.area.left + 300, m.area.top + 200);
    dock->Settle(QPoint(m.area.left + 5, m.area.top + 300));
    ASSERT_EQ(dock->side(), Dock::Left);
    probe->pos = QPoint(m.area.left + 600, m.area.top + 300);
    QTRY_VERIFY_WITH_TIMEOUT(dock->isSlidOut(), 3000);
    EXPECT_FALSE(p.panel->isVisible());
    ASSERT_TRUE(dock->strip());
    EXPECT_TRUE(dock->strip()->isVisible());
    EXPECT_EQ(dock->strip()->geometry(), QRect(m.area.left, m.area.top, m.strip, m.area.height()));
    probe->pos = QPoint(m.area.left + 1, m.area.top + 300);
    QTRY_VERIFY_WITH_TIMEOUT(!dock->isSlidOut() && !dock->isSliding(), 3000);
    EXPECT_TRUE(p.panel->isVisible());
    EXPECT_FALSE(dock->strip()->isVisible());
    EXPECT_EQ(p.panel->frameGeometry().left(), m.area.left);
}

// A menu open over the docked panel (its tray menu from a right click)
// holds it in view while the cursor is on the menu.
TEST_F(ProbedDocking, AnOpenMenuHoldsThePanelInView)
{
    p.panel->move(m.area.left + 300, m.area.top + 200);
    dock->Settle(QPoint(m.area.left + 350, m.area.top + 5));
    ASSERT_EQ(dock->side(), Dock::Top);
    QTRY_VERIFY_WITH_TIMEOUT(!dock->isSliding(), 2000);
    p.panel->trayMenu()->popup(QPoint(m.area.left + 700, m.area.top + 500));
    probe->pos = QPoint(m.area.left + 710, m.area.top + 510);
    QTest::qWait(4 * PanelDocking::kWatchMs);
    EXPECT_FALSE(dock->isSlidOut());
    EXPECT_FALSE(dock->isSliding());
    p.panel->trayMenu()->hide();
    QTRY_VERIFY_WITH_TIMEOUT(dock->isSlidOut(), 3000);
}

TEST(PanelDocking, StartsSlidOutAtTheStoredSideOnlyWithAutoHide)
{
    {
        Panel p(true, [](CConfig &c) {
            c.AutoHideWnd = 1;
            c.HideMode = Dock::Left;
        });
        initFrameless(p);
        PanelDocking *dock = p.panel->docking();
        const Dock::Metrics m = dock->metrics();
        EXPECT_EQ(dock->side(), Dock::Left);
        EXPECT_TRUE(dock->isSlidOut());
        QTRY_COMPARE_WITH_TIMEOUT(p.panel->frameGeometry().right() + 1, m.area.left + m.strip, 1000);
        EXPECT_EQ(p.panel->frameGeometry().bottom() + 1, m.area.bottom);
        // Shown from the tray with the cursor elsewhere: in, and out again
        // only after the cursor has been over it.
        QCursor::setPos(m.area.right - 100, m.area.top + 300);
        p.panel->ShowPanel();
        QTRY_VERIFY_WITH_TIMEOUT(!dock->isSliding(), 3000);
        EXPECT_FALSE(dock->isSlidOut());
        QTest::qWait(3 * PanelDocking::kWatchMs);
        EXPECT_FALSE(dock->isSlidOut()) << "the cursor never came";
        EXPECT_TRUE(dock->isWatching());
    }
    {
        // Stored side without auto-hide: an ordinary panel.
        Panel p(true, [](CConfig &c) { c.HideMode = Dock::Right; });
        p.panel->InitPanel(false);
        EXPECT_EQ(p.panel->docking()->side(), Dock::None);
        EXPECT_FALSE(p.panel->docking()->isSlidOut());
        p.panel->docking()->Settle(QPoint(0, 0));
        EXPECT_EQ(p.panel->docking()->side(), Dock::None) << "no docking while the switch is off";
    }
}

// Started into the tray with a stored dock side: the pointer at that edge
// brings nothing out (there is no strip to touch); the tray does. With
// auto-hide on, the docked minimum holds docked or not.
TEST(PanelDocking, StartedInTheTrayStaysThereUntilTheUserBringsItBack)
{
    Panel p(true, [](CConfig &c) {
        c.AutoHideWnd = 1;
        c.HideMode = Dock::Left;
        c.DbClickAutoMin = 1;
    });
    p.panel->setWindowFlag(Qt::FramelessWindowHint);
    PanelDocking *dock = p.panel->docking();
    auto fake = std::make_unique<FakeProbe>();
    FakeProbe *probe = fake.get();
    dock->SetProbe(std::move(fake));
    p.panel->InitPanel(false);
    const Dock::Metrics m = dock->metrics();
    EXPECT_TRUE(p.panel->isHiddenByUser());
    probe->pos = QPoint(m.area.left + 1, m.area.top + 300);
    QTest::qWait(5 * PanelDocking::kWatchMs);
    EXPECT_FALSE(p.panel->isVisible());
    EXPECT_FALSE(dock->strip() && dock->strip()->isVisible());
    EXPECT_TRUE(dock->isSlidOut());

    probe->pos = QPoint(m.area.right - 100, m.area.top + 300);
    p.panel->ShowPanel();
    QTRY_VERIFY_WITH_TIMEOUT(!dock->isSliding() && !dock->isSlidOut(), 3000);
    EXPECT_TRUE(p.panel->isVisible());

    // Undocked by a drag away from the edges: still at least 200 x 400.
    p.panel->move(m.area.left + 300, m.area.top + 100);
    dock->Settle(QPoint(m.area.left + 400, m.area.top + 300));
    ASSERT_EQ(dock->side(), Dock::None);
    EXPECT_GE(p.panel->minimumWidth(), Dock::kDockedMinimum.width());
    EXPECT_GE(p.panel->minimumHeight(), Dock::kDockedMinimum.height());
    // Switched off, the panel's own minimum; on again, the docked one.
    QAction *autoHide = TrayMenu::Find(p.panel->trayMenu(), 32848);
    autoHide->trigger();
    EXPECT_LT(p.panel->minimumHeight(), Dock::kDockedMinimum.height());
    autoHide->trigger();
    EXPECT_GE(p.panel->minimumHeight(), Dock::kDockedMinimum.height());
}

} // namespace
