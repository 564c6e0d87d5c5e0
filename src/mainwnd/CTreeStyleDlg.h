// "自定义树型控件风格" (dialog 341): the tree's style, previewed while edited.
#pragma once

#include "mainwnd/TreeStyleValues.h"

#include <QDialog>

class TreeStyleEditor;

class CTreeStyleDlg : public QDialog
{
    Q_OBJECT
public:
    explicit CTreeStyleDlg(const TreeStyleValues &values, QWidget *parent = nullptr);

    TreeStyleValues values() const;
    TreeStyleEditor *editor() const { return m_editor; }

signals:
    void previewChanged(const TreeStyleValues &values);

private:
    TreeStyleEditor *m_editor = nullptr;
};
