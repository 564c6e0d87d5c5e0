// The check-box list of the shared-file dialogs (control 1081): columns,
// one row per record with the icon of its kind, "全选" and "全不选".
#pragma once

#include "chat/shares/ShareRecords.h"

#include <QTreeWidget>
#include <functional>

class ShareListWidget : public QTreeWidget
{
    Q_OBJECT
public:
    ShareListWidget(const QList<ShareRows::Column> &columns, QWidget *parent = nullptr);

    using Texts = std::function<QStringList(const ShareRecord &)>;
    void Fill(const std::vector<ShareRecord> &records, const Texts &texts);
    void SetAllChecked(bool checked);
    QList<int> CheckedRows() const;
    // The records of the checked rows (the list shows them in order); none,
    // and "您还没有选择要下载的文件呢。" said, when nothing is checked.
    std::vector<ShareRecord> ChosenForDownload(const std::vector<ShareRecord> &records);
    void SetChecked(int row, bool checked);

    // The icon of a file's name (by its type) or of a folder.
    static QIcon IconFor(const QString &name, bool folder);
};

// The buttons row of the dialogs: each button carries its control id as its
// object name.
class QPushButton;
class QHBoxLayout;
QPushButton *AddShareButton(QHBoxLayout *row, int id, const QString &text);
// 1150 "全选" and 1149 "全不选" for the list.
void AddCheckButtons(QHBoxLayout *row, ShareListWidget *list);
