#include "core/CConfig.h"
#include "mainwnd/CMsgTipDlg.h"
#include "mainwnd/TipGeometry.h"
#include "mainwnd/TipLink.h"
#include "mainwnd/TipNoticeList.h"
#include "platform/DesktopServices.h"
#include "platform/ScriptedPrompter.h"

#include <QMouseEvent>
#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>

namespace {

using Kind = TipLink::Kind;
using TipGeometry::Spot;

TipNotice notice(int n, const QString &link = QString())
{
    return {n, QStringLiteral("通知%1").arg(n), QStringLiteral("内容%1").arg(n), link};
}

TEST(TipLink, WrittenAndReadInOneForm)
{
    const QString ip = TipLinkForAddress(0xC0A80114);
    EXPECT_EQ(ip, QStringLiteral("#IP:192.168.1.20"));
    TipLink link = ParseTipLink(ip);
    EXPECT_EQ(link.kind, Kind::Address);
    EXPECT_EQ(link.address, 0xC0A80114u);

    EXPECT_EQ(TipLinkForPeer(QStringLiteral("00163E0A0B0C"), 1), QStringLiteral("#MAC:00163E0A0B0C"));
    EXPECT_EQ(TipLinkForPeer(QString(), 0x0A000001), QStringLiteral("#IP:10.0.0.1"));
    link = ParseTipLink(QStringLiteral("#MAC:00163E0A0B0C"));
    EXPECT_EQ(link.kind, Kind::PeerKey);
    EXPECT_EQ(link.key, QStringLiteral("00163E0A0B0C"));

    link = ParseTipLink(TipLinkForGroup(0x1A2B));
    EXPECT_EQ(TipLinkForGroup(0x1A2B), QStringLiteral("#QUNID:1A2B"));
    EXPECT_EQ(link.kind, Kind::Group);
    EXPECT_EQ(link.groupId, 0x1A2Bu);

    link = ParseTipLink(QStringLiteral("https://example.org/a"));
    EXPECT_EQ(link.kind, Kind::Document);
    EXPECT_EQ(ParseTipLink(QString()).kind, Kind::None);
}

TEST(TipLink, MalformedTagsOpenNothing)
{
    for (const char *tag : {"#IP:", "#IP:1.2.3", "#IP:1.2.3.4.5", "#IP:256.1.1.1", "#IP:1.2.3.4x", "#IP: 1.2.3.4",
             "#IP:1..2.3", "#IP:0001.2.3.4", "#IP:3232235796", "#IP:-1.2.3.4", "#MAC:", "#MAC:ab\ncd",
             "#MAC:0123456789012345678901234567890123", "#QUNID:", "#QUNID:zz", "#QUNID:-1", "#QUNID: 12",
             "#QUNID:123456789", "#RUN:/bin/sh", "#"}) {
        EXPECT_EQ(ParseTipLink(QString::fromLatin1(tag)).kind, Kind::Invalid) << tag;
    }
    quint32 address = 7;
    EXPECT_FALSE(ParseDottedAddress(u"1.2.3.4 ", address));
    EXPECT_EQ(address, 7u) << "a failed parse leaves the address";
    EXPECT_TRUE(ParseDottedAddress(u"0.0.0.0", address));
    EXPECT_EQ(address, 0u);
    EXPECT_TRUE(ParseDottedAddress(u"255.255.255.255", address));
    EXPECT_EQ(address, 0xFFFFFFFFu);
}

TEST(TipNoticeList, PagesFromTheNewest)
{
    TipNoticeList list;
    EXPECT_EQ(list.current(), nullptr);
    EXPECT_EQ(list.page(), 0);
    EXPECT_EQ(list.pageText(), QStringLiteral("(0/0)"));
    EXPECT_FALSE(list.next());
    EXPECT_FALSE(list.previous());

    for (int n = 1; n <= 5; ++n)
        list.append(notice(n));
    EXPECT_EQ(list.pageText(), QStringLiteral("(1/5)"));
    EXPECT_EQ(list.current()->notice.icon, 5) << "page 1 is the newest";
    EXPECT_FALSE(list.previous());
    for (int step = 0; step < 4; ++step)
        EXPECT_TRUE(list.next());
    EXPECT_FALSE(list.next()) << "stops at the oldest";
    EXPECT_EQ(list.pageText(), QStringLiteral("(5/5)"));
    EXPECT_EQ(list.current()->notice.icon, 1);
    EXPECT_TRUE(list.previous());
    EXPECT_EQ(list.current()->notice.icon, 2);

    // A new notice turns to itself.
    list.append(notice(6), QStringLiteral("extra"));
    EXPECT_EQ(list.pageText(), QStringLiteral("(1/6)"));
    EXPECT_EQ(list.current()->extra, QStringLiteral("extra"));

    list.clear();
    EXPECT_EQ(list.current(), nullptr);
    EXPECT_EQ(list.pageText(), QStringLiteral("(0/0)"));
}

TEST(TipNoticeList, KeepsAtMostTheNewestNotices)
{
    TipNoticeList list;
    for (int n = 0; n < TipNoticeList::kMaxNotices + 25; ++n)
        list.append(notice(n));
    EXPECT_EQ(list.count(), TipNoticeList::kMaxNotices);
    while (list.next()) {
    }
    EXPECT_EQ(list.current()->notice.icon, 25) << "the oldest gave way";
}

TEST(TipGeometry, SpotsAndSlide)
{
    const int w = TipGeometry::kWidth, h = TipGeometry::kHeight;
    EXPECT_EQ(TipGeometry::SpotAt(QPoint(25, h - 10), w, h, true), Spot::Previous);
    EXPECT_EQ(TipGeometry::SpotAt(QPoint(75, h - 10), w, h, true), Spot::Next);
    EXPECT_EQ(TipGeometry::SpotAt(QPoint(110, h - 10), w, h, true), Spot::Open);
    EXPECT_EQ(TipGeometry::SpotAt(QPoint(110, h - 10), w, h, false), Spot::None) << "no link, no open spot";
    EXPECT_EQ(TipGeometry::SpotAt(QPoint(145, h - 10), w, h, false), Spot::Close);
    EXPECT_EQ(TipGeometry::SpotAt(QPoint(60, 50), w, h, false), Spot::Notice);
    EXPECT_EQ(TipGeometry::SpotAt(QPoint(-1, 50), w, h, true), Spot::None);

    const QRect area(0, 0, 1280, 770);
    TipGeometry::Slide slide = TipGeometry::StartSlide(area);
    EXPECT_EQ(slide.y(), 770);
    int ticks = 0;
    while (!slide.step())
        ++ticks;
    EXPECT_EQ(ticks + 1, 40) << "40 ticks of 3 pixels";
    EXPECT_EQ(slide.y(), 650);
    EXPECT_EQ(TipGeometry::FinalPosition(area), QPoint(1110, 650));
    EXPECT_TRUE(slide.step());
    EXPECT_EQ(slide.y(), 650) << "never beyond the height";
}

struct Popup
{
    Popup() { popup.SetAutoClose(true); }
    QPoint at(Spot spot) const
    {
        const int h = TipGeometry::kHeight;
        switch (spot) {
        case Spot::Previous:
            return QPoint(25, h - 10);
        case Spot::Next:
            return QPoint(75, h - 10);
        case Spot::Open:
            return QPoint(110, h - 10);
        case Spot::Close:
            return QPoint(145, h - 10);
        default:
            return QPoint(60, 50);
        }
    }
    CMsgTipDlg popup;
};

TEST(CMsgTipDlg, ClicksPageOpenAndClose)
{
    Popup p;
    QSignalSpy address(&p.popup, &CMsgTipDlg::addressLinkActivated);
    QSignalSpy key(&p.popup, &CMsgTipDlg::keyLinkActivated);
    QSignalSpy group(&p.popup, &CMsgTipDlg::groupLinkActivated);

    // No notices: clicks and painting read nothing.
    for (Spot spot : {Spot::Previous, Spot::Next, Spot::Open, Spot::Close, Spot::Notice})
        p.popup.ClickAt(p.at(spot));
    EXPECT_FALSE(p.popup.grab().isNull());
    EXPECT_EQ(address.size() + key.size() + group.size(), 0);

    p.popup.AddNotice(notice(1, QStringLiteral("#IP:10.0.0.7")), false);
    p.popup.AddNotice(notice(2, QStringLiteral("#MAC:AABBCCDDEEFF")), false);
    p.popup.AddNotice(notice(3, QStringLiteral("#QUNID:10")), false);
    p.popup.AddNotice({-1, QStringLiteral("无图标"), QString(), QString()}, false);
    EXPECT_FALSE(p.popup.grab().isNull()) << "a notice without icon shows the program icon";
    EXPECT_FALSE(p.popup.isVisible());

    p.popup.ClickAt(p.at(Spot::Open));
    EXPECT_EQ(address.size() + key.size() + group.size(), 0) << "the newest has no link";
    p.popup.ClickAt(p.at(Spot::Next));
    p.popup.ClickAt(p.at(Spot::Open));
    ASSERT_EQ(group.size(), 1);
    EXPECT_EQ(group[0][0].toUInt(), 0x10u);
    p.popup.ClickAt(p.at(Spot::Next));
    p.popup.ClickAt(p.at(Spot::Notice));
    ASSERT_EQ(key.size(), 1);
    EXPECT_EQ(key[0][0].toString(), QStringLiteral("AABBCCDDEEFF"));
    p.popup.ClickAt(p.at(Spot::Next));
    p.popup.ClickAt(p.at(Spot::Next));
    EXPECT_EQ(p.popup.notices().pageText(), QStringLiteral("(4/4)"));
    p.popup.ClickAt(p.at(Spot::Open));
    ASSERT_EQ(address.size(), 1);
    EXPECT_EQ(address[0][0].toUInt(), 0x0A000007u);
    p.popup.ClickAt(p.at(Spot::Previous));
    EXPECT_EQ(p.popup.notices().pageText(), QStringLiteral("(3/4)"));

    p.popup.ClickAt(p.at(Spot::Close));
    EXPECT_TRUE(p.popup.notices().isEmpty());
    EXPECT_FALSE(p.popup.isVisible());
}

TEST(CMsgTipDlg, PeerTagsAreNeverHandedToTheDesktop)
{
    RecordingDesktopServices desktop;
    DesktopServicesScope desktopScope(desktop);
    ScriptedPrompter prompter;
    PrompterScope prompterScope(prompter);
    Popup p;
    QSignalSpy address(&p.popup, &CMsgTipDlg::addressLinkActivated);
    p.popup.AddNotice(notice(1, QStringLiteral("#IP:/usr/bin/xterm")), false);
    p.popup.OpenCurrentLink();
    p.popup.AddNotice(notice(2, QStringLiteral("#MAC:")), false);
    p.popup.OpenCurrentLink();
    EXPECT_TRUE(desktop.opened.isEmpty());
    EXPECT_EQ(address.size(), 0);
    EXPECT_TRUE(prompter.calls().isEmpty());

    // A program's own address is opened as an address.
    p.popup.AddNotice(notice(3, QStringLiteral("https://example.org/notice")), false);
    p.popup.OpenCurrentLink();
    ASSERT_EQ(desktop.opened.size(), 1);
    EXPECT_EQ(desktop.opened[0].toString(), QStringLiteral("https://example.org/notice"));
}

TEST(CMsgTipDlg, SlidesInThenClosesUnlessKeptOpen)
{
    Popup p;
    p.popup.AddNotice(notice(1));
    EXPECT_TRUE(p.popup.isVisible());
    EXPECT_TRUE(p.popup.isSliding());
    EXPECT_TRUE(p.popup.IsIdle()) << "the close timer starts after the slide";
    const int startY = p.popup.y();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !p.popup.isSliding(); }, 3000));
    EXPECT_EQ(p.popup.y(), startY - TipGeometry::kHeight);
    EXPECT_FALSE(p.popup.IsIdle());

    // Another notice while shown: the same window, the newest page.
    p.popup.AddNotice(notice(2));
    EXPECT_EQ(p.popup.notices().pageText(), QStringLiteral("(1/2)"));
    EXPECT_FALSE(p.popup.isSliding());

    // Auto-close off: the timer stops and the window stays.
    p.popup.SetAutoClose(false);
    QTest::qWait(TipGeometry::kCloseDelayMs + 300);
    EXPECT_TRUE(p.popup.isVisible());
    EXPECT_TRUE(p.popup.IsIdle());
    EXPECT_EQ(p.popup.notices().count(), 2);

    // A right click closes and forgets.
    QMouseEvent right(QEvent::MouseButtonPress, QPointF(5, 5), QPointF(5, 5), Qt::RightButton, Qt::RightButton,
        Qt::NoModifier);
    QCoreApplication::sendEvent(&p.popup, &right);
    EXPECT_FALSE(p.popup.isVisible());
    EXPECT_TRUE(p.popup.notices().isEmpty());
}

} // namespace
