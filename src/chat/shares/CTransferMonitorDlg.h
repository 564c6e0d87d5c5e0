// "文件传送监视": what the user offered to peers and is not yet received, one
// row per destination and entry, with a progress bar drawn in the state
// column. It follows the offer table's changes and the file server's
// progress while it is shown; hidden, it does nothing, and the next show
// rebuilds the rows. Closing only hides it.
#pragma once

#include "chat/shares/TransferMonitorModel.h"

#include <QDialog>

class CConfig;
class CFileOfferTable;
class FileServer;
class QTreeWidget;

class CTransferMonitorDlg : public QDialog
{
    Q_OBJECT
public:
    enum Column { NumberColumn, FileColumn, SizeColumn, StateColumn, DestinationColumn };
    // The progress value of a row, read by the delegate that draws the bar.
    static constexpr int ProgressRole = Qt::UserRole + 1;

    CTransferMonitorDlg(CFileOfferTable &offers, FileServer *server, CConfig *config, QWidget *parent = nullptr);

    QTreeWidget *list() const { return m_list; }
    const TransferMonitorModel &model() const { return m_model; }

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
    void render();
    void renderRow(int row);
    void onProgress(const TransferState &state);

    TransferMonitorModel m_model;
    QTreeWidget *m_list = nullptr;
};
