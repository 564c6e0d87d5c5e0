#include "ReceiveTestKit.h"
#include "TestEnv.h"

#include <QDir>

TEST_F(Receiving, ReceiveAllChainsItemsAndEndsAtTheFirstFailure)
{
    ScriptedSender sender([](int fd, const FileRequest &r) {
        SendAll(fd, Pattern(r.fileId == 4 ? 500 : 1000, int(r.fileId))); // item 4 breaks off
    });
    QList<std::pair<quint32, ReceiveRowStatus>> states;
    QObject::connect(receiver.get(), &FileReceiver::itemStatusChanged,
        [&](quint32, quint32 id, ReceiveRowStatus s) { states.append({ id, s }); });
    receiver->ReceiveAll({ job(sender, QStringLiteral("a"), 1000, 1), job(sender, QStringLiteral("b"), 1000, 2) });
    ASSERT_TRUE(waitBatches(1));
    ASSERT_EQ(lines.size(), 1); // one summary for the batch
    EXPECT_TRUE(lines[0].endsWith(QStringLiteral("共2个文件"))) << lines[0].toStdString();
    EXPECT_EQ(TestEnv::readAll(save + QStringLiteral("/b")), Pattern(1000, 2));

    states.clear();
    receiver->ReceiveAll({ job(sender, QStringLiteral("c"), 1000, 3), job(sender, QStringLiteral("d"), 1000, 4),
        job(sender, QStringLiteral("e"), 1000, 5) });
    ASSERT_TRUE(waitBatches(2));
    EXPECT_EQ(lines.last(), QStringLiteral("文件传送错误!"));
    EXPECT_EQ(TreeOf(save), QStringList({ QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c"),
        QStringLiteral("d.kwq") })); // receive-all keeps what arrived of the failed item
    EXPECT_EQ(sender.requests().size(), 4u);
    using S = ReceiveRowStatus;
    EXPECT_EQ(states,
        (QList<std::pair<quint32, S>> { { 3, S::Receiving }, { 3, S::Received }, { 4, S::Receiving },
            { 4, S::NotReceived }, { 5, S::NotReceived } }));
    ASSERT_EQ(done.size(), 5u);
    EXPECT_EQ(done.back().entry.fileId, 5u);
    EXPECT_FALSE(done.back().result.complete());
    EXPECT_EQ(receiver->queuedCount(), 0);
}

TEST_F(Receiving, OverwriteQuestionsDecideTheTarget)
{
    ScriptedSender sender([](int fd, const FileRequest &r) {
        if (r.folder)
            SendAll(fd, QByteArray(Header(QStringLiteral("tree"), 0, 2) + Header(QStringLiteral("f"), 1, 1) + "f"
                    + Header(QStringLiteral("."), 0, 3)));
        else
            SendAll(fd, Pattern(10, int(r.fileId)));
    });
    for (const char *name : { "x.txt", "p.txt", "q.txt", "c.txt" })
        ASSERT_TRUE(TestEnv::writeAll(save + u'/' + QLatin1String(name), "old"));

    // "否" and another name: the item's extension is added to it.
    prompts.answers = { OverwriteChoice::No };
    prompts.paths = { save + QStringLiteral("/y") };
    receiver->ReceiveAll({ job(sender, QStringLiteral("w1"), 10, 1), job(sender, QStringLiteral("x.txt"), 10, 2) });
    ASSERT_TRUE(waitBatches(1));
    EXPECT_EQ(prompts.questions, QStringList(OverwriteQuestion(save + QStringLiteral("/x.txt"))));
    EXPECT_EQ(TestEnv::readAll(save + QStringLiteral("/x.txt")), "old");
    EXPECT_EQ(TestEnv::readAll(save + QStringLiteral("/y.txt")), Pattern(10, 2));

    // "全部覆盖" answers the next questions too, until the user starts a receive.
    prompts.answers = { OverwriteChoice::OverwriteAll };
    receiver->ReceiveAll({ job(sender, QStringLiteral("w2"), 10, 3), job(sender, QStringLiteral("p.txt"), 10, 4),
        job(sender, QStringLiteral("q.txt"), 10, 5) });
    ASSERT_TRUE(waitBatches(2));
    EXPECT_EQ(prompts.questions.size(), 2);
    EXPECT_EQ(TestEnv::readAll(save + QStringLiteral("/q.txt")), Pattern(10, 5));
    EXPECT_TRUE(FileReceiver::overwriteAll());
    receiver->Receive(job(sender, QStringLiteral("c.txt"), 10, 6)); // the user chose this target
    ASSERT_TRUE(waitBatches(3));
    EXPECT_FALSE(FileReceiver::overwriteAll());
    EXPECT_EQ(TestEnv::readAll(save + QStringLiteral("/c.txt")), Pattern(10, 6));

    // "取消" ends the batch before anything is requested.
    prompts.answers = { OverwriteChoice::Cancel };
    receiver->ReceiveAll({ job(sender, QStringLiteral("w3"), 10, 7), job(sender, QStringLiteral("c.txt"), 10, 8) });
    ASSERT_TRUE(waitBatches(4));
    EXPECT_EQ(lines.last(), QStringLiteral("取消文件传送!"));
    EXPECT_EQ(TestEnv::readAll(save + QStringLiteral("/c.txt")), Pattern(10, 6));
    EXPECT_EQ(sender.requests().back().fileId, 7u);

    // Interrupted while the question is open: nothing more is requested.
    prompts.answers = { OverwriteChoice::Yes };
    prompts.whileAsking = [&] { receiver->Cancel(); };
    receiver->ReceiveAll({ job(sender, QStringLiteral("w4"), 10, 10), job(sender, QStringLiteral("c.txt"), 10, 11) });
    ASSERT_TRUE(waitBatches(5));
    EXPECT_EQ(lines.last(), QStringLiteral("取消文件传送!"));
    EXPECT_EQ(sender.requests().back().fileId, 10u);
    prompts.whileAsking = nullptr;

    // A folder that exists is received under the name the user gives.
    QDir(save).mkpath(QStringLiteral("tree"));
    prompts.paths = { save + QStringLiteral("/tree2") };
    receiver->Receive(job(sender, QStringLiteral("tree"), 0, 9, FILE_ATTR_FOLDER));
    ASSERT_TRUE(waitBatches(6));
    EXPECT_EQ(TestEnv::readAll(save + QStringLiteral("/tree2/f")), "f");
    EXPECT_EQ(prompts.pathAsked, 2);
}

TEST(ReceiveTexts, SummaryAndProgress)
{
    EXPECT_EQ(FormatReceiveSummary(1536 * 1024, 3250, 1, QStringLiteral("a.txt")),
        QStringLiteral("文件接收完成。总共大小: 1.5MB 平均速度:473KB/s 费时:3.25秒  共1个文件:a.txt"));
    EXPECT_EQ(FormatReceiveSummary(3 * 1048576 + 5, 25000, 3, QString()),
        QStringLiteral("文件接收完成。总共大小: 3.0MB 平均速度:123KB/s 费时:25秒  共3个文件"));
    EXPECT_TRUE(FormatReceiveSummary(0, 0, 0, QString()).endsWith(QStringLiteral("费时:0.00秒  共0个文件")));

    const ReceiveProgress half = MakeReceiveProgress(false, 2048, 1024, 1000, 0, false);
    EXPECT_EQ(half.text, QStringLiteral("1/2KB 1KB/s(50%)"));
    EXPECT_EQ(half.percent, 50);
    EXPECT_EQ(MakeReceiveProgress(false, 2048, 0, 1000, 1, true).percent, 100); // complete counts as all
    EXPECT_EQ(MakeReceiveProgress(true, 100, 5000, 1000, 1, false).percent, 100); // more than offered
    const ReceiveProgress unknown = MakeReceiveProgress(true, 0, 2048, 1000, 3, false);
    EXPECT_EQ(unknown.text, QStringLiteral("2KB/3文件(2KB/s)"));
    EXPECT_EQ(unknown.percent, 0);
}
