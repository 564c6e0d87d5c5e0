#include "chat/session/ShakeRules.h"

#include <QRandomGenerator>

ShakeReaction DecideShakeReaction(bool visible, bool minimized, bool focused)
{
    if (!visible || minimized)
        return ShakeReaction::ShowMinimizedAndFlash;
    return focused ? ShakeReaction::Shake : ShakeReaction::Flash;
}

QList<QPoint> ShakeOffsets(QRandomGenerator &random)
{
    QList<QPoint> offsets;
    offsets.reserve(kShakeSteps);
    for (int i = 0; i < kShakeSteps; ++i)
        offsets.append(QPoint(int(random.bounded(30)) - 15, int(random.bounded(30)) - 15));
    return offsets;
}
