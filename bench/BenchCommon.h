// What the benchmarks share: the resident size, the median of repeated runs
// and the test data of the file-transfer benchmarks.
#pragma once

#include <QDir>
#include <QFile>
#include <QString>
#include <QStringList>
#include <algorithm>
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

inline double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

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
