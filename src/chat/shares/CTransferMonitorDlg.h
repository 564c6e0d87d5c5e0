// "文件传送监视": what the user offered to peers and is not yet received, one
// row per destination and entry, with a progress bar drawn in the state
// column. It follows the offer table's changes (an offer's rows at a time)
// and the file server's progress (one row at a time) while it is shown;
// hidden, it does nothing, and the next show rebuilds the rows. Closing only
// hides it. The view asks only for the rows it draws, and the icons are
// looked up once per file type.
#pragma once

#include "chat/shares/TransferMonitorModel.h"

#include <QDialog>

class CConfig;
class CFileOfferTable;
class FileServer;
class QTreeView;

class CTransferMonitorDlg : public QDialog
{
    Q_OBJECT
public:
    using Column = TransferMonitorModel::Column;
    static constexpr int ProgressRole = TransferMonitorModel::ProgressRole;

    CTransferMonitorDlg(CFileOfferTable &offers, FileServer *server, CConfig *config, QWidget *parent = nullptr);

    QTreeView *list() const { return m_list; }
    const TransferMonitorModel &model() const { return *m_model; }

    // Shows the window (restored) and rebuilds its rows.
    void ShowRestored();
    // Rebuilds the rows when the window is shown; true when it did.
    bool AddTransfer();
    bool SetProgress(const QString &key, const QString &text, int value);
    bool SetStateText(const QString &key, const QString &text);
    bool RemoveTransfer(const QString &key);

public slots:
    void OnDelete(); // 1 "删除"
    void reject() override; // 2 "关闭": hides

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    void onProgress(const TransferState &state);
    void onOfferChanged(quint32 packetNumber);

    TransferMonitorModel *m_model = nullptr;
    QTreeView *m_list = nullptr;
};
