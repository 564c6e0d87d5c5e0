// The application object: start-up (command line, single instance, data
// folder, configuration, sockets), the main panel, and an orderly shutdown.
#pragma once

#include "app/StartOptions.h"

#include <QObject>
#include <memory>

class CConfig;
class CMainPanelDlg;
class CMessengerDlg;
class CNetManager;
class IncomingPictures;
class KeyExchange;
class MessengerEngine;
class OwnPictureServer;
class QApplication;
class SingleInstance;

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
    IncomingPictures *incomingPictures() const { return m_pictures.get(); }
    CMainPanelDlg *mainPanel() const { return m_panel.get(); }

private:
    void shutdown();
    void watchTerminationSignals();

    QApplication &m_app;
    StartOptions m_options;
    QString m_dataFolder;
    std::unique_ptr<SingleInstance> m_instance;
    std::unique_ptr<CConfig> m_config;
    std::unique_ptr<CNetManager> m_net;
    std::unique_ptr<MessengerEngine> m_engine;
    KeyExchange *m_keys = nullptr; // owned by the engine
    std::unique_ptr<IncomingPictures> m_pictures;
    std::unique_ptr<OwnPictureServer> m_ownPictures;
    std::unique_ptr<CMainPanelDlg> m_panel;
    bool m_shutDown = false;
};
