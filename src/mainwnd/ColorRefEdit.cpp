#include "mainwnd/ColorRefEdit.h"
#include "controls/PlainLabel.h"

#include "controls/SkinColor.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>

ColorRefEdit::ColorRefEdit(uint32_t value, QWidget *parent)
    : QWidget(parent)
{
    auto *row = new QHBoxLayout(this);
    row->setContentsMargins(0, 0, 0, 0);
    m_text = new QLineEdit(this);
    m_text->setMaxLength(7);
    m_swatch = PlainLabel(QString(), this);
    m_swatch->setFixedSize(24, 16);
    m_swatch->setAutoFillBackground(true);
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
}

void ColorRefEdit::setValue(uint32_t value)
{
    m_value = value & 0xFFFFFF;
    m_text->setText(ColorFromRef(m_value).name().toUpper());
    showSwatch();
}

void ColorRefEdit::showSwatch()
{
    QPalette palette = m_swatch->palette();
    palette.setColor(QPalette::Window, ColorFromRef(m_value));
    m_swatch->setPalette(palette);
}
