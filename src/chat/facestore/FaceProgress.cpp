#include "chat/facestore/FaceProgress.h"

int FaceProgressPercent(int position, int lower, int upper)
{
    if (upper <= lower)
        return 0;
    const qint64 percent = (qint64(position) - lower) * 100 / (qint64(upper) - lower);
    return percent == 100 ? 100 : int(percent % 100);
}

QString FaceProgressText(const QString &verb, int position, int lower, int upper)
{
    return QStringLiteral("正在%1第 %2 个表情，共 %3 个 (%4%)")
        .arg(verb)
        .arg(position)
        .arg(upper)
        .arg(FaceProgressPercent(position, lower, upper));
}

QString FaceProgressCaption(const QString &verb)
{
    return QStringLiteral("正在") + verb + QStringLiteral("表情库，请稍候...");
}
