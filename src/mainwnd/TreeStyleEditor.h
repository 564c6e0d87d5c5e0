// The controls of the tree's style: background (none, picture, gradient or
// fill colour), the picture file, the colours and the texts' colours. Every
// change is reported at once so that the tree can preview it.
#pragma once

#include "mainwnd/TreeStyleValues.h"

#include <QWidget>
#include <vector>

class ColorRefEdit;
class QCheckBox;
class QComboBox;
class QLineEdit;

class TreeStyleEditor : public QWidget
{
    Q_OBJECT
public:
    explicit TreeStyleEditor(const TreeStyleValues &values, QWidget *parent = nullptr);

    TreeStyleValues values() const;
    QComboBox *backgroundBox() const { return m_background; }
    QLineEdit *pathEdit() const { return m_path; }
    QCheckBox *defaultPictureBox() const { return m_default; }
    ColorRefEdit *fillEdit() const { return m_colors.at(2); }

signals:
    void changed();

private:
    void browse();

    TreeStyleValues m_base;
    QComboBox *m_background = nullptr;
    QCheckBox *m_default = nullptr;
    QLineEdit *m_path = nullptr;
    QCheckBox *m_stretch = nullptr;
    QComboBox *m_gradient = nullptr;
    QCheckBox *m_noHost = nullptr;
    std::vector<ColorRefEdit *> m_colors; // in the order of kColorFields
};
