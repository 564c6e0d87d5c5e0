#include "platform/ColorChooser.h"

#include <QColorDialog>
#include <atomic>

namespace {

class NoChooser final : public ColorChooser
{
public:
    std::optional<QColor> choose(QWidget *, const QColor &, const QString &, const Preview &) override { return {}; }
};

NoChooser g_none;
std::atomic<ColorChooser *> g_current{nullptr};

} // namespace

ColorChooser &ColorChooser::current()
{
    ColorChooser *c = g_current.load();
    return c ? *c : g_none;
}

ColorChooser *ColorChooser::setCurrent(ColorChooser *chooser)
{
    return g_current.exchange(chooser);
}

std::optional<QColor> QtColorChooser::choose(
    QWidget *owner, const QColor &initial, const QString &title, const Preview &preview)
{
    QColorDialog dialog(initial, owner);
    dialog.setOption(QColorDialog::DontUseNativeDialog);
    dialog.setWindowTitle(title);
    if (preview)
        QObject::connect(&dialog, &QColorDialog::currentColorChanged, &dialog, [&preview](const QColor &c) { preview(c); });
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return dialog.selectedColor();
}

std::optional<QColor> ScriptedColorChooser::choose(
    QWidget *, const QColor &initial, const QString &title, const Preview &preview)
{
    m_asked.append(initial);
    m_titles.append(title);
    if (m_answers.isEmpty())
        return std::nullopt;
    const Answer answer = m_answers.takeFirst();
    for (const QColor &c : answer.pointedAt)
        if (preview)
            preview(c);
    if (!answer.accept || answer.pointedAt.isEmpty())
        return std::nullopt;
    return answer.pointedAt.last();
}
