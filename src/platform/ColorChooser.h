// Choosing a colour behind one replaceable object, so that a dialog's colour
// swatch can ask without blocking a test: the program installs Qt's colour
// dialog, tests a scripted chooser. Until one is installed nothing is chosen.
#pragma once

#include "core/ScopedCurrent.h"

#include <QColor>
#include <QList>
#include <QString>
#include <QStringList>
#include <functional>
#include <optional>

class QWidget;

class ColorChooser
{
public:
    // Called with each colour the user points at before deciding, so that
    // the asking dialog previews it.
    using Preview = std::function<void(const QColor &)>;

    virtual ~ColorChooser() = default;
    // The chosen colour, or nothing when the user cancelled (the caller puts
    // its own colour back into the preview).
    virtual std::optional<QColor> choose(QWidget *owner, const QColor &initial, const QString &title, const Preview &preview)
        = 0;

    static ColorChooser &current();
    // Installs the chooser (null: none again); returns the previous one. The
    // caller keeps ownership.
    static ColorChooser *setCurrent(ColorChooser *chooser);
};

using ColorChooserScope = ScopedCurrent<ColorChooser>;

// Qt's own colour dialog (never the desktop's, whose live colour is not
// reported), modal over the owner.
class QtColorChooser final : public ColorChooser
{
public:
    std::optional<QColor> choose(QWidget *owner, const QColor &initial, const QString &title, const Preview &preview) override;
};

// For tests: points at the queued colours one after the other (each
// previewed), then answers with the last of them or cancels.
class ScriptedColorChooser final : public ColorChooser
{
public:
    struct Answer
    {
        QList<QColor> pointedAt;
        bool accept = true;
    };
    void queue(const Answer &answer) { m_answers.append(answer); }
    // The colours the chooser was opened with, and its titles.
    const QList<QColor> &asked() const { return m_asked; }
    const QStringList &titles() const { return m_titles; }
    std::optional<QColor> choose(QWidget *owner, const QColor &initial, const QString &title, const Preview &preview) override;

private:
    QList<Answer> m_answers;
    QList<QColor> m_asked;
    QStringList m_titles;
};
