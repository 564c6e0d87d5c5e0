// "文件共享设置(支持文件拖放)": the user's shared files and folders, added by
// the buttons or by dropping them on the window, deleted, and stored in
// FileShareInfo on "确定"; "设置密码" opens the share password dialog.
#pragma once

#include "chat/shares/CSharePasswordDlg.h"
#include "chat/shares/ShareRecords.h"

#include <QDialog>
#include <QPointer>

class CConfig;
class ShareListWidget;

class CShareSettingsDlg : public QDialog
{
    Q_OBJECT
public:
    explicit CShareSettingsDlg(CConfig *config, QWidget *parent = nullptr);

    ShareListWidget *list() const { return m_list; }
    const ShareSettingsModel &model() const { return m_model; }
    // Paths chosen or dropped: unreadable ones and repeats are skipped, a
    // path the list cannot hold is refused with a message. Returns how many
    // were added.
    int AddPaths(const QStringList &paths);
    CSharePasswordDlg *passwordDialog() const { return m_password; }

public slots:
    void OnAddFolder(); // 1145 "增加目录"
    void OnAddFiles(); // 1146 "增加文件"
    void OnDelete(); // 1147 "删除"
    void OnPassword(); // 1148 "设置密码"
    void accept() override; // 1006 "确定"

protected:
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dropEvent(QDropEvent *event) override;

private:
    void refill();

    CConfig *m_config;
    ShareSettingsModel m_model;
    ShareListWidget *m_list = nullptr;
    QPointer<CSharePasswordDlg> m_password;
};
