#include "chat/shares/ShareListWidget.h"

#include "chat/FileTypeIcons.h"
#include "core/Prompter.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QPushButton>

ShareListWidget::ShareListWidget(const QList<ShareRows::Column> &columns, QWidget *parent)
    : QTreeWidget(parent)
{
    setObjectName(QStringLiteral("1081"));
    setRootIsDecorated(false);
    setUniformRowHeights(true);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setAllColumnsShowFocus(true);
    setColumnCount(int(columns.size()));
    QStringList titles;
    for (const ShareRows::Column &c : columns)
        titles << c.title;
    setHeaderLabels(titles);
    for (int i = 0; i < columns.size(); ++i)
        setColumnWidth(i, columns[i].width);
    setIconSize(QSize(16, 16));
}

QIcon ShareListWidget::IconFor(const QString &name, bool folder)
{
    return FileTypeIcon(name, folder);
}

void ShareListWidget::Fill(const std::vector<ShareRecord> &records, const Texts &texts)
{
    clear();
    for (const ShareRecord &r : records) {
        auto *item = new QTreeWidgetItem(this, texts(r));
        item->setIcon(0, IconFor(r.name, !r.file));
        item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
        item->setCheckState(0, Qt::Unchecked);
    }
}

void ShareListWidget::SetAllChecked(bool checked)
{
    for (int i = 0; i < topLevelItemCount(); ++i)
        SetChecked(i, checked);
}

void ShareListWidget::SetChecked(int row, bool checked)
{
    if (QTreeWidgetItem *item = topLevelItem(row))
        item->setCheckState(0, checked ? Qt::Checked : Qt::Unchecked);
}

QList<int> ShareListWidget::CheckedRows() const
{
    QList<int> out;
    for (int i = 0; i < topLevelItemCount(); ++i) {
        if (topLevelItem(i)->checkState(0) == Qt::Checked)
            out.append(i);
    }
    return out;
}

QPushButton *AddShareButton(QHBoxLayout *row, int id, const QString &text)
{
    auto *button = new QPushButton(text);
    button->setObjectName(QString::number(id));
    button->setAutoDefault(false);
    row->addWidget(button);
    return button;
}

void AddCheckButtons(QHBoxLayout *row, ShareListWidget *list)
{
    QObject::connect(AddShareButton(row, 1150, QStringLiteral("全选")), &QPushButton::clicked, list,
        [list] { list->SetAllChecked(true); });
    QObject::connect(AddShareButton(row, 1149, QStringLiteral("全不选")), &QPushButton::clicked, list,
        [list] { list->SetAllChecked(false); });
}

std::vector<ShareRecord> ShareListWidget::ChosenForDownload(const std::vector<ShareRecord> &records)
{
    std::vector<ShareRecord> chosen;
    for (int row : CheckedRows()) {
        if (row < int(records.size()))
            chosen.push_back(records[size_t(row)]);
    }
    if (chosen.empty())
        Prompter::current().messageBox(window(), ShareRows::NothingChosenText(), QStringLiteral("提示"),
            Prompter::Buttons::Ok, Prompter::Icon::Information);
    return chosen;
}
