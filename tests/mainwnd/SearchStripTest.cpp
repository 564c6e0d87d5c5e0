#include "controls/CHyperLinkStatic.h"
#include "controls/CImageButton.h"
#include "mainwnd/CMessengerDlg.h"
#include "mainwnd/CSearchBarDlg.h"
#include "mainwnd/CSearchEdit.h"
#include "mainwnd/CSearchPanelDlg.h"
#include "mainwnd/CUserListCtrl.h"
#include "mainwnd/SearchLayout.h"
#include "net/CNetManager.h"
#include "net/MessengerEngine.h"
#include "ContactTestUtil.h"

#include <QSignalSpy>
#include <QTest>
#include <QToolButton>
#include <gtest/gtest.h>

using namespace ContactTest;

namespace {

// A main window with the strip on top, over an engine whose table holds the
// peers (no network).
struct Strip
{
    explicit Strip(void (*setUp)(CConfig &) = nullptr)
        : config(TestEnv::freshDir(QStringLiteral("strip")) + QStringLiteral("/kwel.ini"))
    {
        if (setUp)
            setUp(config);
        engine = std::make_unique<MessengerEngine>(config, net);
        page = std::make_unique<CMessengerDlg>(*engine);
        window.resize(260, 300);
        strip = new CSearchBarDlg(page.get(), &window);
        strip->setGeometry(0, 0, 260, 22);
        window.show();
        window.activateWindow();
        QTest::qWait(20);
    }
    HostRecord *add(const QString &nick, quint32 address, quint16 port = 2425)
    {
        HostPtr h = host(nick, u("研发部"), address, u("u%1").arg(address & 0xFF), u("PC-%1").arg(address & 0xFF));
        h->key.port = port;
        engine->hostTable().Insert(h.data());
        return h.data();
    }
    CSearchEdit *box() const { return strip->searchBox(); }
    CSearchPanelDlg *panel() const { return strip->resultPanel(); }
    void type(const QString &text)
    {
        box()->setFocus();
        QTest::mouseClick(box(), Qt::LeftButton);
        QTest::keyClicks(box(), text);
    }

    CConfig config;
    CNetManager net;
    std::unique_ptr<MessengerEngine> engine;
    std::unique_ptr<CMessengerDlg> page;
    QWidget window;
    CSearchBarDlg *strip = nullptr;
};

TEST(SearchStrip, StartsWithTheHintAndTheOwnStatus)
{
    Strip s([](CConfig &c) {
        c.StatusValue |= OwnStatus::Hidden;
        c.FaceImage = 6;
    });
    EXPECT_TRUE(s.box()->isShowingHint());
    EXPECT_EQ(s.box()->text(), u("搜索好友或问题..."));
    EXPECT_EQ(s.box()->palette().color(QPalette::Text), QColor::fromRgb(0xB0B0B0));
    EXPECT_FALSE(s.strip->clearButton()->isVisible());
    EXPECT_EQ(s.strip->statusButton()->text(), u("隐身▼"));
    EXPECT_EQ(s.strip->statusIcon(), 7);
    s.strip->SetStatusIcon(500); // beyond the list
    EXPECT_EQ(s.strip->statusIcon(), 1);
    // The parts where the strip's layout puts them.
    const SearchLayout::Strip r = SearchLayout::StripRects(260);
    EXPECT_EQ(s.strip->statusButton()->geometry(), QRect(2, 2, 60, 18));
    EXPECT_EQ(s.box()->geometry(), QRect(80, 5, 161, 14));
    EXPECT_EQ(r.clear, QRect(241, 3, 16, 16));
    // The own entry's image reaches the status button.
    emit s.page->ownStatusIconChanged(12);
    EXPECT_EQ(s.strip->statusIcon(), 12);
    QSignalSpy menu(s.strip, &CSearchBarDlg::statusMenuRequested);
    QTest::mouseClick(s.strip->statusButton(), Qt::LeftButton);
    ASSERT_EQ(menu.size(), 1);
    EXPECT_EQ(menu[0][0].toPoint(), s.strip->statusButton()->mapToGlobal(QPoint(0, 18)));
}

TEST(SearchStrip, TypingShowsResultsAndEnterOpensTheOnlyOne)
{
    Strip s;
    HostRecord *zhang = s.add(u("张伟"), 0x0A000001);
    s.add(u("王芳"), 0x0A000002);
    QSignalSpy open(s.page.get(), &CMessengerDlg::openChatRequested);

    s.type(u("zw"));
    EXPECT_FALSE(s.box()->isShowingHint());
    EXPECT_EQ(s.box()->palette().color(QPalette::Text), QColor(Qt::black));
    EXPECT_TRUE(s.strip->clearButton()->isVisible());
    ASSERT_TRUE(s.panel()->isVisible());
    ASSERT_EQ(s.panel()->resultCount(), 1);
    EXPECT_EQ(s.panel()->resultList()->model()->index(0, 0).data().toString(), u("张伟"));
    // One row with the web links: 1 × 32 + 77 high, right under the strip.
    const QRect strip(s.strip->mapToGlobal(QPoint(0, 0)), s.strip->size());
    EXPECT_EQ(s.panel()->geometry(), QRect(strip.left(), strip.bottom() + 1, 260, 109));
    EXPECT_TRUE(s.panel()->link(0)->isVisible());
    EXPECT_EQ(s.panel()->link(1)->GetURL(), u("https://www.baidu.com/s?ie=utf-8&wd=zw"));
    EXPECT_EQ(s.panel()->link(2)->text(), u("蓝雀论坛搜索"));
    EXPECT_EQ(s.panel()->link(2)->isVisible(), !s.config.ForumSearchURL.isEmpty());

    QTest::keyClick(s.box(), Qt::Key_Return);
    ASSERT_EQ(open.size(), 1);
    EXPECT_EQ(open[0][0].value<HostRecord *>(), zhang);

    // Two results: Enter opens nothing; a double click opens that row.
    s.box()->clear();
    QTest::keyClicks(s.box(), u("pc-"));
    ASSERT_EQ(s.panel()->resultCount(), 2);
    QTest::keyClick(s.box(), Qt::Key_Return);
    EXPECT_EQ(open.size(), 1);
    CUserListCtrl *list = s.panel()->resultList();
    const QRect second = list->visualRect(list->model()->index(1, 1));
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, second.center());
    QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, second.center());
    ASSERT_EQ(open.size(), 2);
    EXPECT_EQ(open[1][0].value<HostRecord *>()->displayName, u("王芳"));
}

TEST(SearchStrip, ArrowKeysPickAResultForEnter)
{
    Strip s;
    s.add(u("张伟"), 0x0A000001);
    HostRecord *zhao = s.add(u("赵伟"), 0x0A000002);
    s.add(u("李伟"), 0x0A000003);
    QSignalSpy open(s.page.get(), &CMessengerDlg::openChatRequested);
    s.type(u("wei"));
    ASSERT_EQ(s.panel()->resultCount(), 3);
    EXPECT_EQ(s.panel()->currentRow(), -1);
    QTest::keyClick(s.box(), Qt::Key_Down);
    QTest::keyClick(s.box(), Qt::Key_Down);
    QTest::keyClick(s.box(), Qt::Key_Down);
    QTest::keyClick(s.box(), Qt::Key_Down); // stays on the last row
    QTest::keyClick(s.box(), Qt::Key_Up);
    EXPECT_EQ(s.panel()->currentRow(), 1);
    EXPECT_TRUE(s.box()->hasFocus());
    QTest::keyClick(s.box(), Qt::Key_Return);
    ASSERT_EQ(open.size(), 1);
    EXPECT_EQ(open[0][0].value<HostRecord *>(), zhao);
    // A new search forgets the picked row.
    QTest::keyClick(s.box(), Qt::Key_Backspace);
    EXPECT_EQ(s.panel()->currentRow(), -1);
}

TEST(SearchStrip, BlankTextClearButtonAndTheHintComingBack)
{
    Strip s;
    s.add(u("张伟"), 0x0A000001);
    s.type(u("   "));
    EXPECT_FALSE(s.panel()->isVisible());
    QTest::keyClicks(s.box(), u("z"));
    EXPECT_TRUE(s.panel()->isVisible());
    QTest::keyClick(s.box(), Qt::Key_Backspace);
    EXPECT_FALSE(s.panel()->isVisible()); // spaces only again

    QTest::keyClicks(s.box(), u("zw"));
    ASSERT_TRUE(s.panel()->isVisible());
    QTest::mouseClick(s.strip->clearButton(), Qt::LeftButton);
    EXPECT_TRUE(s.box()->isShowingHint());
    EXPECT_FALSE(s.strip->clearButton()->isVisible());
    EXPECT_FALSE(s.panel()->isVisible());

    // Leaving the box empty brings the hint back.
    s.type(u(" "));
    EXPECT_FALSE(s.box()->isShowingHint());
    auto *other = new QToolButton(&s.window);
    other->setFocusPolicy(Qt::StrongFocus);
    other->show();
    other->setFocus();
    QTest::qWait(20);
    EXPECT_TRUE(s.box()->isShowingHint());
    // Enter on the hint does nothing.
    QSignalSpy open(s.page.get(), &CMessengerDlg::openChatRequested);
    s.strip->OnOK();
    EXPECT_TRUE(open.isEmpty());
}

TEST(SearchStrip, ResultsHideWhenTheFocusLeavesAndWithoutWebLinks)
{
    Strip s([](CConfig &c) { c.ShowSearchWebBar = 0; });
    for (int i = 0; i < 12; ++i)
        s.add(u("李%1").arg(i), 0x0A000010 + quint32(i));
    s.type(u("li"));
    ASSERT_TRUE(s.panel()->isVisible());
    EXPECT_EQ(s.panel()->resultCount(), 10);
    EXPECT_FALSE(s.panel()->link(0)->isVisible());
    EXPECT_EQ(s.panel()->height(), (10 + 2) * 32);
    EXPECT_EQ(s.panel()->resultList()->geometry().top(), 0);

    // The focus goes to another control of the main window.
    auto *other = new QToolButton(&s.window);
    other->setFocusPolicy(Qt::StrongFocus);
    other->show();
    s.window.activateWindow();
    other->setFocus();
    QTest::qWait(3 * CSearchPanelDlg::kFocusTimerMs);
    EXPECT_FALSE(s.panel()->isVisible());
    // A click into the user's text shows the results again.
    QTest::mouseClick(s.box(), Qt::LeftButton);
    EXPECT_TRUE(s.panel()->isVisible());
}

TEST(SearchStrip, APeerGoneSinceTheSearchOpensNothing)
{
    Strip s;
    HostRecord *zhang = s.add(u("张伟"), 0x0A000001);
    QSignalSpy open(s.page.get(), &CMessengerDlg::openChatRequested);
    s.type(u("zhangwei"));
    ASSERT_EQ(s.panel()->resultCount(), 1);
    s.engine->hostTable().Remove(zhang);
    QTest::keyClick(s.box(), Qt::Key_Return);
    EXPECT_TRUE(open.isEmpty());
    EXPECT_FALSE(s.panel()->OpenResult(5));
}

TEST(SearchLayout, PanelHeightsAndLinkAddresses)
{
    const QRect strip(100, 50, 240, 22);
    const SearchLayout::Panel with = SearchLayout::PanelRects(strip, 3, true);
    EXPECT_EQ(with.window, QRect(100, 72, 240, 3 * 32 + 77));
    EXPECT_EQ(with.list, QRect(0, 13, 240, 3 * 32 + 77 - 13));
    EXPECT_EQ(with.links[1], QPoint(70, 0));
    EXPECT_EQ(with.links[2], QPoint(126, 0));
    EXPECT_EQ(SearchLayout::PanelRects(strip, 0, false).window.height(), 64);
    // The text is percent-encoded as UTF-8; a link beyond the three is empty.
    EXPECT_EQ(SearchLayout::LinkAddress(0, u("张 &"), {}), u("https://www.google.com/search?q=%E5%BC%A0%20%26"));
    EXPECT_EQ(SearchLayout::LinkAddress(2, u("a"), u("http://site/s?k=")), u("http://site/s?k=a"));
    EXPECT_TRUE(SearchLayout::LinkAddress(2, u("a"), {}).isEmpty()); // no forum known
    EXPECT_TRUE(SearchLayout::LinkAddress(3, u("x"), u("http://site/")).isEmpty());
}

} // namespace
