#include "controls/BlueToolTip.h"

#include <QHelpEvent>
#include <QToolTip>

bool ShowBlueToolTip(const QHelpEvent *event, const QString &text, QWidget *owner)
{
    if (text.isEmpty()) {
        QToolTip::hideText();
        return true;
    }
    QString html = text.toHtmlEscaped();
    html.replace(QLatin1Char('\n'), QStringLiteral("<br>"));
    QToolTip::showText(event->globalPos(), QStringLiteral("<font color=\"#0000ff\">") + html + QStringLiteral("</font>"), owner);
    return true;
}
