// A colour field of the style dialogs: the colour as "#RRGGBB" text beside a
// swatch. Values are COLORREF words (0x00BBGGRR) as the configuration keeps
// them; text that does not read as a colour keeps the last good value.
#pragma once

#include <QWidget>
#include <cstdint>

class QLabel;
class QLineEdit;

class ColorRefEdit : public QWidget
{
    Q_OBJECT
public:
    explicit ColorRefEdit(uint32_t value, QWidget *parent = nullptr);

    uint32_t value() const { return m_value; }
    void setValue(uint32_t value);
    QLineEdit *textEdit() const { return m_text; }

signals:
    void valueChanged(uint32_t value);

private:
    void showSwatch();

    uint32_t m_value = 0;
    QLineEdit *m_text = nullptr;
    QLabel *m_swatch = nullptr;
};
