#include "mainwnd/ColorRefEdit.h"

#include "controls/SkinColor.h"
#include "platform/ColorChooser.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>
#include <QToolButton>

ColorRefEdit::ColorRefEdit(uint32_t value, QWidget *parent)
    : QWidget(parent)
{
    auto *row = new QHBoxLayout(this);
    row->setContentsMargins(0, 0, 0, 0);
    m_text = new QLineEdit(this);
    m_text->setMaxLength(7);
    m_swatch = new QToolButton(this);
    m_swatch->setObjectName(QStringLiteral("swatch"));
    m_swatch->setIconSize(QSize(24, 12));
    m_swatch->setCursor(Qt::PointingHandCursor);
    m_swatch->setToolTip(QStringLiteral("选择颜色"));
    row->addWidget(m_text, 1);
    row->addWidget(m_swatch);
    setValue(value);
    connect(m_text, &QLineEdit::textEdited, this, [this](const QString &text) {
        const QColor color = QColor::fromString(text.trimmed());
        if (!color.isValid() || text.trimmed().size() != 7)
            return;
        m_value = RefFromColor(color);
        showSwatch();
        emit valueChanged(m_value);
    });
    connect(m_swatch, &QToolButton::clicked, this, &ColorRefEdit::ChooseColor);
}

void ColorRefEdit::setValue(uint32_t value)
{
    m_value = value & 0xFFFFFF;
    m_text->setText(ColorFromRef(m_value).name().toUpper());
    showSwatch();
}

void ColorRefEdit::apply(uint32_t value)
{
    value &= 0xFFFFFF;
    if (value == m_value)
        return;
    setValue(value);
    emit valueChanged(m_value);
}

void ColorRefEdit::ChooseColor()
{
    // The field's label names the colour in the chooser's title.
    QString title = QStringLiteral("选择颜色");
    const QList<QFormLayout *> forms
        = parentWidget() ? parentWidget()->findChildren<QFormLayout *>() : QList<QFormLayout *>();
    for (QFormLayout *form : forms)
        if (auto *label = qobject_cast<QLabel *>(form->labelForField(this)))
            title = label->text().remove(QLatin1Char(':'));
    const uint32_t before = m_value;
    const std::optional<QColor> chosen = ColorChooser::current().choose(
        this, ColorFromRef(m_value), title, [this](const QColor &c) { apply(RefFromColor(c)); });
    apply(chosen ? RefFromColor(*chosen) : before);
}

void ColorRefEdit::showSwatch()
{
    QPixmap pixmap(m_swatch->iconSize());
    pixmap.fill(ColorFromRef(m_value));
    m_swatch->setIcon(QIcon(pixmap));
}
