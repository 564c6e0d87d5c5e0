// The shared-file dialogs and the transfer monitor: what they list, keep,
// refuse and send, driven through their buttons with scripted message boxes.
#include "TestEnv.h"
#include "chat/shares/CAllSharedFilesDlg.h"
#include "chat/shares/CShareBrowseDlg.h"
#include "chat/shares/CSharePasswordDlg.h"
#include "chat/shares/CSharePasswordInputDlg.h"
#include "chat/shares/CShareSettingsDlg.h"
#include "chat/shares/CTransferMonitorDlg.h"
#include "chat/shares/ShareListWidget.h"
#include "core/CConfig.h"
#include "core/Password.h"
#include "net/CFileOfferTable.h"
#include "net/FileServer.h"
#include "net/ShareService.h"
#include "platform/ScriptedPrompter.h"

#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QInputMethodEvent>
#include <QDropEvent>
#include <QLineEdit>
#include <QMimeData>
#include <QPushButton>
#include <QSignalSpy>
#include <QItemSelectionModel>
#include <QTreeView>
#include <QTreeWidget>
#include <QUrl>
#include <gtest/gtest.h>

namespace {

QString u(const char *s)
{
    return QString::fromUtf8(s);
}

void click(QWidget *dialog, int id)
{
    auto *button = dialog->findChild<QPushButton *>(QString::number(id));
    ASSERT_NE(button, nullptr) << id;
    button->click();
}

QString lastMessage(const ScriptedPrompter &p)
{
    return p.calls().isEmpty() ? QString() : p.calls().last().text;
}

struct ShareDialogs : ::testing::Test
{
    ShareDialogs()
        : dir(TestEnv::freshDir(QString::fromLatin1(::testing::UnitTest::GetInstance()->current_test_info()->name())))
        , config(dir + QStringLiteral("/kwel.ini"))
    {
    }
    QString file(const QString &name)
    {
        TestEnv::writeAll(dir + QLatin1Char('/') + name, name.toUtf8());
        return QFileInfo(dir + QLatin1Char('/') + name).canonicalFilePath();
    }
    ScriptedPrompter prompter;
    PrompterScope scope { prompter };
    QString dir;
    CConfig config;
};

const QString kList = u("3::a.txt::1::123::2008-01-02 08:05:00||9::报告::0::0::2008-01-02 17:30:59||"
                        "7::broken::1::123");

} // namespace
TEST_F(ShareDialogs, SettingsKeepOneRowPerPathAndDropWhatIsGone)
{
    const QString a = file(QStringLiteral("a.txt"));
    const QString gone = file(QStringLiteral("gone.txt"));
    QDir(dir).mkdir(QStringLiteral("docs"));
    config.FileShareInfo = ShareList::BuildStored({ { 1, a }, { 2, gone }, { 3, a } });
    config.FileShareNo = 3;
    ASSERT_TRUE(QFile::remove(gone));

    CShareSettingsDlg dlg(&config);
    ASSERT_EQ(dlg.list()->topLevelItemCount(), 1) << "the deleted file and the repeat are gone";
    EXPECT_EQ(dlg.list()->topLevelItem(0)->text(3), a);

    // The same path by button and by dropping: one row, one id.
    prompter.queueOpenFiles({ a, dir + QStringLiteral("/docs") });
    click(&dlg, 1146);
    QMimeData mime;
    mime.setUrls(
        { QUrl::fromLocalFile(dir + QStringLiteral("/docs")), QUrl::fromLocalFile(dir + QStringLiteral("/nope")) });
    QDropEvent drop(QPointF(5, 5), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(&dlg, &drop);
    ASSERT_EQ(dlg.list()->topLevelItemCount(), 2);
    EXPECT_EQ(dlg.list()->topLevelItem(1)->text(1), u("目录"));
    EXPECT_EQ(dlg.model().records()[1].id, 4);
    EXPECT_EQ(config.FileShareNo, 4);

    // A path the list cannot hold is refused with a message, not stored broken.
    QDir(dir).mkdir(QStringLiteral("x::y"));
    prompter.queueFolder(dir + QStringLiteral("/x::y"));
    click(&dlg, 1145);
    EXPECT_EQ(dlg.list()->topLevelItemCount(), 2);
    EXPECT_TRUE(lastMessage(prompter).contains(QStringLiteral("x::y")));

    // Deleting: nothing checked, then "否", then "是".
    click(&dlg, 1147);
    EXPECT_EQ(lastMessage(prompter), u("您还没有选择要从列表中删除的文件(夹)"));
    dlg.list()->SetChecked(0, true);
    prompter.queueButton(Prompter::Button::No);
    click(&dlg, 1147);
    EXPECT_EQ(lastMessage(prompter), u("您是否真有要从列表中删除选择的这 1 个文件(夹)?"));
    EXPECT_EQ(dlg.list()->topLevelItemCount(), 2);
    prompter.queueButton(Prompter::Button::Yes);
    click(&dlg, 1147);
    ASSERT_EQ(dlg.list()->topLevelItemCount(), 1);

    click(&dlg, 1006);
    EXPECT_EQ(lastMessage(prompter), u("设置成功！"));
    EXPECT_EQ(dlg.result(), QDialog::Accepted);
    const auto stored = ShareList::ParseStored(config.FileShareInfo);
    ASSERT_EQ(stored.size(), 1u);
    EXPECT_EQ(stored[0].id, 4);
    EXPECT_EQ(stored[0].path, QFileInfo(dir + QStringLiteral("/docs")).canonicalFilePath());
}

TEST_F(ShareDialogs, SettingsThatCannotBeWrittenKeepTheDialogOpen)
{
    const QString a = file(QStringLiteral("a.txt"));
    CShareSettingsDlg dlg(&config);
    dlg.show();
    ASSERT_EQ(dlg.AddPaths({ a }), 1);
    // A folder where the settings file should be: nothing can replace it.
    ASSERT_TRUE(QDir(dir).mkpath(QStringLiteral("kwel.ini/held")));
    click(&dlg, 1006);
    EXPECT_TRUE(lastMessage(prompter).startsWith(u("设置失败！"))) << lastMessage(prompter).toStdString();
    EXPECT_TRUE(lastMessage(prompter).contains(QStringLiteral("kwel.ini")));
    EXPECT_EQ(prompter.calls().last().icon, Prompter::Icon::Warning);
    EXPECT_TRUE(dlg.isVisible());
    EXPECT_TRUE(config.FileShareInfo.isEmpty()) << "peers are not offered a list the file does not hold";

    // Once the file can be written the same list is stored.
    ASSERT_TRUE(QDir(dir + QStringLiteral("/kwel.ini")).removeRecursively());
    click(&dlg, 1006);
    EXPECT_EQ(lastMessage(prompter), u("设置成功！"));
    EXPECT_EQ(dlg.result(), QDialog::Accepted);
    CConfig reread(dir + QStringLiteral("/kwel.ini"));
    ASSERT_TRUE(reread.Load());
    const auto stored = ShareList::ParseStored(reread.FileShareInfo);
    ASSERT_EQ(stored.size(), 1u);
    EXPECT_EQ(stored[0].path, a);
}

TEST_F(ShareDialogs, PasswordChangeAsksForTheOldOneOnlyWhenSet)
{
    {
        CSharePasswordDlg dlg(&config);
        EXPECT_TRUE(dlg.oldBox()->isReadOnly()) << "no password stored";
        dlg.newBox()->setText(u("密码"));
        dlg.againBox()->setText(u("密马"));
        click(&dlg, 1);
        EXPECT_EQ(lastMessage(prompter), u("两次新密码输入不一致，请重新输入！"));
        EXPECT_NE(dlg.result(), QDialog::Accepted);
        dlg.againBox()->setText(u("密码"));
        click(&dlg, 1);
        EXPECT_EQ(lastMessage(prompter), u("密码修改成功！"));
        EXPECT_EQ(config.FileSharePwd, ScrambleForField(u("密码")).value());
    }
    CSharePasswordDlg dlg(&config);
    EXPECT_FALSE(dlg.oldBox()->isReadOnly());
    EXPECT_EQ(dlg.oldBox()->maxLength(), 48);
    dlg.oldBox()->setText(u("密吗"));
    click(&dlg, 1);
    EXPECT_EQ(lastMessage(prompter), u("旧密码输入错误，请重新输入！"));
    // Characters above 127 verify: the typed text is scrambled, not the stored one undone.
    dlg.oldBox()->setText(u("密码"));
    click(&dlg, 1);
    EXPECT_EQ(lastMessage(prompter), u("密码修改成功！"));
    EXPECT_TRUE(ShareService::PasswordSet(config) == false) << "an empty new password removes the protection";
}

TEST_F(ShareDialogs, APasswordThatCannotBeSavedIsNotTakenAndTheDialogStays)
{
    config.FileSharePwd = ScrambleForField(u("旧的")).value();
    CSharePasswordDlg dlg(&config);
    dlg.show();
    dlg.oldBox()->setText(u("旧的"));
    dlg.newBox()->setText(u("新的"));
    dlg.againBox()->setText(u("新的"));
    ASSERT_TRUE(QDir(dir).mkpath(QStringLiteral("kwel.ini/held")));
    click(&dlg, 1);
    EXPECT_TRUE(lastMessage(prompter).startsWith(u("密码修改失败！"))) << lastMessage(prompter).toStdString();
    EXPECT_TRUE(lastMessage(prompter).contains(QStringLiteral("kwel.ini")));
    EXPECT_EQ(config.FileSharePwd, ScrambleForField(u("旧的")).value()) << "peers are still asked for the old one";
    EXPECT_TRUE(dlg.isVisible());
    EXPECT_EQ(dlg.newBox()->text(), u("新的"));

    ASSERT_TRUE(QDir(dir + QStringLiteral("/kwel.ini")).removeRecursively());
    click(&dlg, 1);
    EXPECT_EQ(lastMessage(prompter), u("密码修改成功！"));
    EXPECT_EQ(dlg.result(), QDialog::Accepted);
    CConfig reread(dir + QStringLiteral("/kwel.ini"));
    ASSERT_TRUE(reread.Load());
    EXPECT_EQ(reread.FileSharePwd, ScrambleForField(u("新的")).value());
}

// A share password keeps the characters it was typed with. The boxes refuse
// what GBK cannot carry as it is typed or pasted ("🔒🔒🔒" would be stored
// as the "???" anyone can type); a password that holds such a character
// anyway is not stored (a failure, the old one stays), and never verifies.
TEST_F(ShareDialogs, PasswordsKeepOnlyWhatGbkCarries)
{
    CSharePasswordDlg dlg(&config);
    CSharePasswordInputDlg input(u("li"));
    for (QLineEdit *box : { dlg.oldBox(), dlg.newBox(), dlg.againBox(), input.passwordBox() }) {
        box->setReadOnly(false);
        QGuiApplication::clipboard()->setText(u("🔒密🔒"));
        box->paste();
        QInputMethodEvent ime;
        ime.setCommitString(u("码👍"));
        QApplication::sendEvent(box, &ime);
        EXPECT_EQ(box->text(), u("密码")) << box->objectName().toStdString();
    }

    config.FileSharePwd = ScrambleForField(u("旧的")).value();
    dlg.oldBox()->setText(u("旧的"));
    dlg.newBox()->setText(u("🔒🔒🔒"));
    dlg.againBox()->setText(u("🔒🔒🔒"));
    click(&dlg, 1);
    EXPECT_EQ(lastMessage(prompter), CSharePasswordDlg::UnstorableText());
    EXPECT_EQ(prompter.calls().last().icon, Prompter::Icon::Warning);
    EXPECT_NE(dlg.result(), QDialog::Accepted);
    EXPECT_EQ(config.FileSharePwd, ScrambleForField(u("旧的")).value()) << "peers are still asked for the old one";

    EXPECT_FALSE(ScrambleForField(u("🔒🔒🔒")).has_value());
    EXPECT_FALSE(ScrambleForField(u("ab\u00a0")).has_value()) << "a no-break space is no space to a peer";
    const QByteArray questionMarks = ScrambleForField(u("???")).value();
    EXPECT_TRUE(VerifyScrambledPassword(u("???"), questionMarks));
    EXPECT_FALSE(VerifyScrambledPassword(u("🔒🔒🔒"), questionMarks));
}

TEST_F(ShareDialogs, BrowseBuildsTheRequestOfTheCheckedRows)
{
    CShareBrowseDlg plain(QString(), kList, {});
    ASSERT_EQ(plain.list()->topLevelItemCount(), 2) << "the entry of four fields is skipped";
    EXPECT_EQ(plain.list()->topLevelItem(0)->text(2), QStringLiteral("1KB"));
    EXPECT_EQ(plain.list()->topLevelItem(1)->text(2), QString()) << "a folder of size 0 shows none";
    EXPECT_EQ(plain.list()->topLevelItem(1)->text(3), QStringLiteral("2008-01-02 17:30:59"));
    click(&plain, 1006);
    EXPECT_EQ(lastMessage(prompter), ShareRows::NothingChosenText());
    EXPECT_NE(plain.result(), QDialog::Accepted);
    click(&plain, 1150);
    click(&plain, 1006);
    EXPECT_EQ(plain.requestText(), QByteArray("3_08:05;9_17:30"));

    CShareBrowseDlg guarded(QString(), kList, "pw");
    guarded.list()->SetChecked(1, true);
    click(&guarded, 1006);
    EXPECT_EQ(guarded.requestText(), QByteArray("pw||9_17:30"));

    CSharePasswordInputDlg input(u("用户名:li(主机:pc)IP地址:10.0.0.2"));
    EXPECT_EQ(input.passwordBox()->maxLength(), 48);
    EXPECT_EQ(input.windowTitle(), u("用户名:li(主机:pc)IP地址:10.0.0.2"));
}

TEST_F(ShareDialogs, AllSharedFilesAsksEachPeerForItsRowsAndCloses)
{
    auto *dlg = new CAllSharedFilesDlg;
    dlg->setAttribute(Qt::WA_DeleteOnClose);
    QPointer<CAllSharedFilesDlg> guard(dlg);
    QSignalSpy asked(dlg, &CAllSharedFilesDlg::downloadRequested);
    dlg->ApplyShareList(kList, QString(2000, u'x'), 0x0A000002);
    dlg->ApplyShareList(u("5::c.doc::1::9::2010-05-06 07:08:09"), u("li"), 0x0A000003);
    ASSERT_EQ(dlg->list()->topLevelItemCount(), 3);
    EXPECT_EQ(dlg->records()[0].peer.size(), CAllSharedFilesDlg::kPeerTextChars);
    click(dlg, 1006);
    EXPECT_EQ(asked.count(), 0);
    dlg->list()->SetChecked(0, true);
    dlg->list()->SetChecked(2, true);
    dlg->list()->SetChecked(1, true);
    click(dlg, 1006);
    ASSERT_EQ(asked.count(), 2);
    EXPECT_EQ(asked[0][0].toUInt(), 0x0A000002u);
    EXPECT_EQ(asked[0][1].toByteArray(), QByteArray("3_08:05;9_17:30"));
    EXPECT_EQ(asked[1][1].toByteArray(), QByteArray("5_07:08"));
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(guard.isNull()) << "the window goes after sending";
}

namespace {

QString cell(const CTransferMonitorDlg &monitor, int row, int column)
{
    return monitor.model().index(row, column).data().toString();
}

void selectRow(CTransferMonitorDlg &monitor, int row)
{
    monitor.list()->selectionModel()->select(
        monitor.model().index(row, 0), QItemSelectionModel::Select | QItemSelectionModel::Rows);
}

} // namespace

TEST(TransferMonitor, RowsFollowOffersStatesAndProgress)
{
    const QString dir = TestEnv::freshDir(QStringLiteral("monitor"));
    TestEnv::writeAll(dir + QStringLiteral("/one.txt"), QByteArray(2048, 'x'));
    TestEnv::writeAll(dir + QStringLiteral("/two.txt"), QByteArray(10, 'y'));
    CFileOfferTable table;
    FileOffer *offer = table.CreateOffer(77);
    const quint32 one = *table.AddEntry(offer, dir + QStringLiteral("/one.txt"));
    const quint32 two = *table.AddEntry(offer, dir + QStringLiteral("/two.txt"));
    std::vector<HostPtr> peers;
    for (quint32 i = 1; i <= 3; ++i) {
        HostPtr h(new HostRecord);
        h->key = HostKey(QStringLiteral("u"), QStringLiteral(" pc%1 ").arg(i), 0x0A000000 + i, 2425);
        h->displayName = QStringLiteral("peer%1").arg(i);
        peers.push_back(h);
    }
    table.SetRecipients(offer, peers);
    FileServer server(&table);
    CTransferMonitorDlg monitor(table, &server, nullptr);
    EXPECT_FALSE(monitor.AddTransfer()) << "hidden: nothing happens";
    monitor.ShowRestored();
    ASSERT_EQ(monitor.model().rowCount(), 6);
    EXPECT_EQ(cell(monitor, 0, 1), QStringLiteral("one.txt"));
    EXPECT_EQ(cell(monitor, 0, 2), u("2 KB(文件)"));
    EXPECT_EQ(cell(monitor, 0, 3), u("等待对方接收"));
    EXPECT_EQ(cell(monitor, 0, 4), QStringLiteral("peer1(pc1) "));

    // Progress: clamped, and drawn from a snapshot of the send.
    TransferState state;
    state.packetNumber = 77;
    state.fileId = one;
    state.address = 0x0A000002;
    state.port = 2425;
    state.bytesDone = 1024;
    state.bytesTotal = 2048;
    const MonitorProgress p = TransferMonitorModel::ProgressOf(state);
    EXPECT_EQ(p.percent, 50);
    state.bytesDone = 5000; // the file grew under way
    EXPECT_EQ(TransferMonitorModel::ProgressOf(state).percent, 100);
    EXPECT_TRUE(monitor.SetProgress(p.key, p.text, 250));
    EXPECT_EQ(monitor.model().rows()[2].progress, 100);
    EXPECT_EQ(monitor.model().index(2, 3).data(CTransferMonitorDlg::ProgressRole).toInt(), 100);
    EXPECT_FALSE(monitor.SetProgress(CFileOfferTable::TransferKey(78, one, 0x0A000002, 2425), p.text, 5))
        << "another offer's entry with the same file id has no row";
    // The file server's reports reach the row of their offer, entry and peer.
    state.fileId = two;
    state.bytesDone = 3;
    state.bytesTotal = 10;
    emit server.transferProgress(state);
    EXPECT_EQ(monitor.model().rows()[3].progress, 30);
    EXPECT_EQ(cell(monitor, 3, 3), TransferMonitorModel::ProgressOf(state).text);

    // A peer receiving keeps the whole offer on "删除".
    table.SetTransferStatus(77, one, 0x0A000002, 2425, TransferReceiving);
    EXPECT_EQ(cell(monitor, 2, 3), u("对方正在接收..."));
    selectRow(monitor, 0);
    click(&monitor, 1);
    EXPECT_EQ(monitor.model().rowCount(), 6);

    // Received pairs vanish at the next rebuild.
    table.SetTransferStatus(77, one, 0x0A000002, 2425, TransferReceived);
    table.SetTransferStatus(77, two, 0x0A000002, 2425, TransferReceived);
    monitor.AddTransfer();
    EXPECT_EQ(monitor.model().rowCount(), 4);

    // Removing row 2: the keys below move up, the numbers stay.
    const QString second = monitor.model().rows()[1].key;
    const QString third = monitor.model().rows()[2].key;
    EXPECT_TRUE(monitor.RemoveTransfer(second));
    EXPECT_EQ(monitor.model().RowOf(third), 1);
    EXPECT_EQ(cell(monitor, 1, 0), QStringLiteral("3"));

    // Closing hides; "删除" with nothing received withdraws the offer.
    monitor.close();
    EXPECT_FALSE(monitor.isVisible());
    monitor.ShowRestored();
    selectRow(monitor, 0);
    click(&monitor, 1);
    EXPECT_EQ(table.FindOffer(77), nullptr);
    EXPECT_EQ(monitor.model().rowCount(), 0);
}

TEST(TransferMonitor, AChangeRedrawsItsOwnRowsOnly)
{
    const QString dir = TestEnv::freshDir(QStringLiteral("monitor-rows"));
    TestEnv::writeAll(dir + QStringLiteral("/a.txt"), "a");
    TestEnv::writeAll(dir + QStringLiteral("/b.png"), "b");
    CFileOfferTable table;
    auto offer = [&](quint32 number, const std::vector<quint32> &addresses) {
        FileOffer *o = table.CreateOffer(number);
        table.AddEntry(o, dir + QStringLiteral("/a.txt"));
        table.AddEntry(o, dir + QStringLiteral("/b.png"));
        std::vector<HostPtr> peers;
        for (quint32 a : addresses) {
            HostPtr h(new HostRecord);
            h->key = HostKey(QStringLiteral("u"), QStringLiteral("pc"), a, 2425);
            peers.push_back(h);
        }
        table.SetRecipients(o, peers);
        return o;
    };
    offer(1, { 0x0A000001, 0x0A000002 });
    CTransferMonitorDlg monitor(table, nullptr, nullptr);
    monitor.ShowRestored();
    const TransferMonitorModel &model = monitor.model();
    ASSERT_EQ(model.rowCount(), 4);
    QSignalSpy reset(&model, &QAbstractItemModel::modelReset);
    QSignalSpy inserted(&model, &QAbstractItemModel::rowsInserted);
    QSignalSpy removed(&model, &QAbstractItemModel::rowsRemoved);
    QSignalSpy changed(&model, &QAbstractItemModel::dataChanged);

    // A new offer: its rows are inserted behind the others, numbered on.
    offer(2, { 0x0A000003 });
    EXPECT_EQ(model.rowCount(), 6);
    ASSERT_FALSE(inserted.isEmpty());
    EXPECT_EQ(inserted.last()[1].toInt(), 4);
    EXPECT_EQ(cell(monitor, 5, 0), QStringLiteral("6"));
    // A progress report changes one cell.
    const QString key = model.rows()[4].key;
    EXPECT_TRUE(monitor.SetProgress(key, QStringLiteral("50%"), 50));
    ASSERT_EQ(changed.count(), 1);
    EXPECT_EQ(changed[0][0].toModelIndex().row(), 4);
    EXPECT_EQ(changed[0][1].toModelIndex().row(), 4);
    // The first offer loses a peer: the rows of the second move up and keep
    // their progress and numbers.
    table.ReleaseOffer(1, 0x0A000001, 2425);
    EXPECT_EQ(model.rowCount(), 4);
    EXPECT_EQ(model.RowOf(key), 2);
    EXPECT_EQ(model.rows()[2].progress, 50);
    EXPECT_EQ(cell(monitor, 2, 0), QStringLiteral("5"));
    // An offer that goes takes its rows only.
    table.RemoveOffer(table.FindOffer(1));
    EXPECT_EQ(model.rowCount(), 2);
    EXPECT_EQ(model.RowOf(key), 0);
    EXPECT_EQ(reset.count(), 0) << "nothing rebuilt all rows";
    EXPECT_GE(removed.count(), 2);

    // The icons come once per type: every row of a type shares one.
    const QIcon first = model.index(0, 1).data(Qt::DecorationRole).value<QIcon>();
    offer(3, { 0x0A000004 });
    const int last = model.rowCount() - 2; // a.txt of the new offer
    EXPECT_EQ(cell(monitor, last, 1), QStringLiteral("a.txt"));
    EXPECT_EQ(model.index(last, 1).data(Qt::DecorationRole).value<QIcon>().cacheKey(), first.cacheKey());

    // Hidden, the monitor follows nothing; shown again it starts afresh.
    monitor.close();
    offer(4, { 0x0A000005 });
    EXPECT_EQ(model.rowCount(), 4);
    monitor.ShowRestored();
    EXPECT_EQ(model.rowCount(), 6);
    EXPECT_EQ(cell(monitor, 0, 0), QStringLiteral("1"));
}
