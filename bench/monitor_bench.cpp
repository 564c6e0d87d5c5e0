// The transfer monitor with 4,000 rows (100 offers of 40 entries, one peer
// each): the time to open it and draw it, the memory that costs, and the time
// one more offer takes while it is open, against the same rows made as one
// list item each with the icon of its file type looked up for every row.
// Offscreen.
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

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
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

    // The model the monitor draws from.
    long before = Bench::residentKb();
    QElapsedTimer clock;
    clock.start();
    auto *monitor = new CTransferMonitorDlg(table, nullptr, nullptr);
    monitor->ShowRestored();
    monitor->grab(); // everything shown is drawn once
    const qint64 openMs = clock.elapsed();
    const long openKb = Bench::residentKb() - before;
    clock.restart();
    addOffer(table, files, kOffers + 1);
    monitor->grab();
    const qint64 oneMoreUs = clock.nsecsElapsed() / 1000;
    const int rows = monitor->model().rowCount();
    delete monitor;
    table.RemoveOffer(table.FindOffer(kOffers + 1));
    settle();

    // The baseline.
    before = Bench::residentKb();
    clock.restart();
    QTreeWidget *list = itemList(table);
    list->grab();
    const qint64 baseOpenMs = clock.elapsed();
    const long baseKb = Bench::residentKb() - before;
    clock.restart();
    delete list;
    list = itemList(table);
    list->grab();
    const qint64 baseRebuildUs = clock.nsecsElapsed() / 1000;
    delete list;

    std::printf("transfer monitor, %d rows\n", rows);
    std::printf("open and draw:       %6lld ms  %+7ld KB   (item per row, icon per row: %lld ms %+ld KB)\n",
        static_cast<long long>(openMs), openKb, static_cast<long long>(baseOpenMs), baseKb);
    std::printf("one more offer:      %6lld us             (all rows again: %lld us)  ratio %.1f\n",
        static_cast<long long>(oneMoreUs), static_cast<long long>(baseRebuildUs),
        double(baseRebuildUs) / double(qMax<qint64>(oneMoreUs, 1)));
    return 0;
}
