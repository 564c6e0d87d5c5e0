#include "mainwnd/CTransparencyDlg.h"
#include "controls/PlainLabel.h"

#include "mainwnd/DialogButtons.h"

#include <QGridLayout>
#include <QLabel>
#include <QSlider>
#include <QVBoxLayout>

CTransparencyDlg::CTransparencyDlg(const std::array<int, kKinds> &percent, QWidget *parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("344"));
    setWindowTitle(QStringLiteral("设置透明度"));
    auto *layout = new QVBoxLayout(this);
    auto *grid = new QGridLayout;
    layout->addLayout(grid);
    static const char16_t *const names[kKinds] = { u"主窗口:", u"聊天窗口:", u"消息提示窗口:", u"其它窗口:" };
    for (int kind = 0; kind < kKinds; ++kind) {
        auto *slider = new QSlider(Qt::Horizontal, this);
        slider->setRange(0, 100);
        slider->setValue(std::clamp(percent[size_t(kind)], 0, 100));
        auto *value = PlainLabel(QStringLiteral("%1%").arg(slider->value()), this);
        grid->addWidget(PlainLabel(QString::fromUtf16(names[kind]), this), kind, 0);
        grid->addWidget(slider, kind, 1);
        grid->addWidget(value, kind, 2);
        m_sliders[size_t(kind)] = slider;
        connect(slider, &QSlider::valueChanged, this, [this, kind, value](int v) {
            value->setText(QStringLiteral("%1%").arg(v));
            m_changed[size_t(kind)] = true;
            emit previewChanged(kind, v);
        });
    }
    AddOkCancel(this, layout);
    resize(340, height());
}

std::array<int, CTransparencyDlg::kKinds> CTransparencyDlg::values() const
{
    std::array<int, kKinds> out{};
    for (int kind = 0; kind < kKinds; ++kind)
        out[size_t(kind)] = m_sliders[size_t(kind)]->value();
    return out;
}

bool CTransparencyDlg::anyChanged() const
{
    for (bool c : m_changed)
        if (c)
            return true;
    return false;
}
