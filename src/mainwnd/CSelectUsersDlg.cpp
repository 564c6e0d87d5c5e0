#include "mainwnd/CSelectUsersDlg.h"

#include "core/Gbk.h"
#include "core/Prompter.h"
#include "mainwnd/CUserListCtrl.h"
#include "mainwnd/ContactEntry.h"
#include "mainwnd/HeadImage.h"
#include "mainwnd/UserListModel.h"

#include <QDialogButtonBox>
#include <QHeaderView>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>

namespace {

bool g_descending = false; // one direction for every column and dialog

} // namespace

void SortPickEntries(QList<UserPickEntry> &entries, int column, bool descending)
{
    if (column < 0 || column >= ContactEntry::FieldCount)
        return;
    const bool byAddress = column == ContactEntry::AddressField;
    struct Keyed
    {
        QByteArray text;
        UserPickEntry entry;
    };
    std::vector<Keyed> keyed;
    keyed.reserve(size_t(entries.size()));
    for (const UserPickEntry &e : std::as_const(entries))
        keyed.push_back({ byAddress ? QByteArray() : Gbk::sortKey(e.fieldTexts().at(column)), e });
    std::stable_sort(keyed.begin(), keyed.end(), [&](const Keyed &a, const Keyed &b) {
        const bool less = byAddress ? a.entry.address < b.entry.address : a.text < b.text;
        const bool greater = byAddress ? b.entry.address < a.entry.address : b.text < a.text;
        return descending ? greater : less;
    });
    entries.clear();
    for (Keyed &k : keyed)
        entries.append(std::move(k.entry));
}

bool CSelectUsersDlg::nextSortDescending()
{
    return g_descending;
}

CSelectUsersDlg::CSelectUsersDlg(QList<UserPickEntry> &entries, QWidget *parent)
    : QDialog(parent)
    , m_entries(entries)
{
    setObjectName(QStringLiteral("380"));
    setWindowTitle(QStringLiteral("请选择用户"));
    auto *layout = new QVBoxLayout(this);
    m_model = new UserListModel(this);
    m_model->setCheckable(true);
    m_model->SetColumnOrder(QStringLiteral("123456"));
    m_list = new CUserListCtrl(this);
    m_list->setObjectName(QStringLiteral("1081"));
    m_list->setListModel(m_model);
    m_list->Init(this);
    m_list->SetLargeIcons(false);
    layout->addWidget(m_list, 1);
    auto *buttons = new QDialogButtonBox(this);
    QPushButton *ok = buttons->addButton(QStringLiteral("确定"), QDialogButtonBox::AcceptRole);
    ok->setObjectName(QStringLiteral("1"));
    QPushButton *cancel = buttons->addButton(QStringLiteral("取消"), QDialogButtonBox::RejectRole);
    cancel->setObjectName(QStringLiteral("2"));
    layout->addWidget(buttons);
    connect(buttons, &QDialogButtonBox::accepted, this, &CSelectUsersDlg::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(m_list, &CUserListCtrl::columnClicked, this, &CSelectUsersDlg::OnColumnClick);
    resize(560, 360);
    fill();
}

void CSelectUsersDlg::fill()
{
    m_model->DeleteAllItems();
    for (int row = 0; row < m_entries.size(); ++row) {
        const UserPickEntry &e = m_entries[row];
        const int image = e.image >= 0 && e.image < HeadImage::kImageCount ? e.image : 1;
        m_model->InsertUserRow(row, ContactEntry::FieldCount - 1, e.fieldTexts(), image);
        m_model->setChecked(row, e.selected);
    }
    shareColumns();
}

void CSelectUsersDlg::shareColumns()
{
    // The columns share the list's width; before the dialog first shows,
    // the list has no width of its own yet.
    const int width = std::max(60, m_list->viewport()->width());
    for (int c = 0; c < m_model->columnCount(); ++c)
        m_list->setColumnWidth(c, width / std::max(1, m_model->columnCount()));
}

void CSelectUsersDlg::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    shareColumns();
}

void CSelectUsersDlg::storeChecks()
{
    for (int row = 0; row < m_entries.size() && row < m_model->rowCount(); ++row)
        m_entries[row].selected = m_model->isChecked(row);
}

void CSelectUsersDlg::OnColumnClick(int column)
{
    g_descending = !g_descending;
    storeChecks();
    if (m_entries.size() >= 2)
        SortPickEntries(m_entries, m_model->columnField(column), !g_descending);
    fill();
}

void CSelectUsersDlg::accept()
{
    storeChecks();
    const bool any = std::any_of(m_entries.cbegin(), m_entries.cend(), [](const UserPickEntry &e) { return e.selected; });
    if (!any) {
        Prompter::current().messageBox(this, QStringLiteral("您还没有选择要分组用户呢。"), QStringLiteral("提示"),
            Prompter::Buttons::Ok, Prompter::Icon::Information);
        return;
    }
    QDialog::accept();
}
