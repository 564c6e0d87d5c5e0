// Drives the chat windows the way a user would, for the multi-host tests:
// with KWEL_TEST_DRIVER naming a file, every line appended to it is one
// command, carried out on the GUI thread in order. What happens is written
// to the event log (KWEL_EVENT_LOG) as "DRIVER ok|failed <command>".
//
//   open IP                          open the peer's chat window (as a double click);
//                                    IP:PORT names a peer at another port than ours
//   font IP FACE HEIGHT WEIGHT RGB   choose the chat font (colour as 6 hex digits, RRGGBB)
//   type IP TEXT                     type into the input box (face shortcuts become faces)
//   readnotice IP on|off             the send option "对方打开信息时进行通知"
//   send IP                          press the send button
//   act IP                           a user action in the window (sends an owed read notice)
//   attach IP PATH...                files and folders for the next message
//   receiveall IP DIR                "全部接收" into the folder
//   close IP                         the window's close box
//   grab IP PATH                     save a picture of the window
//   shown IP ID                      ok when the history shows picture ID (hex) in place
//                                    (not a placeholder, nor its place waiting for room)
//   addface IP ID                    "添加到表情库(&T)" on that picture, its name confirmed
//   peerlog IP                       "聊天记录" with the filter as preset; when it is
//                                    drawn: "LOGSHOWN IP <history, lines joined by |>"
//   multi open [NAME]                "多人群发" (NAME: the peers of that custom group)
//   multi select IP...               choose these members
//   multi font FACE HEIGHT WEIGHT RGB / multi type TEXT / multi send
//   multi press ID                   click the window's button (1186 the doodle mode ...)
//   multi face INDEX                 the built-in face picked in the picker (in doodle
//                                    mode: ok when the mouse cursor is on the board)
//   multi grab PATH                  save a picture of the multi-user window
//   log open                         the tray's "查看聊天记录(&L)"; when the log is
//                                    read: "LOGREAD <peers> <page label>"
//   log peer IP                      show the records of the peer at that address:
//                                    "LOGPAGE <page label> <records, lines joined by |>"
//   log grab PATH                    save a picture of the viewer
//   paste IP PICTURE                 a picture file put on the clipboard and pasted (Ctrl+V)
//   face IP PICTURE                  the file added to the face library and picked in the picker
//   faces IP                         the face button: the face picker
//   facemanager IP                   the picker's "表情管理" (modal; later commands run inside it)
//   closemodal                       closes the open modal window
//   quit                             end the program
//   search, searchenter, grabpanel   the main panel's search strip (TestDriverPanel.cpp)
//   cursor, movepanel, panel, tray   the pointer, the panel's place and docking, the
//                                    tray menu's commands (TestDriverDock.cpp)
//   menu, move, modaledit, modalclick, modalcheck, peer
//                                    the contact list's menus and the modal
//                                    dialogs (TestDriverContacts.cpp)
// and on the requests and drawing tools (TestDriverDrawing.cpp):
//   press IP ID                      click the window's button (1029, 1032, 1051, 1084 ...)
//   check IP ID TEXT                 ok when the button reads TEXT
//   voicedevice on|off               whether voice chat finds a sound device
//   tool IP CODE [VALUE]             a doodle board command (1..15 tools ...)
//   draw IP X1 Y1 X2 Y2              a stroke of the board's tool
//   capture IP X Y W H [PATH]        "截图" with that area chosen (the capture window saved at PATH)
//   haspicture IP                    ok when a picture shows in the history
//   notice, noticedownload, swatch, modaltext
//                                    the new-version notice, the style
//                                    dialogs' colour swatches and the open
//                                    modal window's text and its format (TestDriverUx.cpp)
// and on shared files and the transfer monitor (TestDriverShares.cpp):
//   shares add|password|save|typepassword|download ..., monitor open|rows|grab ...
#pragma once

#include <QObject>
#include <QTimer>
#include <optional>

#include "core/ChatFont.h"

class CMessengerApp;
class CChatDlg;
class HostRecord;
class QTextEdit;

class TestDriver : public QObject
{
    Q_OBJECT
public:
    TestDriver(CMessengerApp &app, const QString &path, QObject *parent = nullptr);
    // The driver of the file that KWEL_TEST_DRIVER names, or none.
    static TestDriver *fromEnvironment(CMessengerApp &app, QObject *parent);

    bool Run(const QString &command);
    // The commands of the requests and drawing tools; nothing when the verb
    // is not one of them.
    std::optional<bool> RunDrawing(const QString &verb, const QString &address, const QString &rest);

signals:
    // "DRIVER ok|failed <command>" after each command.
    void commandDone(const QString &line);

private:
    void poll();
    CChatDlg *window(const QString &address, bool open);
    // The view's text, its lines joined by "|", for one event line.
    static QString joinedLines(const QTextEdit *view);
    bool runMulti(const QString &command);
    bool runLog(const QString &command);
    HostRecord *host(const QString &address) const;
    static ChatFont parseFont(const QStringList &fields);
    // A command of the main panel; nothing when the verb is not one.
    std::optional<bool> runPanelCommand(const QString &verb, const QString &rest);
    // A command of the contact list, the tray or a modal dialog
    // (TestDriverContacts.cpp); nothing when the verb is not one.
    std::optional<bool> runContactCommand(const QString &verb, const QString &rest);
    std::optional<bool> runDockCommand(const QString &verb, const QString &rest);
    // A command of shared files or the monitor; nothing when the verb is not one.
    std::optional<bool> runShareCommand(const QString &verb, const QString &rest);
    // A command about a chat window's outgoing transfers (TestDriverTransfers.cpp).
    std::optional<bool> runTransferCommand(const QString &verb, const QString &rest);
    // The new-version notice and the style dialogs (TestDriverUx.cpp).
    std::optional<bool> runUxCommand(const QString &verb, const QString &rest);

    CMessengerApp &m_app;
    QString m_path;
    qint64 m_done = 0; // bytes of the file already carried out
    QTimer m_timer;
};
