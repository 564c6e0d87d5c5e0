#include "platform/WindowAlpha.h"

#include <QApplication>
#include <QWidget>

namespace {
const char kKindProperty[] = "kwelAlphaKind";
}

namespace WindowAlpha {

int FromPercent(int percent)
{
    if (percent < 0 || percent > 100)
        return 255;
    return 255 - percent * 255 / 100;
}

void SetLayeredAlpha(QWidget *window, int alpha)
{
    if (!window)
        return;
    if (alpha < 0 || alpha > 255)
        alpha = 255;
    window->setWindowOpacity(alpha / 255.0);
}

void SetKind(QWidget *window, Kind kind)
{
    if (window)
        window->setProperty(kKindProperty, int(kind));
}

int KindOf(const QWidget *window)
{
    if (!window)
        return -1;
    bool ok = false;
    const int kind = window->property(kKindProperty).toInt(&ok);
    return ok ? kind : -1;
}

int ApplyToKind(int kind, int alpha)
{
    int count = 0;
    const auto windows = QApplication::topLevelWidgets();
    for (QWidget *window : windows) {
        if (KindOf(window) == kind) {
            SetLayeredAlpha(window, alpha);
            ++count;
        }
    }
    return count;
}

} // namespace WindowAlpha
