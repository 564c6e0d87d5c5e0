#include "mainwnd/CSkinColorDlg.h"

#include "mainwnd/ColorRefEdit.h"
#include "mainwnd/DialogButtons.h"

#include <QCheckBox>
#include <QFormLayout>
#include <QVBoxLayout>

CSkinColorDlg::CSkinColorDlg(const ContactCommands::SkinColors &colors, int weekChange, QWidget *parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("383"));
    setWindowTitle(QStringLiteral("自定义皮肤颜色"));
    auto *layout = new QVBoxLayout(this);
    auto *form = new QFormLayout;
    layout->addLayout(form);
    m_frame = new ColorRefEdit(colors.frame, this);
    m_leftTop = new ColorRefEdit(colors.leftTop, this);
    m_rightBottom = new ColorRefEdit(colors.rightBottom, this);
    form->addRow(QStringLiteral("边框颜色:"), m_frame);
    form->addRow(QStringLiteral("左上渐变颜色:"), m_leftTop);
    form->addRow(QStringLiteral("右下渐变颜色:"), m_rightBottom);
    m_week = new QCheckBox(QStringLiteral("每周自动更换皮肤颜色"), this);
    m_week->setChecked(weekChange != 0);
    layout->addWidget(m_week);
    for (ColorRefEdit *edit : { m_frame, m_leftTop, m_rightBottom })
        connect(edit, &ColorRefEdit::valueChanged, this, [this] { emit previewChanged(this->colors()); });
    AddOkCancel(this, layout);
}

ContactCommands::SkinColors CSkinColorDlg::colors() const
{
    return { m_frame->value(), m_leftTop->value(), m_rightBottom->value(), m_rightBottom->value() };
}

int CSkinColorDlg::weekChange() const
{
    return m_week->isChecked() ? 1 : 0;
}

ColorRefEdit *CSkinColorDlg::colorEdit(int index) const
{
    ColorRefEdit *const edits[] = { m_frame, m_leftTop, m_rightBottom };
    return index >= 0 && index < 3 ? edits[index] : nullptr;
}
