// The chat-log viewer ("查看聊天记录"): the peers that occur in the chat log,
// the records of the chosen ones page by page with their faces and pictures,
// a search over every record, and the deletion of the logs of chosen peers.
// It is the view of a ChatLogBrowser; reading, searching and rewriting the
// file run on a worker (ChatLogTasks) while a progress bar shows how far
// they are, so that a log of hundreds of megabytes never freezes the window.
#pragma once

#include "chat/ChatLogBrowser.h"

#include <QDialog>
#include <QHash>

class CConfig;
class CMsgRichEdit;
class ChatLogRecordModel;
class ChatLogTasks;
class ChatLogWriter;
class QAbstractButton;
class QComboBox;
class QLabel;
class QLineEdit;
class QProgressBar;
class QTreeView;
class QTreeWidget;

class CChatLogDlg : public QDialog
{
    Q_OBJECT
public:
    // The controls of dialog 163.
    enum Control {
        Refresh = 1002,
        Search = 1003,
        Close = 1035,
        UserList = 1081,
        DeleteLogs = 1090,
        TextView = 1091,
        RecordList = 1093,
        SearchLabel = 1094,
        SearchText = 1095,
        FirstPage = 1170,
        PreviousPage = 1171,
        NextPage = 1172,
        LastPage = 1173,
        PageLabel = 1174,
        GoToLabel = 1175,
        PageUnitLabel = 1176,
        PageCombo = 1177,
    };

    // writer: flushed before each read and held while the file is rewritten
    // (may be null); the log at path is read at once.
    CChatLogDlg(ChatLogWriter *writer, const QString &path, CConfig *config, QWidget *parent = nullptr);
    ~CChatLogDlg() override;

    // Reads the log again; the lists are filled when it is read (loaded()).
    void LoadLog();
    bool isWorking() const;
    const ChatLogBrowser &browser() const { return m_browser; }

    // ---- the user's actions ----
    void OnUserListClicked();
    void OnUserListColumnClick(int column);
    void OnSearch();
    void OnDeleteLogs();
    void OnRecordDoubleClicked(int row);
    void GoToPage(int page);
    // A link of the text view: only web, FTP and mail addresses open.
    bool OpenLink(const QString &href);

    QTreeWidget *userList() const { return m_users; }
    QTreeView *recordList() const { return m_records; }
    CMsgRichEdit *textView() const { return m_text; }
    QLabel *pageLabel() const { return m_pageLabel; }
    QComboBox *pageCombo() const { return m_pageCombo; }
    QProgressBar *progress() const { return m_progress; }
    QLineEdit *searchText() const { return m_search; }
    QAbstractButton *button(int id) const { return m_buttons.value(id); }

signals:
    // A task ended and its result is shown (tests wait for it).
    void taskFinished();

protected:
    void closeEvent(QCloseEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void createControls();
    void setWorking(bool working);
    void clearViews();
    void onLoaded(std::shared_ptr<const ChatLogIndex> index);
    void fillUserList();
    QList<int> selectedRows() const;
    void showPage();
    void showTextView(bool text);
    // The name, host and address columns of the hits take what their texts
    // need in the rows in view, but together at most half the list, so the
    // text that matched keeps the other half whatever the names' length (a
    // long name is cut there, whole in its tip). Run when the hits, the
    // rows in view or the list's width change.
    void fitRecordColumns();

    ChatLogWriter *m_writer;
    QString m_path;
    CConfig *m_config;
    ChatLogBrowser m_browser;
    ChatLogTasks *m_tasks = nullptr;
    ChatLogRecordModel *m_recordModel = nullptr;

    QTreeWidget *m_users = nullptr;
    QTreeView *m_records = nullptr;
    CMsgRichEdit *m_text = nullptr;
    QLineEdit *m_search = nullptr;
    QLabel *m_pageLabel = nullptr;
    QComboBox *m_pageCombo = nullptr;
    QProgressBar *m_progress = nullptr;
    QHash<int, QAbstractButton *> m_buttons;
    bool m_fillingCombo = false;
    QString m_found; // the text of the last search
};
