// Shared files between two copies on loopback: the list behind the password,
// the password's retries and refusals, the download request made in the
// browser and served as an offer, and the files received byte for byte.
#include "LoopbackChat.h"
#include "TestEnv.h"
#include "chat/session/ChatFileTransfers.h"
#include "chat/session/ChatShares.h"
#include "chat/shares/CShareBrowseDlg.h"
#include "chat/shares/CSharePasswordInputDlg.h"
#include "chat/shares/ShareAnswerDialogs.h"
#include "chat/shares/ShareListWidget.h"
#include "chat/shares/ShareRecords.h"
#include "core/Password.h"
#include "net/Commands.h"
#include "net/ShareService.h"
#include "platform/ScriptedPrompter.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QPointer>
#include <QSignalSpy>
#include <gtest/gtest.h>

using namespace ChatTest;

namespace {

// The program's routing of share answers and granted downloads, without the dialogs.
struct Sharing
{
    explicit Sharing(Side &side)
        : service(*side.engine)
    {
        QObject::connect(&service, &ShareService::shareListArrived, [this, &side](HostRecord *peer, const QString &t) {
            if (ChatSession *session = side.sessions->Find(*peer)) {
                answers.append(session->shares().TakeAnswer(t));
                texts.append(t);
            }
        });
        QObject::connect(&service, &ShareService::downloadApproved, [&side](HostRecord *peer, const QStringList &p) {
            side.sessions->Open(peer)->shares().ServeShareDownload(p);
        });
        QObject::connect(&service, &ShareService::event, [this](const QString &e) { events.append(e); });
    }
    ShareService service;
    QList<ChatShares::Answer> answers;
    QStringList texts;
    QStringList events;
};

QByteArray bytes(int n, char seed)
{
    QByteArray out(n, Qt::Uninitialized);
    for (int i = 0; i < n; ++i)
        out[i] = char(seed + i * 7);
    return out;
}

} // namespace

TEST(Shares, BrowseBehindThePasswordAndDownloadByteForByte)
{
    ScriptedPrompter prompter;
    PrompterScope scope(prompter);
    Side a(QStringLiteral("amy"));
    Side b(QStringLiteral("bob"));
    a.meet(b);
    b.meet(a);
    Sharing sa(a), sb(b);

    // Amy shares a folder and a file; her password has Chinese characters
    // and an 'r', whose scrambled form is a CR.
    const QString root = TestEnv::freshDir(QStringLiteral("amy-share"));
    QDir(root).mkpath(QStringLiteral("docs/sub"));
    TestEnv::writeAll(root + QStringLiteral("/docs/a.txt"), bytes(3000, 'a'));
    TestEnv::writeAll(root + QStringLiteral("/docs/sub/b.bin"), bytes(70000, 'b'));
    TestEnv::writeAll(root + QStringLiteral("/c.dat"), bytes(12345, 'c'));
    // A link inside the shared folder to a file outside it is never served.
    const QString outside = TestEnv::freshDir(QStringLiteral("amy-private")) + QStringLiteral("/secret.txt");
    TestEnv::writeAll(outside, "secret");
    ASSERT_TRUE(QFile::link(outside, root + QStringLiteral("/docs/link.txt")));
    const QString docs = QFileInfo(root + QStringLiteral("/docs")).canonicalFilePath();
    const QString c = QFileInfo(root + QStringLiteral("/c.dat")).canonicalFilePath();
    a.config.FileShareInfo = ShareList::BuildStored({ { 1, docs }, { 2, c } });
    a.config.FileSharePwd = ScrambleForField(u("口令r")).value();

    ChatShares &shares = b.session()->shares();
    ASSERT_TRUE(shares.OnSharesButton());
    EXPECT_FALSE(shares.OnSharesButton()) << "one request at a time";
    ASSERT_TRUE(waitFor([&] { return !sb.answers.isEmpty(); }));
    EXPECT_EQ(sb.answers.last(), ChatShares::Answer::NeedPassword);
    EXPECT_FALSE(b.session()->timers().isRunning(ChatTimerId::ShareList)) << "answered: no more resends";

    // A password with a character the peer's GBK cannot carry is not sent
    // (it would arrive as '?'): the history says so.
    EXPECT_FALSE(shares.SendPassword(u("口令🔒")));
    EXPECT_TRUE(b.historyText().contains(ChatShares::UnsendablePasswordText()));
    EXPECT_FALSE(b.session()->timers().isRunning(ChatTimerId::SharePassword));
    EXPECT_TRUE(shares.password().isEmpty());

    // A wrong password is said in the history.
    EXPECT_TRUE(shares.SendPassword(u("口令x")));
    ASSERT_TRUE(waitFor([&] { return sb.answers.size() == 2; }));
    EXPECT_EQ(sb.answers.last(), ChatShares::Answer::WrongPassword);
    EXPECT_TRUE(b.historyText().contains(ChatShares::WrongPasswordText()));

    // A download request without the password gets nothing.
    shares.SendDownloadRequest("2_" + ShareList::RequestTime(QFileInfo(c).lastModified()).toLatin1());
    ASSERT_TRUE(waitFor([&] { return !sa.events.filter(QStringLiteral("SHAREDOWNLOAD")).isEmpty(); }));
    EXPECT_TRUE(sa.events.filter(QStringLiteral("SHAREDOWNLOAD")).first().endsWith(QStringLiteral(" 0")));

    // The right one, typed into the prompt, gives the list; an answer nobody
    // waits for is ignored. The prompt names the peer as Bob knows her, not
    // by her login.
    b.peerOf(a)->displayName = u("艾米");
    auto *prompt = qobject_cast<CSharePasswordInputDlg *>(
        OpenShareAnswerDialog(*b.session(), ChatShares::Answer::NeedPassword, QString(), nullptr));
    ASSERT_NE(prompt, nullptr);
    EXPECT_TRUE(prompt->windowTitle().startsWith(u("用户名:艾米(主机:"))) << prompt->windowTitle().toStdString();
    prompt->passwordBox()->setText(u("口令r"));
    prompt->accept();
    ASSERT_TRUE(waitFor([&] { return sb.answers.size() == 3; }));
    ASSERT_EQ(sb.answers.last(), ChatShares::Answer::List);
    EXPECT_EQ(shares.TakeAnswer(sb.texts.last()), ChatShares::Answer::Ignored);

    // The browser opens without a loop of its own; it takes both rows and
    // asks with the password in front.
    auto *browse = qobject_cast<CShareBrowseDlg *>(
        OpenShareAnswerDialog(*b.session(), ChatShares::Answer::List, sb.texts.last(), nullptr));
    ASSERT_NE(browse, nullptr);
    EXPECT_TRUE(browse->isVisible());
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
    EXPECT_EQ(browse->windowTitle(), shares.BrowseCaption());
    ASSERT_EQ(browse->list()->topLevelItemCount(), 2);
    EXPECT_EQ(browse->list()->topLevelItem(0)->text(1), u("目录"));
    browse->list()->SetAllChecked(true);
    QPointer<CShareBrowseDlg> guard(browse);
    browse->accept(); // sends the request and goes
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(guard.isNull());
    ASSERT_TRUE(waitFor([&] { return sa.events.filter(QStringLiteral("SHAREDOWNLOAD")).size() == 2; }));
    EXPECT_TRUE(sa.events.filter(QStringLiteral("SHAREDOWNLOAD")).last().endsWith(QStringLiteral(" 2")));

    // Amy's program offers them as an automatic message; Bob receives them.
    ASSERT_TRUE(waitFor([&] {
        return !b.received.isEmpty() && b.received.last().hasOption(OPT_AUTO_SEND)
            && b.session()->files().model().offeredRows().size() == 2;
    }));
    EXPECT_TRUE(b.received.last().bodyText().isEmpty());
    b.config.RECVTRANSMAX_STR = 4096;
    const QString into = TestEnv::freshDir(QStringLiteral("bob-got"));
    // The first item is saved as the chosen path, the others beside it.
    ASSERT_TRUE(b.session()->files().ReceiveAll(into + QStringLiteral("/docs")));
    const bool done = waitFor(
        [&] { return b.session()->files().model().receivedRows().size() == 2 && !b.session()->files().isReceiving(); },
        15000);
    ASSERT_TRUE(done) << b.historyText().toStdString();
    EXPECT_EQ(TestEnv::readAll(into + QStringLiteral("/docs/a.txt")), bytes(3000, 'a'));
    EXPECT_EQ(TestEnv::readAll(into + QStringLiteral("/docs/sub/b.bin")), bytes(70000, 'b'));
    EXPECT_EQ(TestEnv::readAll(into + QStringLiteral("/c.dat")), bytes(12345, 'c'));
    EXPECT_FALSE(QFileInfo::exists(into + QStringLiteral("/docs/link.txt")));
}

TEST(Shares, ListRequestsAreResentAndGivenUp)
{
    Side a(QStringLiteral("ann"));
    Side b(QStringLiteral("ben"));
    a.meet(b);
    b.meet(a);
    // Nobody on Ben's side answers shares: the request goes out once and is
    // resent four times (counter values 0 to 3), then the history says so.
    ChatShares &shares = a.session()->shares();
    auto *button = a.window->findChild<QAbstractButton *>(QStringLiteral("1031"));
    ASSERT_NE(button, nullptr);
    button->click();
    EXPECT_TRUE(shares.waiting());
    ASSERT_TRUE(waitFor([&] { return !shares.waiting(); }, 5000));
    EXPECT_EQ(std::count(b.dispatched.begin(), b.dispatched.end(), CMD_GET_SHARE_LIST), 5);
    EXPECT_TRUE(a.historyText().contains(u("请求共享文件信息失败")));

    // "监视" of the file panel asks the program for the transfer monitor.
    QSignalSpy monitor(a.window.data(), &CChatDlg::transferMonitorRequested);
    auto *watch = a.window->findChild<QAbstractButton *>(QStringLiteral("1049"));
    ASSERT_NE(watch, nullptr);
    watch->click();
    EXPECT_EQ(monitor.count(), 1);
}

// A granted download whose offer does not fit a packet opens no box (the
// peer asked, not the user): it is counted, and said in the history once in
// the interval however often the peer asks.
TEST(Shares, ADownloadThatCannotBeSentWaitsOnNoOne)
{
    ScriptedPrompter prompter;
    PrompterScope scope(prompter);
    Side a(QStringLiteral("amy"));
    Side b(QStringLiteral("bob"));
    a.meet(b);
    b.meet(a);
    QSignalSpy refused(a.engine.get(), &MessengerEngine::refused);
    const QString root = TestEnv::freshDir(QStringLiteral("amy-many"));
    QStringList paths;
    for (int i = 0; i < 200; ++i) {
        paths << root + QStringLiteral("/%1-a-rather-long-name-of-a-shared-file-that-fills-the-list.dat").arg(i);
        TestEnv::writeAll(paths.last(), "x");
    }
    ChatShares &shares = a.session()->shares();
    EXPECT_FALSE(shares.ServeShareDownload(paths));
    EXPECT_FALSE(shares.ServeShareDownload(paths));
    EXPECT_TRUE(prompter.calls().isEmpty());
    const QString history = a.historyText();
    EXPECT_EQ(history.count(ChatShares::ServeRefusedText(QString())), 1) << history.toStdString();
    ASSERT_EQ(refused.size(), 2);
    EXPECT_EQ(refused.at(0).at(0).value<PeerRefusal>(), PeerRefusal::ShareUnsent);
}
