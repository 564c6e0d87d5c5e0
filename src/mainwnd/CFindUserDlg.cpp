#include "mainwnd/CFindUserDlg.h"

#include "mainwnd/CUserListCtrl.h"
#include "mainwnd/CUserTreeCtrl.h"
#include "mainwnd/ContactTreeModel.h"
#include "mainwnd/UserListModel.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QItemSelectionModel>
#include <QLineEdit>
#include <QPushButton>

CFindUserDlg::CFindUserDlg(QWidget *parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("156"));
    setWindowTitle(QStringLiteral("查找"));
    auto *layout = new QGridLayout(this);
    m_text = new QComboBox(this);
    m_text->setObjectName(QStringLiteral("1045"));
    m_text->setEditable(true);
    m_text->setInsertPolicy(QComboBox::NoInsert);
    layout->addWidget(m_text, 0, 0, 1, 3);
    const auto box = [this, layout](QCheckBox *&member, const char *id, const QString &text, int row, int column) {
        member = new QCheckBox(text, this);
        member->setObjectName(QString::fromLatin1(id));
        member->setChecked(true);
        layout->addWidget(member, row, column);
    };
    box(m_nick, "1046", QStringLiteral("用户名"), 1, 0);
    box(m_host, "1047", QStringLiteral("主机名"), 1, 1);
    box(m_group, "1048", QStringLiteral("组 名"), 1, 2);
    box(m_address, "1049", QStringLiteral("IP地址"), 2, 0);
    box(m_login, "1050", QStringLiteral("登录名"), 2, 1);
    auto *buttons = new QHBoxLayout;
    auto *find = new QPushButton(QStringLiteral("查找"), this);
    find->setObjectName(QStringLiteral("1"));
    find->setDefault(true);
    auto *close = new QPushButton(QStringLiteral("关闭"), this);
    close->setObjectName(QStringLiteral("2"));
    buttons->addStretch(1);
    buttons->addWidget(find);
    buttons->addWidget(close);
    layout->addLayout(buttons, 3, 0, 1, 3);
    connect(find, &QPushButton::clicked, this, &CFindUserDlg::OnFind);
    connect(close, &QPushButton::clicked, this, &QDialog::close);
}

void CFindUserDlg::SetViews(int showMode, CUserListCtrl *list, CUserTreeCtrl *tree)
{
    m_showMode = showMode;
    m_list = list;
    m_tree = tree;
}

FindUser::Fields CFindUserDlg::fields() const
{
    FindUser::Fields f;
    f.nick = m_nick->isChecked();
    f.host = m_host->isChecked();
    f.group = m_group->isChecked();
    f.address = m_address->isChecked();
    f.login = m_login->isChecked();
    return f;
}

void CFindUserDlg::OnFind()
{
    const QString text = m_text->currentText().trimmed().toLower();
    if (m_showMode == 0)
        findInList(text);
    else
        findInTree(text);
    QStringList history;
    for (int i = 0; i < m_text->count(); ++i)
        history.append(m_text->itemText(i));
    if (FindUser::AddToHistory(history, text))
        m_text->addItem(m_text->currentText().trimmed());
}

void CFindUserDlg::findInList(const QString &text)
{
    if (!m_list || !m_list->listModel())
        return;
    QItemSelectionModel *selection = m_list->selectionModel();
    selection->clearSelection();
    const QList<int> rows = FindUser::ListMatches(*m_list->listModel(), text, fields());
    for (int row : rows)
        selection->select(m_list->model()->index(row, 0), QItemSelectionModel::Select | QItemSelectionModel::Rows);
    if (!rows.isEmpty())
        m_list->scrollTo(m_list->model()->index(rows.first(), 0));
}

void CFindUserDlg::findInTree(const QString &text)
{
    ContactTreeModel *model = m_tree ? m_tree->treeModel() : nullptr;
    if (!model)
        return;
    const QModelIndex current = m_tree->currentIndex();
    const int selected = current.isValid() && m_tree->selectionModel()->isSelected(current) ? current.row() : -1;
    m_tree->selectionModel()->clearSelection();
    const HostRecord *found = FindUser::NextTreeMatch(*model, selected, text, fields());
    // A peer inside a closed group is shown: its group opens.
    const int row = found ? model->RevealUser(found) : -1;
    if (row < 0)
        return;
    const QModelIndex index = m_tree->model()->index(row, 0);
    m_tree->setCurrentIndex(index);
    m_tree->selectionModel()->select(index, QItemSelectionModel::ClearAndSelect);
    m_tree->scrollTo(index);
}
