// "自定义" skin colours (dialog 383): the main window's frame, left-top and
// right-bottom colours and the weekly change, previewed while edited.
#pragma once

#include "mainwnd/ContactCommands.h"

#include <QDialog>

class ColorRefEdit;
class QCheckBox;

class CSkinColorDlg : public QDialog
{
    Q_OBJECT
public:
    CSkinColorDlg(const ContactCommands::SkinColors &colors, int weekChange, QWidget *parent = nullptr);

    // The colours as edited (right-bottom 2 follows right-bottom).
    ContactCommands::SkinColors colors() const;
    int weekChange() const;
    ColorRefEdit *colorEdit(int index) const; // 0 frame, 1 left-top, 2 right-bottom

signals:
    void previewChanged(const ContactCommands::SkinColors &colors);

private:
    ColorRefEdit *m_frame = nullptr;
    ColorRefEdit *m_leftTop = nullptr;
    ColorRefEdit *m_rightBottom = nullptr;
    QCheckBox *m_week = nullptr;
};
