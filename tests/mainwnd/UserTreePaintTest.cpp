// The tree style of the contact list as the user sees it: each window is
// grabbed to a picture and its pixels are checked where the colours mean
// something; the clicks are real mouse events on the viewport.
#include "ContactTestUtil.h"
#include "mainwnd/CUserTreeCtrl.h"
#include "mainwnd/ContactTreeModel.h"
#include "mainwnd/UserTreeDelegate.h"

#include <QContextMenuEvent>
#include <QImage>
#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>

using namespace ContactTest;

namespace {

constexpr uint32_t kRed = 0x0000FF; // COLORREF 0x00BBGGRR
constexpr uint32_t kGreen = 0x00FF00;
constexpr uint32_t kBlue = 0xFF0000;

struct Tree
{
    explicit Tree(const QList<std::pair<QString, bool>> &groups = { { u("我的好友"), false } })
        : c(config(groups))
        , model(c.get())
    {
        tree.setConfig(c.get());
        tree.setTreeModel(&model);
        tree.resize(200, 300);
        tree.show();
    }
    QImage grab()
    {
        // Rows added since the last layout get their places first.
        tree.doItemsLayout();
        QCoreApplication::processEvents();
        return tree.viewport()->grab().toImage().convertToFormat(QImage::Format_RGB32);
    }
    // The pixels of the rectangle tinted in that channel (0 red, 1 green, 2
    // blue): text is drawn smoothed, so its pixels are pale.
    static int tinted(const QImage &image, const QRect &r, int channel)
    {
        int n = 0;
        for (int y = r.top(); y <= r.bottom(); ++y)
            for (int x = r.left(); x <= r.right(); ++x) {
                const QColor p = image.pixelColor(x, y);
                const int c[3] = { p.red(), p.green(), p.blue() };
                n += c[channel] - qMax(c[(channel + 1) % 3], c[(channel + 2) % 3]) > 60;
            }
        return n;
    }
    // A double click as the window system delivers it.
    void doubleClick(const QPoint &at)
    {
        QWidget *v = tree.viewport();
        QTest::mousePress(v, Qt::LeftButton, {}, at);
        QTest::mouseRelease(v, Qt::LeftButton, {}, at);
        QTest::mousePress(v, Qt::LeftButton, {}, at);
        QMouseEvent dbl(QEvent::MouseButtonDblClick, at, v->mapToGlobal(at), Qt::LeftButton, Qt::LeftButton, {});
        QCoreApplication::sendEvent(v, &dbl);
        QTest::mouseRelease(v, Qt::LeftButton, {}, at);
    }
    QPoint rowCentre(int row) const { return tree.visualRect(model.index(row)).center(); }

    std::unique_ptr<CConfig> c;
    ContactTreeModel model;
    CUserTreeCtrl tree;
};

QString pictureFile(const QString &name)
{
    // 20 x 20: red left half, blue right half.
    QImage picture(20, 20, QImage::Format_RGB32);
    picture.fill(Qt::blue);
    for (int y = 0; y < 20; ++y)
        for (int x = 0; x < 10; ++x)
            picture.setPixelColor(x, y, Qt::red);
    const QString path = TestEnv::freshDir(QStringLiteral("treepaint")) + QLatin1Char('/') + name;
    EXPECT_TRUE(picture.save(path, "BMP"));
    return path;
}

} // namespace

TEST(UserTreePaint, BackgroundsFillGradientAndPictureStretchedOrTiled)
{
    Tree t(QList<std::pair<QString, bool>> {});
    ASSERT_EQ(t.model.rowCount(), 0);
    // Fill colour.
    t.c->TreeBkStyle = 3;
    t.c->TreeFillClr = kGreen;
    QImage shot = t.grab();
    EXPECT_EQ(shot.pixelColor(100, 150), QColor(Qt::green));

    // Gradient mode 2: from the corners to the centre, the same in each quarter.
    t.c->TreeBkStyle = 2;
    t.c->TreeGradMode = 2;
    t.c->TreeGradClr1 = kRed;
    t.c->TreeGradClr2 = kBlue;
    shot = t.grab();
    const int w = shot.width();
    const int h = shot.height();
    EXPECT_GT(Tree::tinted(shot, QRect(0, 0, 2, 2), 0), 3) << "the corners have the first colour";
    EXPECT_GT(Tree::tinted(shot, QRect(w / 2 - 1, h / 2 - 1, 2, 2), 2), 3) << "the centre the second";
    for (const QPoint p : { QPoint(10, 20), QPoint(37, 91), QPoint(80, 140) }) {
        EXPECT_EQ(shot.pixel(p), shot.pixel(w - 1 - p.x(), p.y())) << p.x() << "," << p.y();
        EXPECT_EQ(shot.pixel(p), shot.pixel(p.x(), h - 1 - p.y())) << p.x() << "," << p.y();
    }

    // A picture file, stretched over the width, then tiled at its own size.
    t.c->TreeBkStyle = 1;
    t.c->TreeDefaultPic = 0;
    t.c->TreeBmpPath = pictureFile(QStringLiteral("halves.bmp"));
    t.c->TreeBmpStretch = 1;
    shot = t.grab();
    EXPECT_EQ(shot.pixelColor(w / 4, 100), QColor(Qt::red));
    EXPECT_EQ(shot.pixelColor(w * 3 / 4, 100), QColor(Qt::blue));
    t.c->TreeBmpStretch = 0;
    shot = t.grab();
    EXPECT_EQ(shot.pixelColor(25, 100), QColor(Qt::red));
    EXPECT_EQ(shot.pixelColor(35, 100), QColor(Qt::blue));
    EXPECT_EQ(shot.pixelColor(w * 3 / 4 - 5, 100), QColor(Qt::red)) << "145 lies in a red half";
}

TEST(UserTreePaint, FieldsColoursTheMemoNameAndTheSelection)
{
    Tree t;
    t.c->TreeBkStyle = 3;
    t.c->TreeFillClr = 0xFFFFFF;
    t.c->TreeNickClr = kRed;
    t.c->TreeHostClr = kGreen;
    t.c->TreeSelFrameClr = kBlue;
    t.c->TreeSelFillClr = 0x00FFFF; // yellow
    t.c->TreeStryleSmallIcon_STR = QStringLiteral("13");
    const HostPtr a = host(u("张三"), {}, 0x0A000001, u("zhang"), u("zhang-pc"));
    a->keyText = u("AAAAAAAAAAAA");
    const HostPtr b = host(u("老李"), {}, 0x0A000002, u("li"), u("li-pc"));
    b->keyText = u("BBBBBBBBBBBB");
    t.c->memoNickNames.insert(b->keyText, u("老李"));
    t.c->NoShowHostIfMemo = 1;
    t.model.AddUser(a.data());
    t.model.AddUser(b.data());
    const int rowA = t.model.rowOfHost(a.data());
    const int rowB = t.model.rowOfHost(b.data());
    ASSERT_GE(rowA, 0);
    ASSERT_GE(rowB, 0);

    // The digits name the fields: "13" the nick name, then the host name in
    // parentheses (an empty field is skipped); a memo name hides the host.
    QImage shot = t.grab();
    const auto fields = UserTreeDelegate::Fields(*t.model.entryAt(rowA), QStringLiteral("1364"), t.tree.treeStyle());
    ASSERT_EQ(fields.size(), 3);
    EXPECT_EQ(fields[1], std::make_pair(u("(zhang-pc)"), QColor(Qt::green)));
    const QRect rectA = t.tree.visualRect(t.model.index(rowA));
    const QRect rectB = t.tree.visualRect(t.model.index(rowB));
    EXPECT_GT(Tree::tinted(shot, rectA, 0), 5) << "the nick name in its colour";
    EXPECT_GT(Tree::tinted(shot, rectA, 1), 5) << "the host name in its colour";
    EXPECT_GT(Tree::tinted(shot, rectB, 0), 5);
    EXPECT_EQ(Tree::tinted(shot, rectB, 1), 0) << "the memo name hides the host";
    t.c->NoShowHostIfMemo = 0;
    shot = t.grab();
    EXPECT_GT(Tree::tinted(shot, rectB, 1), 5);

    // The selection: framed in its colour, filled in the other.
    t.tree.setCurrentIndex(t.model.index(rowA));
    shot = t.grab();
    EXPECT_EQ(shot.pixelColor(rectA.right() - 4, rectA.center().y()), QColor(Qt::yellow));
    EXPECT_EQ(shot.pixelColor(rectA.right() - 4, rectA.top()), QColor(Qt::blue));
    EXPECT_EQ(shot.pixelColor(rectB.right() - 4, rectB.center().y()), QColor(Qt::white));
}

TEST(UserTreePaint, ClickEnlargeDoubleClickAndMenu)
{
    Tree t({ { u("我的好友"), false }, { u("同事"), false } });
    t.c->SmallIconSelShowLarge = 1;
    const HostPtr a = host(u("张三"), {}, 0x0A000001, u("zhang"));
    a->keyText = u("AAAAAAAAAAAA");
    const HostPtr b = host(u("李四"), {}, 0x0A000002, u("li"));
    t.model.AddUser(a.data());
    t.model.AddUser(b.data());
    t.grab();
    const int rows = t.model.rowCount();
    const int rowA = t.model.rowOfHost(a.data());
    ASSERT_GE(rowA, 0);
    EXPECT_EQ(t.tree.visualRect(t.model.index(rowA)).height(), 18);

    // A click on a peer shows it large; on another, that one instead.
    QTest::mouseClick(t.tree.viewport(), Qt::LeftButton, {}, t.rowCentre(rowA));
    EXPECT_EQ(t.tree.enlargedRow(), QPersistentModelIndex(t.model.index(rowA)));
    EXPECT_EQ(t.tree.visualRect(t.model.index(rowA)).height(), 36);
    const int rowB = t.model.rowOfHost(b.data());
    QTest::mouseClick(t.tree.viewport(), Qt::LeftButton, {}, t.rowCentre(rowB));
    EXPECT_EQ(t.tree.visualRect(t.model.index(rowA)).height(), 18);
    EXPECT_EQ(t.tree.visualRect(t.model.index(rowB)).height(), 36);

    // A double click on a peer asks for its chat; on a node it opens nothing.
    QSignalSpy opened(&t.tree, &CUserTreeCtrl::userDoubleClicked);
    t.doubleClick(t.rowCentre(rowA));
    ASSERT_EQ(opened.size(), 1);
    EXPECT_EQ(opened[0][0].value<HostRecord *>(), a.data());
    EXPECT_EQ(t.model.rowCount(), rows) << "the clicks of a double click toggle nothing";

    // A click on the node of the group closes it, another opens it again.
    QTest::mouseClick(t.tree.viewport(), Qt::LeftButton, {}, t.rowCentre(0));
    EXPECT_EQ(t.model.rowCount(), rows - 3) << "its peers and the peer group under it";
    // A double click on it: its first click opens it, the rest does nothing.
    t.doubleClick(t.rowCentre(0));
    EXPECT_EQ(opened.size(), 1);
    EXPECT_EQ(t.model.rowCount(), rows);

    // The context menu names what is under the pointer.
    QSignalSpy menu(&t.tree, &CUserTreeCtrl::contextMenuAt);
    for (const QPoint at : { t.rowCentre(t.model.rowOfHost(a.data())), t.rowCentre(0), QPoint(100, 290) }) {
        QContextMenuEvent event(QContextMenuEvent::Mouse, at, t.tree.viewport()->mapToGlobal(at));
        QCoreApplication::sendEvent(t.tree.viewport(), &event);
    }
    ASSERT_EQ(menu.size(), 3);
    EXPECT_EQ(menu[0][1].value<HostRecord *>(), a.data());
    EXPECT_EQ(menu[1][2].toString(), u("我的好友"));
    EXPECT_TRUE(menu[1][3].toBool());
    EXPECT_EQ(menu[2][1].value<HostRecord *>(), nullptr);
    EXPECT_TRUE(menu[2][2].toString().isEmpty());
}
