#include "ReceiveTestKit.h"
#include "TestEnv.h"
#include "core/Gbk.h"
#include "net/CFileOfferTable.h"
#include "net/FileServer.h"
#include "net/FolderHeader.h"
#include "net/HostRecord.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

#include <arpa/inet.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

quint32 mtimeOf(const QString &path)
{
    struct stat st;
    return ::lstat(QFile::encodeName(path).constData(), &st) == 0 ? quint32(st.st_mtime) : 0;
}

} // namespace

TEST_F(Receiving, SingleFilesOfEverySizeArriveWhole)
{
    const QList<qsizetype> sizes { 0, 1, 4095, 4096, 4097 };
    ScriptedSender sender([&](int fd, const FileRequest &r) { SendAll(fd, Pattern(sizes[int(r.fileId)], 1)); });
    for (int i = 0; i < sizes.size(); ++i) {
        receiver->Receive(job(sender, QStringLiteral("f%1.bin").arg(i), quint64(sizes[i]), quint32(i)));
        ASSERT_TRUE(waitBatches(i + 1));
        const QString path = save + QStringLiteral("/f%1.bin").arg(i);
        EXPECT_EQ(TestEnv::readAll(path), Pattern(sizes[i], 1)) << sizes[i];
        EXPECT_EQ(mtimeOf(path), kTime);
        EXPECT_TRUE(lines.last().startsWith(QStringLiteral("文件接收完成。总共大小: ")));
        EXPECT_TRUE(lines.last().endsWith(QStringLiteral("秒  共1个文件:f%1.bin").arg(i))) << lines.last().toStdString();
    }
    EXPECT_EQ(TreeOf(save).size(), sizes.size()); // no partial file left
    const auto requests = sender.requests();
    ASSERT_EQ(requests.size(), size_t(sizes.size()));
    EXPECT_TRUE(!requests[4].folder && requests[4].packetNumber == kPacket && requests[4].fileId == 4
        && requests[4].offset == 0);
    EXPECT_TRUE(boxes.isEmpty());
}

// A large file stays under a partial name until it is complete, then
// replaces the existing file in one rename; a ".kwq" file of the user's is
// neither used nor deleted.
TEST_F(Receiving, LargeFileReplacesTheOldOneOnlyWhenComplete)
{
    constexpr qsizetype kBlock = 1 << 20;
    constexpr int kBlocks = 200;
    limits.bufferBytes = 65536;
    receiver->setLimits(limits);
    auto block = [](int i) {
        QByteArray b = Pattern(kBlock);
        b[0] = char(i);
        return b;
    };
    QCryptographicHash sent(QCryptographicHash::Sha256);
    for (int i = 0; i < kBlocks; ++i)
        sent.addData(block(i));
    ScriptedSender sender([&](int fd, const FileRequest &) {
        for (int i = 0; i < kBlocks; ++i) {
            if (i == kBlocks / 2)
                sender.hold();
            if (!SendAll(fd, block(i)))
                return;
        }
    });
    const QString target = save + QStringLiteral("/big.bin");
    ASSERT_TRUE(TestEnv::writeAll(target, "old"));
    ASSERT_TRUE(TestEnv::writeAll(target + QStringLiteral(".kwq"), "mine"));
    FileReceiveJob j = job(sender, QStringLiteral("big.bin"), quint64(kBlock) * kBlocks, 7);
    j.entry.attributes |= kReadOnlyAttribute;
    receiver->Receive(j);

    // Halfway: the data go to a partial file of their own.
    QString partial;
    for (QDeadlineTimer deadline(30000); partial.isEmpty() && !deadline.hasExpired();) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        for (const QString &name : TreeOf(save))
            if (name.startsWith(QStringLiteral("big.bin.")) && name != QStringLiteral("big.bin.kwq")
                && QFileInfo(save + u'/' + name).size() >= kBlock * kBlocks / 2 - limits.bufferBytes)
                partial = name;
    }
    ASSERT_TRUE(partial.endsWith(QStringLiteral(".kwq")));
    EXPECT_EQ(TestEnv::readAll(target), "old");
    sender.release();
    ASSERT_TRUE(waitBatches(1));

    QFile received(target);
    ASSERT_TRUE(received.open(QIODevice::ReadOnly));
    QCryptographicHash hash(QCryptographicHash::Sha256);
    hash.addData(&received);
    EXPECT_EQ(hash.result(), sent.result());
    EXPECT_EQ(mtimeOf(target), kTime);
    EXPECT_FALSE(QFileInfo(target).permissions() & (QFile::WriteOwner | QFile::WriteGroup | QFile::WriteOther));
    EXPECT_EQ(TestEnv::readAll(target + QStringLiteral(".kwq")), "mine");
    EXPECT_EQ(TreeOf(save), QStringList({ QStringLiteral("big.bin"), QStringLiteral("big.bin.kwq") }));
    EXPECT_TRUE(lines.last().contains(QStringLiteral("总共大小: 200.0MB")));
}

TEST_F(Receiving, FolderTreeWithEmptyItemsAndOddNames)
{
    const QString gbkName = QString::fromUtf8("塡淺.txt"); // GBK trail bytes 0x5C
    ASSERT_TRUE(Gbk::encode(gbkName).contains('\\'));
    // A ':' that a peer writes "::" is stored as ';'.
    const QByteArray doubled = "001a:a::b:3:1:14=5f5e1000:";
    const QByteArray stream = Header(QStringLiteral("sent-name"), 0, FILE_ATTR_FOLDER, 0x5F000000)
        + doubled + "abc"
        + Header(gbkName, 5000, FILE_ATTR_REGULAR) + Pattern(5000, 3) + Header(QStringLiteral("empty"), 0, 1)
        + Header(QStringLiteral("emptydir"), 0, FILE_ATTR_FOLDER) + Header(QStringLiteral("."), 0, 3, 0x5F000100)
        + Header(QStringLiteral("sub"), 0, FILE_ATTR_FOLDER) + Header(QStringLiteral("deeper"), 0, FILE_ATTR_FOLDER)
        + Header(QStringLiteral("z"), 2, FILE_ATTR_REGULAR) + "zz" + Header(QStringLiteral("."), 0, 3)
        + Header(QStringLiteral("."), 0, 3) + Header(QStringLiteral("."), 0, 3, 0x5F000000);
    ASSERT_EQ(ParseFolderHeaderLength(doubled), doubled.size());
    ScriptedSender sender([&](int fd, const FileRequest &) { SendAll(fd, stream); });
    receiver->Receive(job(sender, QStringLiteral("tree"), 0, 9, FILE_ATTR_FOLDER));
    ASSERT_TRUE(waitBatches(1));

    EXPECT_EQ(TreeOf(save),
        QStringList({ QStringLiteral("tree/"), QStringLiteral("tree/a;b"), QStringLiteral("tree/empty"),
            QStringLiteral("tree/emptydir/"), QStringLiteral("tree/sub/"), QStringLiteral("tree/sub/deeper/"),
            QStringLiteral("tree/sub/deeper/z"), QStringLiteral("tree/") + gbkName }));
    EXPECT_EQ(TestEnv::readAll(save + QStringLiteral("/tree/a;b")), "abc");
    EXPECT_EQ(TestEnv::readAll(save + QStringLiteral("/tree/") + gbkName), Pattern(5000, 3));
    EXPECT_EQ(mtimeOf(save + QStringLiteral("/tree")), 0x5F000000u);
    EXPECT_EQ(mtimeOf(save + QStringLiteral("/tree/emptydir")), 0x5F000100u);
    EXPECT_EQ(mtimeOf(save + QStringLiteral("/tree/sub/deeper/z")), 0x5F5E1000u);
    EXPECT_TRUE(sender.requests().at(0).folder);
    EXPECT_TRUE(lines.last().endsWith(QStringLiteral("秒  共4个文件"))) << lines.last().toStdString();
}

// A folder is filled under a partial name and takes its own in one rename
// when the receive ends; its files are made under their final names inside
// it. What arrived of a failed folder stays under the folder's name without
// the file that broke off (receive-all keeps that one as a partial file), and
// a name taken meanwhile is never replaced.
TEST_F(Receiving, FolderTakesItsNameOnlyWhenTheReceiveEnds)
{
    auto folder = [](const char *name, quint32 mtime = kTime) {
        return Header(QString::fromUtf8(name), 0, FILE_ATTR_FOLDER, mtime);
    };
    auto file = [](const char *name, const QByteArray &data) -> QByteArray {
        return Header(QString::fromUtf8(name), quint64(data.size()), FILE_ATTR_REGULAR) + data;
    };
    const QByteArray up = Header(QStringLiteral("."), 0, FILE_ATTR_PARENT);
    const QByteArray head = folder("x") + file("a", "abc") + folder("sub") + file("b", "bb");
    const QByteArray rest = up + Header(QStringLiteral("."), 0, FILE_ATTR_PARENT, 0x5F000000);
    auto waitFor = [&](const QString &entry) -> QString {
        for (QDeadlineTimer deadline(10000); !deadline.hasExpired(); QCoreApplication::processEvents(QEventLoop::AllEvents, 20))
            for (const QString &e : TreeOf(save))
                if (e.endsWith(entry))
                    return e;
        return QString();
    };

    // "tree.kwq" is a file of the user's: the partial folder takes another name.
    ASSERT_TRUE(TestEnv::writeAll(save + QStringLiteral("/tree.kwq"), "mine"));
    ScriptedSender sender([&](int fd, const FileRequest &) {
        SendAll(fd, head);
        sender.hold();
        SendAll(fd, rest);
    });
    receiver->Receive(job(sender, QStringLiteral("tree"), 0, 1, FILE_ATTR_FOLDER));
    const QString b = waitFor(QStringLiteral("/sub/b"));
    EXPECT_TRUE(b.startsWith(QStringLiteral("tree.")) && b.endsWith(QStringLiteral(".kwq/sub/b"))
        && !b.startsWith(QStringLiteral("tree.kwq/"))) << b.toStdString();
    EXPECT_FALSE(QFileInfo::exists(save + QStringLiteral("/tree")));
    sender.release();
    ASSERT_TRUE(waitBatches(1));
    EXPECT_EQ(TreeOf(save), QStringList({ QStringLiteral("tree.kwq"), QStringLiteral("tree/"), QStringLiteral("tree/a"),
        QStringLiteral("tree/sub/"), QStringLiteral("tree/sub/b") }));
    EXPECT_EQ(TestEnv::readAll(save + QStringLiteral("/tree/sub/b")), "bb");
    EXPECT_EQ(mtimeOf(save + QStringLiteral("/tree")), 0x5F000000u);
    EXPECT_EQ(mtimeOf(save + QStringLiteral("/tree/a")), kTime);
    EXPECT_EQ(TestEnv::readAll(save + QStringLiteral("/tree.kwq")), "mine");

    // Broken off inside a file: the folder keeps what is whole.
    ScriptedSender cut([&](int fd, const FileRequest &) {
        SendAll(fd, QByteArray(head + Header(QStringLiteral("c"), 10000, FILE_ATTR_REGULAR) + Pattern(6000)));
    });
    receiver->Receive(job(cut, QStringLiteral("one"), 0, 2, FILE_ATTR_FOLDER));
    ASSERT_TRUE(waitBatches(2));
    receiver->ReceiveAll({ job(cut, QStringLiteral("all"), 0, 3, FILE_ATTR_FOLDER) });
    ASSERT_TRUE(waitBatches(3));
    EXPECT_EQ(lines.last(), QStringLiteral("文件传送错误!"));
    const QStringList tree = TreeOf(save);
    EXPECT_EQ(tree.filter(QRegularExpression(QStringLiteral("^one"))),
        QStringList({ QStringLiteral("one/"), QStringLiteral("one/a"), QStringLiteral("one/sub/"), QStringLiteral("one/sub/b") }));
    EXPECT_EQ(tree.filter(QRegularExpression(QStringLiteral("^all"))),
        QStringList({ QStringLiteral("all/"), QStringLiteral("all/a"), QStringLiteral("all/sub/"), QStringLiteral("all/sub/b"),
            QStringLiteral("all/sub/c.kwq") }));
    const QByteArray kept = TestEnv::readAll(save + QStringLiteral("/all/sub/c.kwq"));
    EXPECT_TRUE(!kept.isEmpty() && Pattern(6000).startsWith(kept)) << kept.size();

    // The name is taken while the folder arrives: the folder keeps its partial
    // name and the user is told which folder to rename.
    QDir(save).removeRecursively();
    QDir().mkpath(save);
    lines.clear();
    ScriptedSender late([&](int fd, const FileRequest &) {
        SendAll(fd, head);
        late.hold();
        SendAll(fd, rest);
    });
    receiver->Receive(job(late, QStringLiteral("late"), 0, 4, FILE_ATTR_FOLDER));
    ASSERT_FALSE(waitFor(QStringLiteral("/sub/b")).isEmpty());
    ASSERT_TRUE(QDir(save).mkdir(QStringLiteral("late")));
    late.release();
    ASSERT_TRUE(waitBatches(4));
    EXPECT_EQ(TreeOf(save), QStringList({ QStringLiteral("late.kwq/"), QStringLiteral("late.kwq/a"),
        QStringLiteral("late.kwq/sub/"), QStringLiteral("late.kwq/sub/b"), QStringLiteral("late/") }));
    ASSERT_EQ(lines.size(), 2);
    EXPECT_EQ(lines[0], QStringLiteral("文件 %1/late 保存失败，如果文件正在使用，请关闭此文件，然后把该目录下的文件 late.kwq 重命名为 late ").arg(save));
    EXPECT_TRUE(lines[1].startsWith(QStringLiteral("文件接收完成")));
}

// A folder in the way of a file's name is not replaced: the file goes beside
// it and the user is told which file to rename.
TEST_F(Receiving, FileBlockedByAFolderGoesBesideIt)
{
    ASSERT_TRUE(QDir(save).mkpath(QStringLiteral("f.bin/inside")));
    ScriptedSender sender([](int fd, const FileRequest &) { SendAll(fd, Pattern(10, 6)); });
    receiver->Receive(job(sender, QStringLiteral("f.bin"), 10, 1));
    ASSERT_TRUE(waitBatches(1));
    EXPECT_EQ(TestEnv::readAll(save + QStringLiteral("/[kwel]f.bin")), Pattern(10, 6));
    EXPECT_EQ(TreeOf(save), QStringList({ QStringLiteral("[kwel]f.bin"), QStringLiteral("f.bin/"), QStringLiteral("f.bin/inside/") }));
    ASSERT_EQ(lines.size(), 2);
    EXPECT_EQ(lines[0], QStringLiteral("文件 %1/f.bin 保存失败，如果文件正在使用，请关闭此文件，然后把该目录下的文件 [kwel]f.bin 重命名为 f.bin ").arg(save));
}

// The real server of the other side, serving a folder and a file.
TEST_F(Receiving, ReceivesFromTheFileServer)
{
    const QString src = base + QStringLiteral("/src/shared");
    QDir(src).mkpath(QStringLiteral("sub/deeper"));
    QDir(src).mkpath(QStringLiteral("emptydir"));
    ASSERT_TRUE(TestEnv::writeAll(src + QString::fromUtf8("/中文.txt"), "gbk"));
    ASSERT_TRUE(TestEnv::writeAll(src + QStringLiteral("/empty"), QByteArray()));
    ASSERT_TRUE(TestEnv::writeAll(src + QStringLiteral("/sub/inner.bin"), Pattern(300000, 4)));
    ASSERT_TRUE(TestEnv::writeAll(src + QStringLiteral("/sub/deeper/z"), "zz"));
    ASSERT_TRUE(TestEnv::writeAll(base + QStringLiteral("/src/one.bin"), Pattern(100000, 5)));

    CFileOfferTable table;
    FileServer server(&table);
    TcpListener listener;
    listener.setHandler([&](qintptr d) { server.Serve(d); });
    ASSERT_TRUE(listener.listen(QHostAddress(QHostAddress::LocalHost), 0));
    FileOffer *offer = table.CreateOffer(kPacket);
    table.AddEntry(offer, src);
    table.AddEntry(offer, base + QStringLiteral("/src/one.bin"));
    HostPtr me(new HostRecord);
    me->key = HostKey(QStringLiteral("me"), QStringLiteral("pc"), INADDR_LOOPBACK, 2425);
    table.SetRecipients(offer, { me });

    ScriptedSender unused([](int, const FileRequest &) {});
    QList<FileReceiveJob> jobs;
    for (const OfferedFile &f : offer->entries) {
        FileReceiveJob j = job(unused, f.name(), f.size, f.fileId, f.flags);
        j.peerPort = listener.serverPort();
        jobs << j;
    }
    receiver->ReceiveAll(jobs);
    ASSERT_TRUE(waitBatches(1));
    EXPECT_EQ(TreeOf(save + QStringLiteral("/shared")), TreeOf(src));
    for (const QString &f : TreeOf(src))
        EXPECT_EQ(TestEnv::readAll(save + QStringLiteral("/shared/") + f), TestEnv::readAll(src + u'/' + f));
    EXPECT_EQ(TestEnv::readAll(save + QStringLiteral("/one.bin")), Pattern(100000, 5));
    EXPECT_TRUE(lines.last().endsWith(QStringLiteral("共5个文件"))) << lines.last().toStdString();
    // The server saw everything received and let the offer go.
    for (QDeadlineTimer deadline(10000); table.FindOffer(kPacket) && !deadline.hasExpired();)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    EXPECT_EQ(table.FindOffer(kPacket), nullptr);
}

// Hostile or broken streams end the receive as an error; nothing is written
// outside the save folder, and no partial file stays.
TEST_F(Receiving, HostileStreamsFailCleanly)
{
    const QByteArray top = Header(QStringLiteral("t"), 0, FILE_ATTR_FOLDER);
    QByteArray deep = top;
    for (int i = 0; i < 10000; ++i)
        deep += Header(QStringLiteral("d"), 0, FILE_ATTR_FOLDER);
    auto file = [](const char *name) -> QByteArray { return Header(QString::fromUtf8(name), 1, FILE_ATTR_REGULAR) + "x"; };
    // A header with the right length field in front of the rest.
    auto raw = [](const QByteArray &rest) -> QByteArray { return QByteArray::number(4 + rest.size(), 16).rightJustified(4, '0') + rest; };
    const struct
    {
        QByteArray stream;
        ReceiveError error;
    } cases[] = {
        { top + file("../x"), ReceiveError::UnsafeName },
        { top + file("a/b"), ReceiveError::UnsafeName },
        { top + file("/etc/x"), ReceiveError::UnsafeName },
        { top + Header(QStringLiteral(".."), 0, FILE_ATTR_FOLDER), ReceiveError::UnsafeName },
        { top + raw("::1:1:") + "x", ReceiveError::UnsafeName }, // empty name
        { top + "0007:x::1:1:", ReceiveError::BadHeader }, // length below 8
        { top + "0400:" + QByteArray(1019, 'a'), ReceiveError::BadHeader }, // above 1022
        { top + "00zz:x:1:1:", ReceiveError::BadHeader },
        { top + raw(":x:q:1:"), ReceiveError::BadHeader }, // size not hexadecimal
        { Header(QStringLiteral("."), 0, FILE_ATTR_PARENT), ReceiveError::ReturnAtTop },
        { top + Header(QStringLiteral("."), 0, 3) + Header(QStringLiteral("."), 0, 3), ReceiveError::None },
        { file("x"), ReceiveError::FileAtTop },
        { deep, ReceiveError::NameTooLong },
        { top + Header(QStringLiteral("cut"), 100, 1) + QByteArray(50, 'c'), ReceiveError::PeerClosed },
        { QByteArray(), ReceiveError::PeerClosed },
    };
    int n = 0;
    for (const auto &c : cases) {
        SCOPED_TRACE(c.stream.left(40).toStdString());
        ScriptedSender sender([&](int fd, const FileRequest &) { SendAll(fd, c.stream); });
        receiver->Receive(job(sender, QStringLiteral("t"), 0, 1, FILE_ATTR_FOLDER));
        ASSERT_TRUE(waitBatches(++n));
        EXPECT_EQ(done.back().result.error, c.error);
        EXPECT_EQ(done.back().result.complete(), c.error == ReceiveError::None);
        EXPECT_EQ(lines.last().startsWith(QStringLiteral("文件接收完成")), c.error == ReceiveError::None);
        EXPECT_EQ(lines.last() == QStringLiteral("文件传送错误!"), c.error != ReceiveError::None);
        EXPECT_EQ(QDir(base).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden),
            QStringList(QStringLiteral("save")));
        const QStringList tree = TreeOf(save);
        EXPECT_TRUE(tree.filter(QStringLiteral(".kwq")).isEmpty() && tree.filter(QStringLiteral("x")).isEmpty());
        QDir(save).removeRecursively();
        QDir().mkpath(save);
    }
    EXPECT_TRUE(boxes.contains(QStringLiteral("不安全的文件名|") + save + QStringLiteral("/t/../x")));

    // A link planted where the partial file goes is neither followed nor removed.
    ASSERT_TRUE(TestEnv::writeAll(base + QStringLiteral("/outside"), "keep"));
    ASSERT_TRUE(QFile::link(base + QStringLiteral("/outside"), save + QStringLiteral("/f.kwq")));
    ScriptedSender sender([](int fd, const FileRequest &) { SendAll(fd, Pattern(10, 2)); });
    receiver->Receive(job(sender, QStringLiteral("f"), 10, 2));
    ASSERT_TRUE(waitBatches(++n));
    EXPECT_EQ(TestEnv::readAll(base + QStringLiteral("/outside")), "keep");
    EXPECT_EQ(TestEnv::readAll(save + QStringLiteral("/f")), Pattern(10, 2));
    EXPECT_TRUE(QFileInfo(save + QStringLiteral("/f.kwq")).isSymLink());
}

TEST_F(Receiving, StalledOrRefusedPeersEndTheItem)
{
    ScriptedSender sender([&](int fd, const FileRequest &) {
        SendAll(fd, Pattern(20000));
        sender.hold(); // and the remaining 20000 bytes never come
    });
    receiver->Receive(job(sender, QStringLiteral("s.bin"), 40000, 1));
    for (QDeadlineTimer deadline(10000); TreeOf(save).isEmpty() && !deadline.hasExpired();)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    ASSERT_FALSE(TreeOf(save).isEmpty());
    receiver->Cancel();
    // The worker ends within about a second, not after its 10 s idle time-out.
    EXPECT_TRUE(waitBatches(1, 3000));
    EXPECT_EQ(done.back().result.error, ReceiveError::Cancelled);
    EXPECT_EQ(lines, QStringList(QStringLiteral("取消文件传送!")));
    EXPECT_TRUE(TreeOf(save).isEmpty()); // the partial file is gone

    limits.idleTimeoutMs = 300;
    receiver->setLimits(limits);
    receiver->Receive(job(sender, QStringLiteral("s.bin"), 40000, 1));
    ASSERT_TRUE(waitBatches(2));
    EXPECT_EQ(done.back().result.error, ReceiveError::Stalled);
    EXPECT_EQ(lines.last(), QStringLiteral("文件传送错误!"));
    sender.release();

    // Nobody listens: the item fails at once and is never shown as being received.
    FileReceiveJob refused = job(sender, QStringLiteral("r"), 1, 1);
    refused.peerPort = 1;
    QList<ReceiveRowStatus> states;
    QObject::connect(receiver.get(), &FileReceiver::itemStatusChanged,
        [&](quint32, quint32, ReceiveRowStatus s) { states << s; });
    receiver->Receive(refused);
    ASSERT_TRUE(waitBatches(3));
    EXPECT_EQ(done.back().result.error, ReceiveError::Connect);
    EXPECT_EQ(states, QList<ReceiveRowStatus>({ ReceiveRowStatus::NotReceived }));
    EXPECT_EQ(lines.last(), QStringLiteral("文件传送错误!"));
}
