// A colour field of the style dialogs: the colour as "#RRGGBB" text beside a
// swatch; a click on the swatch opens the colour chooser, which previews each
// colour pointed at and puts the old one back when cancelled. Values are
// COLORREF words (0x00BBGGRR) as the configuration keeps them; text that does
// not read as a colour keeps the last good value.
#pragma once

#include <QWidget>
#include <cstdint>

class QLineEdit;
class QToolButton;

class ColorRefEdit : public QWidget
{
    Q_OBJECT
public:
    explicit ColorRefEdit(uint32_t value, QWidget *parent = nullptr);

    uint32_t value() const { return m_value; }
    void setValue(uint32_t value);
    QLineEdit *textEdit() const { return m_text; }
    QToolButton *swatch() const { return m_swatch; }

public slots:
    // The swatch's click: the colour chooser, titled with the field's label.
    void ChooseColor();

signals:
    void valueChanged(uint32_t value);

private:
    // Takes the value and tells when it changed.
    void apply(uint32_t value);
    void showSwatch();

    uint32_t m_value = 0;
    QLineEdit *m_text = nullptr;
    QToolButton *m_swatch = nullptr;
};
