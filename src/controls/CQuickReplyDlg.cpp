#include "controls/CQuickReplyDlg.h"

#include "controls/GbkByteLimit.h"
#include "core/Gbk.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

CQuickReplyDlg::CQuickReplyDlg(QWidget *parent)
    : QDialog(parent)
{
    setWindowTitle(QStringLiteral("用户自定义快捷回复"));
    auto *layout = new QVBoxLayout(this);
    auto *form = new QFormLayout;
    m_combo = new QComboBox(this);
    m_combo->setObjectName(QStringLiteral("1093"));
    m_combo->addItems({QStringLiteral("快捷回复一"), QStringLiteral("快捷回复二"), QStringLiteral("快捷回复三"),
        QStringLiteral("快捷回复四")});
    m_combo->setCurrentIndex(-1);
    form->addRow(QStringLiteral("选择:"), m_combo);
    m_edit = new QLineEdit(this);
    m_edit->setObjectName(QStringLiteral("1078"));
    m_edit->setMaxLength(126);
    m_edit->setMinimumWidth(280);
    form->addRow(QStringLiteral("内容:"), m_edit);
    layout->addLayout(form);
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Ok)->setText(QStringLiteral("确定"));
    buttons->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("取消"));
    layout->addWidget(buttons);
    connect(buttons, &QDialogButtonBox::accepted, this, &CQuickReplyDlg::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &CQuickReplyDlg::reject);
    connect(m_combo, &QComboBox::currentIndexChanged, this, &CQuickReplyDlg::onSelectionChanged);
    // A slot keeps 126 GBK bytes: the edit takes no more, so that what the
    // user sees is what is kept (126 Chinese characters would not fit).
    LimitGbkBytes(m_edit, kMaxTextBytes);
}

bool CQuickReplyDlg::StoreIntoSlot(int slot, const QString &text)
{
    if (slot < 0 || slot >= kSlotCount || Gbk::byteLength(text) > kMaxTextBytes)
        return false;
    m_replies[size_t(slot)] = text;
    return true;
}

void CQuickReplyDlg::onSelectionChanged(int index)
{
    if (m_selected >= 0)
        StoreIntoSlot(m_selected, m_edit->text());
    if (index < 0 || index >= kSlotCount) {
        m_selected = -1;
        m_edit->clear();
        return;
    }
    m_selected = index;
    m_edit->setText(m_replies[size_t(index)]);
}

void CQuickReplyDlg::accept()
{
    if (m_selected >= 0)
        StoreIntoSlot(m_selected, m_edit->text());
    QDialog::accept();
}
