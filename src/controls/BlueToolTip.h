// Tips in blue text, as the skinned windows show them.
#pragma once

#include <QString>

class QHelpEvent;
class QWidget;

// Shows the text as a blue tip at the event's position (hides the tip when
// the text is empty). Returns true: the event is handled.
bool ShowBlueToolTip(const QHelpEvent *event, const QString &text, QWidget *owner);
