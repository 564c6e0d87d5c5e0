// The search strip's search, once per keystroke, over 2,000 peers with
// Chinese names: the whole search (exact pass, substring pass with the
// pinyin and initials of every Chinese field) against the baseline of the
// same peers searched as plain text without pinyin, round by round on one
// core. The keystrokes spell names by initials and syllables, Chinese
// characters, addresses and texts that match nothing (which scan every peer
// twice). Prints the time per keystroke, the ratio to the baseline (mark:
// at most 1.3), the worst keystroke (mark: at most 2 ms) and what making the
// peers' pinyin forms costs once.
#include "BenchCommon.h"
#include "core/Gbk.h"
#include "core/Pinyin.h"
#include "mainwnd/UserSearch.h"
#include "net/HostRecord.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <cstdio>
#include <random>
#include <vector>

using namespace Bench;

namespace {

constexpr int kPeers = 2000;
constexpr int kRounds = 15;
constexpr int kPasses = 5;
constexpr double kFrameMs = 16.0;
constexpr double kRatioMark = 1.3;
constexpr double kWorstMarkMs = 2.0;

// A common Chinese character: the first level of GBK (rows 0xB0..0xD7).
QString randomHanzi(std::mt19937 &rng)
{
    const char bytes[2] = { char(0xB0 + rng() % 40), char(0xA1 + rng() % 94) };
    const QString c = Gbk::decode(QByteArrayView(bytes, 2));
    return c == QStringLiteral("\uFFFD") ? QStringLiteral("张") : c;
}

std::vector<HostPtr> makePeers()
{
    std::mt19937 rng(16);
    const QString groups[] = { QStringLiteral("研发部"), QStringLiteral("市场部"), QStringLiteral("财务部"),
        QString(), QStringLiteral("行政部"), QStringLiteral("测试部") };
    std::vector<HostPtr> peers;
    for (int i = 0; i < kPeers; ++i) {
        HostPtr h(new HostRecord);
        h->key = HostKey(QStringLiteral("user%1").arg(i), QStringLiteral("PC-%1").arg(i),
            0x0A000000u + quint32(i / 250) * 256 + quint32(i % 250) + 1, 2425);
        QString name = randomHanzi(rng) + randomHanzi(rng);
        if (rng() % 3 == 0)
            name += randomHanzi(rng);
        h->displayName = h->nickName = name;
        h->groupName = groups[rng() % 6];
        h->customGroup = i % 7 == 0 ? QStringLiteral("同事") : QStringLiteral("我的好友");
        h->extension = 1;
        h->headIcon = int(rng() % 83) + 1;
        peers.push_back(h);
    }
    return peers;
}

// What a user types, keystroke by keystroke.
const char *const kKeystrokes[] = { "z", "zw", "zhang", "zhangw", "zhuang", "zhuangq", "s", "sh", "shuang",
    "张", "王伟", "10.0.3", "10.0.7.2", "pc-19", "user1999", "qqq", "xyzzy", "研发" };

// The time per keystroke of the best of kPasses passes over the keystrokes
// (a pass lasts a few milliseconds: the best one is the one the rest of the
// machine left alone), and the results found.
double timePerKeystroke(const QList<HostRecord *> &peers, bool pinyin, int &results)
{
    double best = 0;
    for (int pass = 0; pass < kPasses; ++pass) {
        QElapsedTimer t;
        t.start();
        results = 0;
        for (const char *key : kKeystrokes) {
            const QString text = QString::fromUtf8(key);
            results += int((pinyin ? UserSearch::Run(peers, text) : UserSearch::RunPlain(peers, text)).size());
        }
        const double ms = double(t.nsecsElapsed()) / 1e6 / double(std::size(kKeystrokes));
        best = pass == 0 ? ms : std::min(best, ms);
    }
    return best;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    PinToOneCpu();
    const std::vector<HostPtr> owned = makePeers();
    QList<HostRecord *> peers;
    for (const HostPtr &h : owned)
        peers.append(h.data());

    // The first keystroke makes every peer's forms; later ones only check them.
    QElapsedTimer first;
    first.start();
    UserSearch::Run(peers, QStringLiteral("z"));
    const double makingMs = double(first.nsecsElapsed()) / 1e6;

    int withPinyin = 0, plain = 0;
    const Rounds r = Interleave(
        kRounds, [&] { return timePerKeystroke(peers, true, withPinyin); },
        [&] { return timePerKeystroke(peers, false, plain); }, RatioOf::Times);
    // The worst keystroke alone: nothing matches, every peer is tried twice.
    std::vector<double> worst;
    for (int round = 0; round < kRounds; ++round) {
        QElapsedTimer t;
        t.start();
        UserSearch::Run(peers, QStringLiteral("xyzzy"));
        worst.push_back(double(t.nsecsElapsed()) / 1e6);
    }

    std::printf("search strip, %d peers, %zu keystrokes, %d rounds\n", kPeers, std::size(kKeystrokes), kRounds);
    Report report;
    report.Show("with pinyin, ms per keystroke", r.measured, " ms");
    report.Show("baseline, no pinyin, ms per keystroke", r.baseline, " ms");
    std::printf("  results: %d with pinyin, %d without\n", withPinyin, plain);
    report.Ratio("with pinyin / without", r.ratios, {Mark::AtMost, kRatioMark});
    report.Figure("worst keystroke (no match)", worst, " ms", {Mark::AtMost, kWorstMarkMs, true});
    std::printf("  worst keystroke: %.1f%% of a %.0f ms frame (median)\n", median(worst) * 100 / kFrameMs, kFrameMs);
    std::printf("  making the pinyin forms of %d peers (first keystroke): %.3f ms\n", kPeers, makingMs);
    return report.exitCode();
}
