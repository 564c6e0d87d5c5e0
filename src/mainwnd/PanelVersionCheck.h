// The main panel's version checks and the notice page:
// - ten seconds after the start (AutoCheckVersion), a peer on the LAN that
//   runs a newer version is told about; without one the maker's upgrade
//   page is read on a worker thread and a newer release is told about;
// - six seconds after the start (ChatShowWeb), the notice page is fetched
//   into the web-access page of the chat windows' web panes.
#pragma once

#include <QDateTime>
#include <QObject>
#include <QTimer>
#include <memory>

class CNewVersionDlg;
class CUpgradePromptDlg;
class MessengerEngine;
class VersionFetch;

class PanelVersionCheck : public QObject
{
    Q_OBJECT
public:
    static constexpr int kVersionDelayMs = 10000; // timer 6
    static constexpr int kNoticeDelayMs = 6000; // timer 0x116

    explicit PanelVersionCheck(MessengerEngine &engine, QObject *parent = nullptr);
    ~PanelVersionCheck() override;

    // Starts the two timers as the configuration asks.
    void Start();
    bool versionTimerActive() const { return m_versionTimer.isActive(); }
    bool noticeTimerActive() const { return m_noticeTimer.isActive(); }

    // Timer 6's work: the LAN first, then the maker's upgrade page.
    void CheckVersion();
    // Timer 0x116's work.
    void FetchNoticePage();
    // Shows the new-version notice (the upgrade thread's message 0x52C).
    void ShowNewVersion(const QString &text, const QString &downloadUrl, bool lan, quint32 peerAddress);

    // The picture library the prompt is about is part of this platform.
    static bool PictureLibraryAvailable() { return true; }
    // The release time the upgrade page is compared with: the program
    // file's last change, unless set (tests).
    QDateTime programTime() const;
    void SetProgramTime(const QDateTime &time) { m_programTime = time; }

    CNewVersionDlg *newVersionDlg() const { return m_newVersion.get(); }
    CUpgradePromptDlg *upgradePrompt() const { return m_prompt.get(); }
    VersionFetch &fetch() const { return *m_fetch; }

signals:
    // The web-access page was written: the chat windows' panes may load it.
    void webAccessPageReady(const QString &path);

private:
    MessengerEngine &m_engine;
    QTimer m_versionTimer;
    QTimer m_noticeTimer;
    std::unique_ptr<VersionFetch> m_fetch;
    std::unique_ptr<CNewVersionDlg> m_newVersion;
    std::unique_ptr<CUpgradePromptDlg> m_prompt;
    QDateTime m_programTime;
};
