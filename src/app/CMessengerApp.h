// The application object: start-up (command line, single instance, data
// folder, configuration, sockets), the main panel, and an orderly shutdown.
#pragma once

#include "app/StartOptions.h"

#include <QObject>
#include <QPointer>
#include <QStringList>
#include <memory>

class CAllSharedFilesDlg;
class CChatDlg;
class CShareSettingsDlg;
class CTransferMonitorDlg;
class ShareService;
class CChatLogDlg;
class CMultiChatDlg;
class MultiSendSession;
class CConfig;
class FaceLibraryDialogAdder;
class CMainPanelDlg;
class ChatLogWriter;
class ChatSession;
struct ChatServices;
class ChatSessionView;
class ChatSessions;
class HostRecord;
class QFile;
class QtMessageSound;
class CMessengerDlg;
class CNetManager;
class IncomingPictures;
class KeyExchange;
class MessengerEngine;
class OwnPictureServer;
class PeerAdmission;
class QApplication;
class SingleInstance;
class TestDriver;
struct PacketRecord;

class CMessengerApp : public QObject
{
    Q_OBJECT
public:
    explicit CMessengerApp(QApplication &app);
    ~CMessengerApp() override;

    // Everything up to the shown main panel. Returns the exit code to end
    // with at once, or nothing when the program is to run.
    std::optional<int> InitInstance();
    // The message loop, then the shutdown; returns the exit code.
    int Run();

    bool autoStart() const { return m_options.autoStart; }
    QString dataFolder() const { return m_dataFolder; }
    CConfig *config() const { return m_config.get(); }
    MessengerEngine *engine() const { return m_engine.get(); }
    KeyExchange *keyExchange() const { return m_keys; }
    // The admission of received packets by the rights of the sender's group.
    PeerAdmission *admission() const { return m_admission.get(); }
    IncomingPictures *incomingPictures() const { return m_pictures.get(); }
    CMainPanelDlg *mainPanel() const { return m_panel.get(); }
    ChatLogWriter *chatLog() const { return m_chatLog.get(); }
    ChatSessions *chatSessions() const { return m_chats.get(); }

    // The one-to-one chat window of the peer: looked up only (mode 3), found
    // or made and kept hidden (0), shown (1), or also brought forward (2)
    // (ChatSessions::OpenMode). A non-zero flag gives none at once.
    CChatDlg *OpenChatWindow(HostRecord *host, int flag, int mode, int subMode);
    // Moves the pending chat-log records to the writer.
    void FlushChatLog();

    // Applies the alpha (0..255) to every window of the class: 0 the main
    // window, 1 the chat windows, 2 the tip popups, 3 the other windows.
    // Returns how many windows took it.
    int SetWindowsAlpha(int kind, int alpha);
    // Every open chat window whose web pane shows the web-access page loads
    // it again; returns how many did.
    int RefreshChatWebPanes();
    // The colour scheme of the configuration on the chat windows, the
    // multi-user window and the web-access page.
    void ApplyColorScheme();

    // ---- the multi-user window and the chat-log viewer (CMessengerAppMulti.cpp) ----
    // "多人群发": the multi-user window, made once and reused, its members
    // filled again and chosen for a group id (0 none) or the peers of a
    // custom group (empty: the peers selected in the main panel's list),
    // with files to send.
    void OpenMultiChatWindow(quint32 groupId, const QString &name, const QStringList &files = {});
    // "查看聊天记录": the chat-log viewer; without a log file the user is asked
    // whether to set up logging instead.
    void OpenChatLogViewer();
    CMultiChatDlg *multiChatWindow() const;
    CChatLogDlg *chatLogViewer() const;
    MultiSendSession *multiSend() const { return m_multiSend.get(); }

    // ---- shared files and the transfer monitor (CMessengerAppShares.cpp) ----
    // "共享": the all-shared-files window, brought forward when open;
    // otherwise opened, and every peer that speaks the extensions is asked
    // for the shares it lists to everyone.
    void OpenAllSharedFiles();
    // "共享文件设置": the share settings dialog.
    void OpenShareSettings();
    // "文件传送监视": the monitor, made on first use, shown and refreshed.
    void ShowTransferMonitor();
    CAllSharedFilesDlg *allSharedFiles() const;
    CTransferMonitorDlg *transferMonitor() const;
    CShareSettingsDlg *shareSettings() const;
    ShareService *shareService() const { return m_shareService.get(); }

private:
    void shutdown();
    void watchTerminationSignals();
    void wireChatWindows();
    void wireChatPanel();
    void wireContactPage();
    void onUnreadOpen();
    ChatSessionView *makeChatWindow(ChatSession &session);
    void closeChatWindows();
    void writeEvent(const QString &line);
    void wireMultiSend(const ChatServices &services);
    void wireMultiPanel();
    void closeMultiSend();
    void openSettings();
    void showLaterFeature(const QString &name);
    void wireShares();
    void wireSharePanel();
    void onShareAnswer(HostRecord *peer, const QString &text);
    void closeShares();

    QApplication &m_app;
    StartOptions m_options;
    QString m_dataFolder;
    std::unique_ptr<SingleInstance> m_instance;
    std::unique_ptr<CConfig> m_config;
    std::unique_ptr<CNetManager> m_net;
    std::unique_ptr<MessengerEngine> m_engine;
    KeyExchange *m_keys = nullptr; // owned by the engine
    std::unique_ptr<PeerAdmission> m_admission;
    std::unique_ptr<IncomingPictures> m_pictures;
    std::unique_ptr<OwnPictureServer> m_ownPictures;
    std::unique_ptr<CMainPanelDlg> m_panel;
    std::unique_ptr<ChatLogWriter> m_chatLog;
    std::unique_ptr<ChatSessions> m_chats;
    QList<QPointer<CChatDlg>> m_windows;
    std::unique_ptr<QtMessageSound> m_sound;
    std::unique_ptr<FaceLibraryDialogAdder> m_faces;
    std::unique_ptr<QFile> m_eventFile; // KWEL_EVENT_LOG: what the chat windows did
    TestDriver *m_driver = nullptr;
    std::unique_ptr<MultiSendSession> m_multiSend;
    QPointer<CMultiChatDlg> m_multiWindow;
    QPointer<CChatLogDlg> m_logViewer;
    std::unique_ptr<ShareService> m_shareService;
    QPointer<CAllSharedFilesDlg> m_allShares;
    QPointer<CShareSettingsDlg> m_shareSettings;
    QPointer<CTransferMonitorDlg> m_monitor;
    bool m_shutDown = false;
};
