#include "mainwnd/CTreeStyleDlg.h"

#include "mainwnd/DialogButtons.h"
#include "mainwnd/TreeStyleEditor.h"

#include <QVBoxLayout>

CTreeStyleDlg::CTreeStyleDlg(const TreeStyleValues &values, QWidget *parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("341"));
    setWindowTitle(QStringLiteral("自定义树型控件风格"));
    auto *layout = new QVBoxLayout(this);
    m_editor = new TreeStyleEditor(values, this);
    layout->addWidget(m_editor);
    connect(m_editor, &TreeStyleEditor::changed, this, [this] { emit previewChanged(this->values()); });
    AddOkCancel(this, layout);
}

TreeStyleValues CTreeStyleDlg::values() const
{
    return m_editor->values();
}
