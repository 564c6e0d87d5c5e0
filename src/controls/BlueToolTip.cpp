#include "controls/BlueToolTip.h"
#include "core/PlainText.h"

#include <QHelpEvent>
#include <QToolTip>

bool ShowBlueToolTip(const QHelpEvent *event, const QString &text, QWidget *owner)
{
    if (text.isEmpty()) {
        QToolTip::hideText();
        return true;
    }
    QToolTip::showText(event->globalPos(), PlainText::BlueToolTip(text), owner);
    return true;
}
