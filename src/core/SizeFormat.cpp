#include "core/SizeFormat.h"

#include <limits>

namespace {

constexpr qint64 kKilobyte = 1024;
constexpr qint64 kMegabyte = 1024 * 1024;

qint64 nonNegative(qint64 v)
{
    return v < 0 ? 0 : v;
}

// value * mul / div without overflow; saturates at the largest qint64.
qint64 scaledDiv(qint64 value, qint64 mul, qint64 div)
{
    const __int128 r = static_cast<__int128>(value) * mul / div;
    constexpr qint64 kMax = std::numeric_limits<qint64>::max();
    return r > kMax ? kMax : static_cast<qint64>(r);
}

qint64 ratePerSecond(qint64 elapsedMs, qint64 bytesDone, qint64 elapsedIfZero)
{
    const qint64 elapsed = elapsedMs > 0 ? elapsedMs : elapsedIfZero;
    return scaledDiv(nonNegative(bytesDone), 1000, elapsed);
}

} // namespace

QString FormatFileSize(qint64 bytes, int flags)
{
    bytes = nonNegative(bytes);
    const QLatin1String blank((flags & FileSizeBlankBeforeUnit) ? " " : "");
    if (bytes < kMegabyte)
        return QString::number((bytes + kKilobyte - 1) / kKilobyte) + blank + QLatin1String("KB");
    const QString whole = QString::number(bytes / kMegabyte);
    if (flags & FileSizeWholeMegabytes)
        return whole + blank + QLatin1String("MB");
    const qint64 tenth = (bytes % kMegabyte) * 10 / kMegabyte;
    return whole + QLatin1Char('.') + QString::number(tenth) + blank + QLatin1String("MB");
}

QString FormatTransferProgress(qint64 elapsedMs, qint64 bytesDone, qint64 bytesTotal)
{
    bytesDone = nonNegative(bytesDone);
    const qint64 total = bytesTotal > 0 ? bytesTotal : 1;
    QString done = FormatFileSize(bytesDone);
    done.chop(2); // the unit goes once, after the total
    const qint64 percent = qMin<qint64>(scaledDiv(bytesDone, 100, total), 100);
    return done + QLatin1Char('/') + FormatFileSize(bytesTotal) + QLatin1Char(' ')
        + FormatFileSize(ratePerSecond(elapsedMs, bytesDone, 10)) + QLatin1String("/s(") + QString::number(percent)
        + QLatin1String("%)");
}

QString FormatFileCountProgress(qint64 elapsedMs, qint64 bytesDone, int itemsDone)
{
    return FormatFileSize(bytesDone) + QStringLiteral("/%1文件(").arg(itemsDone)
        + FormatFileSize(ratePerSecond(elapsedMs, bytesDone, 1)) + QLatin1String("/s)");
}
