#include "core/PictureId.h"

#include <QRandomGenerator>
#include <QUuid>

quint32 GenerateRandomId()
{
    const quint32 word = QUuid::createUuid().data1;
    if (word >= kFirstPictureId)
        return word;
    return kFirstPictureId + QRandomGenerator::global()->bounded(31768U);
}

QString PictureIdText(quint32 id)
{
    return QStringLiteral("%1").arg(id, 8, 16, QLatin1Char('0'));
}
