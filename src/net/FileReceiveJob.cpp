#include "net/FileReceiveJob.h"

#include "core/CConfig.h"
#include "core/Gbk.h"
#include "core/SizeFormat.h"

#include <limits>

namespace {

qint64 clampToInt64(quint64 value)
{
    constexpr quint64 kMax = quint64(std::numeric_limits<qint64>::max());
    return qint64(qMin(value, kMax));
}

} // namespace

FileReceiveLimits FileReceiveLimits::fromConfig(const CConfig &config)
{
    FileReceiveLimits limits;
    limits.bufferBytes = config.RECVTRANSMAX_STR < 8 ? 65536 : config.RECVTRANSMAX_STR;
    limits.socketBufferBytes = config.TCPBUFMAX_STR;
    return limits;
}

QByteArray FileRequestBody(bool folder, quint32 packetNumber, quint32 fileId)
{
    QByteArray body = QByteArray::number(packetNumber, 16) + ':' + QByteArray::number(fileId, 16) + ':';
    if (!folder)
        body += "0:";
    return body;
}

ReceiveProgress MakeReceiveProgress(
    bool folder, quint64 offeredSize, quint64 done, qint64 elapsedMs, quint32 filesDone, bool complete)
{
    ReceiveProgress p;
    p.bytesTotal = offeredSize;
    p.elapsedMs = elapsedMs;
    p.filesDone = filesDone;
    if (folder && offeredSize == 0) {
        p.bytesDone = done;
        p.text = FormatFileCountProgress(elapsedMs, clampToInt64(done), int(qMin<quint32>(filesDone, quint32(std::numeric_limits<int>::max()))));
        return p;
    }
    p.bytesDone = complete ? offeredSize : done;
    const quint64 total = offeredSize ? offeredSize : 1;
    p.text = FormatTransferProgress(elapsedMs, clampToInt64(p.bytesDone), clampToInt64(offeredSize));
    // A peer may send more than it offered: the bar stays within 0..100.
    p.percent = int(qMin<unsigned __int128>(static_cast<unsigned __int128>(p.bytesDone) * 100 / total, 100));
    return p;
}

QString FormatReceiveSummary(quint64 totalBytes, qint64 elapsedMs, quint32 items, const QString &oneFileName)
{
    const qint64 elapsed = elapsedMs > 0 ? elapsedMs : 1;
    const qint64 rate = clampToInt64(quint64(static_cast<unsigned __int128>(totalBytes) * 1000 / quint64(elapsed)));
    const qint64 seconds = elapsed / 1000;
    QString text = QStringLiteral("文件接收完成。总共大小: ") + FormatFileSize(clampToInt64(totalBytes))
        + QStringLiteral(" 平均速度:") + FormatFileSize(rate) + QStringLiteral("/s 费时:") + QString::number(seconds);
    if (seconds < 20)
        text += QStringLiteral(".%1").arg(elapsed % 1000 / 10, 2, 10, QLatin1Char('0'));
    text += QStringLiteral("秒  共");
    if (items <= 1 && !oneFileName.isEmpty())
        text += QStringLiteral("1个文件:") + oneFileName;
    else
        text += QString::number(items) + QStringLiteral("个文件");
    return text;
}

QString ReceiveFailedText()
{
    return QStringLiteral("文件传送错误!");
}

QString ReceiveCancelledText()
{
    return QStringLiteral("取消文件传送!");
}

QString OverwriteQuestion(const QString &path)
{
    return QStringLiteral("文件: ") + path + QStringLiteral(" 已存在，您是否要覆盖此文件?");
}

bool IsReceivePathTooLong(const QString &path)
{
    return Gbk::byteLength(path) >= kMaxReceivePath;
}
