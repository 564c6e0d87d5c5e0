// What the benchmarks share: one core for both sides of a comparison, rounds
// that run the measured side and its baseline one after the other, the
// spread of the ratio over the rounds, the marks a benchmark must keep (its
// exit code says whether it did), and the test data of the file-transfer
// benchmarks.
#pragma once

#include <QDir>
#include <QFile>
#include <QString>
#include <QStringList>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <malloc.h>
#include <sched.h>
#include <vector>

namespace Bench {

// The resident size of this process in KB, from /proc.
inline long residentKb()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').first().toLong();
    }
    return 0;
}

// The bytes this process holds on its heap, in use and not freed. Unlike the
// resident size it does not hide what a part keeps in pages an earlier part
// freed, so it serves for memory figures taken round after round.
inline double heapBytes()
{
    const struct mallinfo2 info = mallinfo2();
    return double(info.uordblks + info.hblkhd);
}

// The number of rounds: KWEL_BENCH_ROUNDS when set, else the benchmark's own.
inline int RoundCount(int fallback)
{
    const int chosen = qEnvironmentVariableIntValue("KWEL_BENCH_ROUNDS");
    return std::max(1, chosen > 0 ? chosen : fallback);
}

inline double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

// Pins this process, and every thread and child it starts afterwards, to
// `count` CPUs, so that the measured side and its baseline share the same
// cores and neither gains from others being idle: the last ones this
// process may use, or those from the one KWEL_BENCH_CPU names. One core,
// unless the measured side is parallel by design. Returns the first CPU, or
// -1 when pinning failed.
inline int PinToCpus(int count = 1)
{
    cpu_set_t allowed;
    CPU_ZERO(&allowed);
    if (sched_getaffinity(0, sizeof allowed, &allowed) != 0)
        return -1;
    std::vector<int> cpus;
    for (int i = 0; i < CPU_SETSIZE; ++i)
        if (CPU_ISSET(i, &allowed))
            cpus.push_back(i);
    size_t first = cpus.size() > size_t(count) ? cpus.size() - size_t(count) : 0;
    if (const char *chosen = std::getenv("KWEL_BENCH_CPU"); chosen && *chosen)
        first = size_t(std::find(cpus.begin(), cpus.end(), std::atoi(chosen)) - cpus.begin());
    cpu_set_t set;
    CPU_ZERO(&set);
    for (size_t i = first; i < cpus.size() && i < first + size_t(count); ++i)
        CPU_SET(cpus[i], &set);
    if (first >= cpus.size() || sched_setaffinity(0, sizeof set, &set) != 0) {
        std::printf("(not pinned)\n");
        return -1;
    }
    std::printf("pinned to %d CPU%s from CPU %d\n", CPU_COUNT(&set), CPU_COUNT(&set) == 1 ? "" : "s", cpus[first]);
    return cpus[first];
}

inline int PinToOneCpu()
{
    return PinToCpus(1);
}

struct Spread
{
    double min = 0, median = 0, max = 0;
};

inline Spread SpreadOf(const std::vector<double> &values)
{
    if (values.empty())
        return {};
    const auto [low, high] = std::minmax_element(values.begin(), values.end());
    return { *low, median(values), *high };
}

// Which way a ratio is taken: of times (the measured side's time over the
// baseline's, lower is better) or of rates (the baseline's time over the
// measured side's, higher is better).
enum class RatioOf { Times, Rates };

// The ratio of each round's figures, taken the given way.
inline std::vector<double> RatiosOf(
    const std::vector<double> &measured, const std::vector<double> &baseline, RatioOf ratio)
{
    std::vector<double> r;
    for (size_t i = 0; i < measured.size() && i < baseline.size(); ++i)
        r.push_back(ratio == RatioOf::Times ? measured[i] / baseline[i] : baseline[i] / measured[i]);
    return r;
}

struct Rounds
{
    std::vector<double> measured, baseline; // the figure of each side, round by round
    std::vector<double> ratios; // of each round
};

// Runs both sides once a round, the baseline first in even rounds and the
// measured side first in odd ones; each returns its figure (a time, or a
// size where the ratio is not wanted).
inline Rounds Interleave(
    int rounds, const std::function<double()> &measured, const std::function<double()> &baseline, RatioOf ratio)
{
    Rounds r;
    for (int round = 0; round < rounds; ++round) {
        double m = 0, b = 0;
        if (round % 2 == 0) {
            b = baseline();
            m = measured();
        } else {
            m = measured();
            b = baseline();
        }
        r.measured.push_back(m);
        r.baseline.push_back(b);
    }
    r.ratios = RatiosOf(r.measured, r.baseline, ratio);
    return r;
}

// A bound that a benchmark's figure must keep, held against the median of
// the rounds (or their worst, for bounds on the worst case).
struct Mark
{
    enum Kind { AtMost, AtLeast } kind = AtMost;
    double bound = 0;
    bool worst = false;
};

// Prints figures with their spread and whether they kept their marks; the
// benchmark returns exitCode() from main.
class Report
{
public:
    // "  ratio LABEL: min .. median .. max ..  mark <= X: kept|MISSED"
    void Ratio(const char *label, const std::vector<double> &ratios, const Mark &mark)
    {
        Figure(label, ratios, "", mark, "ratio ");
    }
    void Figure(const char *label, const std::vector<double> &values, const char *unit, const Mark &mark,
        const char *kind = "")
    {
        const Spread s = SpreadOf(values);
        const double held = mark.kind == Mark::AtMost ? (mark.worst ? s.max : s.median)
                                                      : (mark.worst ? s.min : s.median);
        const bool kept = mark.kind == Mark::AtMost ? held <= mark.bound : held >= mark.bound;
        m_missed += kept ? 0 : 1;
        std::printf("  %s%s: min %.3f  median %.3f  max %.3f%s   mark: %s %s %.3f%s: %s\n", kind, label, s.min, s.median,
            s.max, unit, mark.worst ? "worst" : "median", mark.kind == Mark::AtMost ? "<=" : ">=", mark.bound, unit,
            kept ? "kept" : "MISSED");
    }
    // A figure without a mark.
    void Show(const char *label, const std::vector<double> &values, const char *unit)
    {
        const Spread s = SpreadOf(values);
        std::printf("  %s: min %.3f  median %.3f  max %.3f%s\n", label, s.min, s.median, s.max, unit);
    }
    int exitCode() const
    {
        if (m_missed)
            std::printf("MISSED %d mark%s\n", m_missed, m_missed == 1 ? "" : "s");
        return m_missed ? 1 : 0;
    }

private:
    int m_missed = 0;
};

constexpr qint64 kBigFile = qint64(1) << 30;
constexpr int kSmallFiles = 10000;
constexpr int kSmallSize = 1024;

struct TransferData
{
    QString big; // a sparse 1 GiB file: every run reads the same cached pages
    QString folder; // kSmallFiles files of kSmallSize bytes
    QStringList smallFiles;
};

inline TransferData MakeTransferData(const QDir &dir)
{
    TransferData d;
    d.big = dir.filePath(QStringLiteral("big.bin"));
    {
        QFile f(d.big);
        f.open(QIODevice::WriteOnly);
        f.resize(kBigFile);
    }
    d.folder = dir.filePath(QStringLiteral("many"));
    QDir().mkpath(d.folder);
    const QByteArray content(kSmallSize, 'k');
    for (int i = 0; i < kSmallFiles; ++i) {
        const QString path = QStringLiteral("%1/file%2.txt").arg(d.folder).arg(i, 5, 10, QLatin1Char('0'));
        QFile f(path);
        f.open(QIODevice::WriteOnly);
        f.write(content);
        d.smallFiles << path;
    }
    return d;
}

} // namespace Bench
