// The search strip's search, once per keystroke, over 2,000 peers with
// Chinese names: the whole search (exact pass, substring pass with the
// pinyin and initials of every Chinese field) against the baseline of the
// same peers searched as plain text without pinyin. The keystrokes spell
// names by initials and syllables, Chinese characters, addresses and texts
// that match nothing (which scan every peer twice). Prints the time per
// keystroke, the ratio to the baseline and the share of a 16 ms frame.
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

using Bench::median;

namespace {

constexpr int kPeers = 2000;
constexpr int kRounds = 15;
constexpr double kFrameMs = 16.0;

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

double timePerKeystroke(const QList<HostRecord *> &peers, bool pinyin, int &results)
{
    std::vector<double> rounds;
    results = 0;
    for (int round = 0; round < kRounds; ++round) {
        QElapsedTimer t;
        t.start();
        int found = 0;
        for (const char *key : kKeystrokes) {
            const QString text = QString::fromUtf8(key);
            found += int((pinyin ? UserSearch::Run(peers, text) : UserSearch::RunPlain(peers, text)).size());
        }
        rounds.push_back(double(t.nsecsElapsed()) / 1e6 / double(std::size(kKeystrokes)));
        results = found;
    }
    return median(rounds);
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const std::vector<HostPtr> owned = makePeers();
    QList<HostRecord *> peers;
    for (const HostPtr &h : owned)
        peers.append(h.data());

    // The worst keystroke alone: nothing matches, every peer is tried twice.
    std::vector<double> worst;
    for (int round = 0; round < kRounds; ++round) {
        QElapsedTimer t;
        t.start();
        UserSearch::Run(peers, QStringLiteral("xyzzy"));
        worst.push_back(double(t.nsecsElapsed()) / 1e6);
    }

    int withPinyin = 0, plain = 0;
    const double search = timePerKeystroke(peers, true, withPinyin);
    const double baseline = timePerKeystroke(peers, false, plain);
    std::printf("search strip, %d peers, %zu keystrokes, median of %d rounds\n", kPeers, std::size(kKeystrokes),
        kRounds);
    std::printf("  with pinyin:        %7.3f ms per keystroke (%d results)\n", search, withPinyin);
    std::printf("  baseline, no pinyin:%7.3f ms per keystroke (%d results)\n", baseline, plain);
    std::printf("  ratio to baseline:  %7.2f\n", search / baseline);
    std::printf("  worst keystroke (no match): %.3f ms = %.1f%% of a %.0f ms frame\n", median(worst),
        median(worst) * 100 / kFrameMs, kFrameMs);
    return 0;
}
