// Full rebuild of the contact list views from the host table, as the page
// does it after a style change or an import: the tree (group nodes, peer
// groups, one sort per group, the view's row layout) and the list (one sort,
// column widths sized to content once), with 1,000 and 8,000 peers. The
// baseline is the least any rebuild must do: one sort of the peers' GBK name
// keys, measured in the same rounds on one core. Prints the time per peer,
// the ratio to the baseline and the growth from 1,000 to 8,000 peers against
// n log n (mark: at most kGrowthMark for both views).
#include "BenchCommon.h"
#include "core/CConfig.h"
#include "core/Gbk.h"
#include "mainwnd/CMessengerDlg.h"
#include "mainwnd/CUserListCtrl.h"
#include "mainwnd/CUserTreeCtrl.h"
#include "net/CNetManager.h"
#include "net/MessengerEngine.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <memory>
#include <random>
#include <vector>

using namespace Bench;

namespace {

constexpr int kRounds = 7;
constexpr double kGrowthMark = 1.5;
const char *const kSurnames[] = { "张", "李", "王", "赵", "钱", "孙", "周", "吴", "郑", "冯", "陈", "褚", "卫", "蒋" };
const char *const kGiven[] = { "伟", "芳", "娜", "敏", "静", "丽", "强", "磊", "军", "洋", "勇", "艳", "杰", "涛" };
const char *const kGroups[] = { "研发部", "市场部", "财务部", "", "行政部", "测试部", "售后", "总经办" };

void addPeers(MessengerEngine &engine, int count)
{
    std::mt19937 rng(7);
    CHostTable &table = engine.hostTable();
    for (int i = 0; i < count; ++i) {
        HostPtr h(new HostRecord);
        h->key = HostKey(QStringLiteral("user%1").arg(i), QStringLiteral("PC-%1").arg(i), 0x0A000000u + quint32(i), 2425);
        h->displayName = QString::fromUtf8(kSurnames[rng() % 14]) + QString::fromUtf8(kGiven[rng() % 14])
            + QString::number(i % 97);
        h->nickName = h->displayName;
        h->groupName = QString::fromUtf8(kGroups[rng() % 8]);
        h->keyText = QStringLiteral("%1").arg(0x001600000000ULL + quint64(i), 12, 16, QLatin1Char('0')).toUpper();
        h->extension = 1;
        h->headIcon = int(rng() % 83) + 1;
        if (i % 10 == 0)
            h->customGroup = QStringLiteral("同事");
        table.Insert(h.data());
    }
}


struct Figures
{
    std::vector<double> tree, list, baseline; // milliseconds, round by round
};

Figures measure(int peers)
{
    QTemporaryDir dir;
    CConfig config(dir.path() + QStringLiteral("/kwel.ini"));
    config.MemberGroups.append(InitUserGroupRecord(QStringLiteral("同事")));
    config.MemberGroups.last().collapsed = 0;
    config.RebuildGroupIndex();
    config.AutoWidth = 1;
    CNetManager net;
    MessengerEngine engine(config, net);
    addPeers(engine, peers);
    CMessengerDlg page(engine);
    page.resize(260, 600);
    page.show();
    QApplication::processEvents();

    std::vector<double> tree, list, base;
    for (int round = 0; round < kRounds; ++round) {
        QElapsedTimer t;
        config.MembersShowMode = 1;
        page.RebuildUserList();
        QApplication::processEvents();
        t.start();
        page.RebuildUserViews(false);
        page.userTree()->doItemsLayout();
        tree.push_back(double(t.nsecsElapsed()) / 1e6);

        config.MembersShowMode = 0;
        page.RebuildUserList();
        QApplication::processEvents();
        t.start();
        page.RebuildUserViews(false);
        page.userList()->doItemsLayout();
        list.push_back(double(t.nsecsElapsed()) / 1e6);

        // Baseline: the peers' name keys and one sort of them.
        t.start();
        std::vector<QByteArray> keys;
        keys.reserve(size_t(peers));
        for (qsizetype i = 0; i < engine.hostTable().Count(); ++i)
            keys.push_back(Gbk::sortKey(engine.hostTable().At(CHostTable::ByName, i)->displayName));
        std::stable_sort(keys.begin(), keys.end());
        base.push_back(double(t.nsecsElapsed()) / 1e6);
    }
    if (page.peerRowCount() != peers)
        std::fprintf(stderr, "the list shows %d rows, expected %d\n", page.peerRowCount(), peers);
    return { tree, list, base };
}

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    PinToOneCpu();
    const int sizes[] = { 1000, 8000 };
    Figures f[2];
    Report report;
    std::printf("full rebuild of the contact views, %d rounds\n", kRounds);
    for (int i = 0; i < 2; ++i) {
        f[i] = measure(sizes[i]);
        std::vector<double> treeRatio, listRatio;
        for (size_t r = 0; r < f[i].tree.size(); ++r) {
            treeRatio.push_back(f[i].tree[r] / f[i].baseline[r]);
            listRatio.push_back(f[i].list[r] / f[i].baseline[r]);
        }
        std::printf(" %d peers: tree %.2f ms (%.2f us/peer), list %.2f ms (%.2f us/peer), baseline %.2f ms (medians)\n",
            sizes[i], median(f[i].tree), median(f[i].tree) * 1000 / sizes[i], median(f[i].list),
            median(f[i].list) * 1000 / sizes[i], median(f[i].baseline));
        report.Show("ratio tree / baseline", treeRatio, "");
        report.Show("ratio list / baseline", listRatio, "");
    }
    // The growth of each round's rebuild from 1,000 to 8,000 peers against n log n.
    const double nlogn = (8000.0 * std::log(8000.0)) / (1000.0 * std::log(1000.0));
    std::vector<double> treeGrowth, listGrowth;
    for (size_t r = 0; r < f[0].tree.size(); ++r) {
        treeGrowth.push_back(f[1].tree[r] / f[0].tree[r] / nlogn);
        listGrowth.push_back(f[1].list[r] / f[0].list[r] / nlogn);
    }
    std::printf(" growth 1,000 -> 8,000 peers against n log n (%.2fx):\n", nlogn);
    report.Ratio("tree growth / n log n", treeGrowth, {Mark::AtMost, kGrowthMark});
    report.Ratio("list growth / n log n", listGrowth, {Mark::AtMost, kGrowthMark});
    return report.exitCode();
}
