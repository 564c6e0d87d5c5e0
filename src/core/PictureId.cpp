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
