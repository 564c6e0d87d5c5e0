// The transfer monitor with 4,000 rows (100 offers of 40 entries, one peer
// each): the time to open it and draw it, the memory that costs, and the time
// one more offer takes while it is open, against the same rows made as one
// list item each with the icon of its file type looked up for every row
// (opened, then made again for the one more offer). The first open of the
// run, then round by round on one core, the two sides in turn first. Marks:
// the monitor opens in at most 1 s and at most 50 MB more on the heap (and
// resident, the first time), and one more offer costs at most a tenth of
// making every row again, in every round. Offscreen.
//
// Environment: KWEL_BENCH_ROUNDS sets the number of rounds (default 5).
#include "BenchCommon.h"
#include "chat/shares/CTransferMonitorDlg.h"
#include "net/CFileOfferTable.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QMimeDatabase>
#include <QStyle>
#include <QTemporaryDir>
#include <QTreeWidget>
#include <cstdio>

namespace {

constexpr int kOffers = 100;
constexpr int kEntries = 40;
constexpr int kDefaultRounds = 5;
constexpr double kOpenMarkMs = 1000;
constexpr double kOpenMarkMB = 50;
constexpr double kOneMoreMark = 10; // all rows again / one more offer
const char *const kSuffixes[] = { "txt", "png", "pdf", "zip", "doc", "bin", "jpg", "mp3" };

void settle()
{
    for (int i = 0; i < 5; ++i)
        QCoreApplication::processEvents();
}

void addOffer(CFileOfferTable &table, const QStringList &files, quint32 number)
{
    FileOffer *offer = table.CreateOffer(number);
    for (const QString &f : files)
        table.AddEntry(offer, f);
    HostPtr peer(new HostRecord);
    peer->key = HostKey(QStringLiteral("u"), QStringLiteral("pc"), 0x0A000000 + number, 2425);
    peer->displayName = QStringLiteral("peer%1").arg(number);
    table.SetRecipients(offer, { peer });
}

// The rows as one list item each, every icon looked up for its row.
QTreeWidget *itemList(const CFileOfferTable &table)
{
    auto *list = new QTreeWidget;
    list->setColumnCount(5);
    list->resize(680, 320);
    QStyle *style = QApplication::style();
    int n = 0;
    for (const auto &offer : table.offers()) {
        for (const OfferedFile &entry : offer->entries) {
            auto *item = new QTreeWidgetItem(list);
            const QMimeType type = QMimeDatabase().mimeTypeForFile(entry.path, QMimeDatabase::MatchExtension);
            item->setIcon(1, QIcon::fromTheme(type.iconName(), style->standardIcon(QStyle::SP_FileIcon)));
            item->setText(0, QString::number(++n));
            item->setText(1, entry.path.section(QLatin1Char('/'), -1));
            item->setText(2, QString::number(entry.size));
            item->setText(3, CFileOfferTable::StatusText(TransferWaiting));
            item->setText(4, offer->destinations[0]->displayName);
        }
    }
    list->show();
    return list;
}

double msSince(const QElapsedTimer &clock)
{
    return double(clock.nsecsElapsed()) / 1e6;
}

// What one side of a round took.
struct Side
{
    std::vector<double> openMB; // more on the heap while open
    std::vector<double> residentMB; // more resident while open
    std::vector<double> oneMoreMs;
};

} // namespace

int main(int argc, char **argv)
{
    using namespace Bench;
    QApplication app(argc, argv);
    PinToOneCpu();
    const int rounds = RoundCount(kDefaultRounds);
    QTemporaryDir dir;
    QStringList files;
    for (int i = 0; i < kEntries; ++i) {
        files << dir.filePath(QStringLiteral("file%1.%2").arg(i).arg(QLatin1String(kSuffixes[i % 8])));
        QFile f(files.last());
        f.open(QIODevice::WriteOnly);
        f.write("x");
    }
    CFileOfferTable table;
    for (int i = 0; i < kOffers; ++i)
        addOffer(table, files, quint32(i + 1));
    settle();

    Side monitorSide, listSide;
    int rows = 0;
    const auto monitor = [&] {
        const double before = heapBytes();
        const long residentBefore = residentKb();
        QElapsedTimer clock;
        clock.start();
        auto *monitor = new CTransferMonitorDlg(table, nullptr, nullptr);
        monitor->ShowRestored();
        monitor->grab(); // everything shown is drawn once
        const double openMs = msSince(clock);
        monitorSide.openMB.push_back((heapBytes() - before) / 1e6);
        monitorSide.residentMB.push_back(double(residentKb() - residentBefore) * 1024 / 1e6);
        clock.restart();
        addOffer(table, files, kOffers + 1);
        monitor->grab();
        monitorSide.oneMoreMs.push_back(msSince(clock));
        rows = monitor->model().rowCount();
        delete monitor;
        table.RemoveOffer(table.FindOffer(kOffers + 1));
        settle();
        return openMs;
    };
    const auto itemsPerRow = [&] {
        const double before = heapBytes();
        QElapsedTimer clock;
        clock.start();
        QTreeWidget *list = itemList(table);
        list->grab();
        const double openMs = msSince(clock);
        listSide.openMB.push_back((heapBytes() - before) / 1e6);
        clock.restart();
        delete list;
        list = itemList(table);
        list->grab();
        listSide.oneMoreMs.push_back(msSince(clock));
        delete list;
        settle();
        return openMs;
    };
    // The first window of the run also pays for what Qt loads once (fonts,
    // the style): the user sees it too.
    const std::vector<double> coldMs { monitor() };
    const Side cold = monitorSide;
    monitorSide = {};
    const Rounds open = Interleave(rounds, monitor, itemsPerRow, RatioOf::Times);

    std::printf("transfer monitor, %d rows, %d rounds\n", rows, rounds);
    Report report;
    report.Figure("first open of the run", coldMs, " ms", { Mark::AtMost, kOpenMarkMs, true });
    report.Figure("heap after the first open", cold.openMB, " MB", { Mark::AtMost, kOpenMarkMB, true });
    // Later rounds reuse pages the earlier ones freed: only the first
    // resident growth counts.
    report.Figure("resident after the first open", cold.residentMB, " MB", { Mark::AtMost, kOpenMarkMB, true });
    report.Figure("open and draw", open.measured, " ms", { Mark::AtMost, kOpenMarkMs, true });
    report.Figure("heap while open", monitorSide.openMB, " MB", { Mark::AtMost, kOpenMarkMB, true });
    report.Show("item per row, icon per row: open and draw", open.baseline, " ms");
    report.Show("item per row, icon per row: heap while open", listSide.openMB, " MB");
    report.Show("ratio open monitor / item per row", open.ratios, "");
    report.Show("one more offer while open", monitorSide.oneMoreMs, " ms");
    report.Show("item per row: all rows again", listSide.oneMoreMs, " ms");
    report.Ratio("all rows again / one more offer", RatiosOf(monitorSide.oneMoreMs, listSide.oneMoreMs, RatioOf::Rates),
        { Mark::AtLeast, kOneMoreMark, true });
    return report.exitCode();
}
