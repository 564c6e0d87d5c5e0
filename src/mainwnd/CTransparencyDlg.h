// "设置透明度" (dialog 344): the transparency in percent of the main window,
// the chat windows, the tip popups and the other windows. Every change is
// previewed at once (previewChanged); the caller puts the old alpha back
// when the dialog is not accepted.
#pragma once

#include <QDialog>
#include <array>

class QSlider;

class CTransparencyDlg : public QDialog
{
    Q_OBJECT
public:
    static constexpr int kKinds = 4; // WindowAlpha::Kind 0..3

    CTransparencyDlg(const std::array<int, kKinds> &percent, QWidget *parent = nullptr);

    std::array<int, kKinds> values() const;
    bool changed(int kind) const { return kind >= 0 && kind < kKinds && m_changed[size_t(kind)]; }
    bool anyChanged() const;
    QSlider *slider(int kind) const { return m_sliders[size_t(kind)]; }

signals:
    void previewChanged(int kind, int percent);

private:
    std::array<QSlider *, kKinds> m_sliders{};
    std::array<bool, kKinds> m_changed{};
};
