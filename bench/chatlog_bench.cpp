// Opening a chat log of 200 MB (a million records of GBK text with faces and
// picture markers, from 50 peers over 100 days): the time to list its peers
// (the viewer's index) and to show the first page (the records of one peer,
// the newest 20 of them read and drawn), against a plain sequential read of
// the same file, round by round on the same four cores (the listing reads
// with several threads). Prints the times, the ratio of
// the listing to the plain read (mark: at most 2) and the peak memory of the
// process.
#include "chat/CMsgRichEdit.h"
#include "chat/ChatLogBrowser.h"
#include "chat/HistoryText.h"
#include "net/ChatLogFormat.h"
#include "net/ChatLogIndex.h"

#include "BenchCommon.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <cstdio>
#include <sys/resource.h>

using namespace Bench;

namespace {

constexpr int kRecords = 1000000;
constexpr int kPeers = 50;
constexpr int kRounds = 7;
constexpr double kListingMark = 2.0;
constexpr int kCores = 4;

double peakMiB()
{
    rusage usage {};
    getrusage(RUSAGE_SELF, &usage);
    return double(usage.ru_maxrss) / 1024.0; // kilobytes on Linux
}

// Writes the log in blocks, so that making it costs no memory.
qint64 makeLog(const QString &path)
{
    QFile file(path);
    file.open(QIODevice::WriteOnly | QIODevice::Truncate);
    QByteArray block = ChatLogFormat::encodeHeader();
    const QString words = QStringLiteral("今天下午三点在三楼会议室开会，请大家准时参加，带上本周的工作总结和下周计划，会后一起讨论新版本的发布安排。");
    QDate day(2024, 1, 1);
    for (int i = 0; i < kRecords; ++i) {
        ChatLogEntry e;
        const int peer = int((qint64(i) * 7919) % kPeers);
        e.userName = QStringLiteral("同事%1").arg(peer);
        e.groupName = QStringLiteral("研发部");
        e.loginName = QStringLiteral("user%1").arg(peer);
        e.hostName = QStringLiteral("PC-%1").arg(peer);
        e.macText = QStringLiteral("00AA0000%1").arg(peer, 4, 10, QLatin1Char('0'));
        e.address = 0x0A000000u + quint32(peer);
        e.port = 2425;
        if (i % 10000 == 0) {
            day = day.addDays(1);
            e.text = ChatLogFormat::dateLine(day);
        } else {
            e.font.color = quint32(peer) * 0x10203;
            e.text = QStringLiteral("%1 10:%2:%3\n  ").arg(e.userName).arg(i % 60).arg(i % 59)
                + words.left(16 + i % 30) + QStringLiteral("/:)") + words.mid(i % 20, 16)
                + (i % 17 == 0 ? QStringLiteral("/~#>%1<B~").arg(1000 + i, 8, 16, QLatin1Char('0')) : QString())
                + QLatin1Char('\n');
        }
        block += ChatLogFormat::encodeRecord(e);
        if (block.size() > (4 << 20)) {
            file.write(block);
            block.clear();
        }
    }
    file.write(block);
    return file.size();
}

double plainRead(const QString &path)
{
    QElapsedTimer timer;
    timer.start();
    QFile file(path);
    file.open(QIODevice::ReadOnly);
    static QByteArray buffer(1 << 20, Qt::Uninitialized);
    qint64 total = 0;
    for (;;) {
        const qint64 n = file.read(buffer.data(), buffer.size());
        if (n <= 0)
            break;
        total += n;
    }
    if (total != file.size())
        std::fprintf(stderr, "short read\n");
    return double(timer.nsecsElapsed()) / 1e6;
}

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    PinToCpus(kCores);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("kwel.kwl"));
    const qint64 size = makeLog(path);
    const double afterMaking = peakMiB();
    std::printf("log: %.1f MB, %d records, %d peers\n", double(size) / 1e6, kRecords, kPeers);

    plainRead(path); // the file's pages are in the cache for every run below
    std::vector<double> plain, listing, single, page;
    std::shared_ptr<const ChatLogIndex> index;
    for (int round = 0; round < kRounds; ++round) {
        // The plain read goes first in even rounds and last in odd ones.
        if (round % 2 == 0)
            plain.push_back(plainRead(path));
        QElapsedTimer timer;
        timer.start();
        std::optional<ChatLogIndex> built = ChatLogIndex::BuildFromFile(path);
        index = std::make_shared<const ChatLogIndex>(std::move(*built));
        ChatLogBrowser browser;
        browser.SetIndex(index, path);
        QStringList rows;
        for (int row = 0; row < browser.rowCount(); ++row)
            rows.append(browser.RowTexts(row).join(QLatin1Char('|')));
        listing.push_back(double(timer.nsecsElapsed()) / 1e6);

        // The same walk by one thread, for the machine's share of the figure.
        timer.restart();
        ChatLogIndex::BuildFromFile(path, {}, nullptr, ChatLogIndex::kDefaultWindow, 1);
        single.push_back(double(timer.nsecsElapsed()) / 1e6);

        timer.restart();
        browser.ChooseRows({ 0 });
        CMsgRichEdit view;
        for (const ChatLogEntry &entry : ChatLogBrowser::ReadRecords(path, *index, browser.PageRecords()))
            RenderHistoryText(&view, entry.font, entry.text,
                [&view](quint32 id, bool animated) { InsertLoggedPicture(&view, id, animated); });
        page.push_back(double(timer.nsecsElapsed()) / 1e6);
        if (round % 2 == 1)
            plain.push_back(plainRead(path));
        if (rows.size() != kPeers || index->recordCount() != kRecords)
            std::fprintf(stderr, "listed %lld peers, %lld records\n", qlonglong(rows.size()),
                qlonglong(index->recordCount()));
    }
    std::vector<double> ratios, singleRatios;
    for (size_t i = 0; i < plain.size(); ++i) {
        ratios.push_back(listing[i] / plain[i]);
        singleRatios.push_back(single[i] / plain[i]);
    }
    Report report;
    report.Show("plain sequential read", plain, " ms");
    report.Show("list the peers (index)", listing, " ms");
    report.Ratio("listing / plain read", ratios, {Mark::AtMost, kListingMark});
    report.Show("ratio of the index by one thread / plain read", singleRatios, "");
    report.Show("first page (20 records)", page, " ms");
    std::printf("peak memory: %.0f MiB (%.0f MiB after making the log; the index holds %.1f MiB)\n", peakMiB(),
        afterMaking, double(index->recordCount()) * 12 / (1 << 20));
    return report.exitCode();
}
