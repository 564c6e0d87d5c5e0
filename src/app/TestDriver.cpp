#include "app/TestDriver.h"

#include "app/CMessengerApp.h"
#include "chat/CChatDlg.h"
#include "chat/CChatFilePanel.h"
#include "chat/CChatLogDlg.h"
#include "chat/ChatLayout.h"
#include "chat/CMultiChatDlg.h"
#include "chat/CMsgRichEdit.h"
#include "chat/RichEditObjects.h"
#include "chat/faces/CFacePickerDlg.h"
#include "chat/facestore/FaceStore.h"
#include "chat/session/ChatSessions.h"
#include "mainwnd/CMainPanelDlg.h"
#include "mainwnd/CMessengerDlg.h"
#include "mainwnd/CUserListCtrl.h"
#include "mainwnd/PanelTrayMenu.h"
#include "net/CNetManager.h"
#include "net/MessengerEngine.h"
#include "platform/ScriptedPrompter.h"

#include <QApplication>
#include <QClipboard>
#include <QCursor>
#include <QAbstractButton>
#include <QAction>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QFile>
#include <QHostAddress>
#include <QDialog>
#include <QLabel>
#include <QMenu>
#include <QTextCursor>
#include <QTextEdit>
#include <QTimer>
#include <QTreeWidget>
#include <algorithm>
#include <memory>

TestDriver::TestDriver(CMessengerApp &app, const QString &path, QObject *parent)
    : QObject(parent)
    , m_app(app)
    , m_path(path)
{
    connect(&m_timer, &QTimer::timeout, this, &TestDriver::poll);
    m_timer.start(100);
    // "聊天记录" takes the filter as preset instead of asking.
    CChatDlg::SetLogFilterAsker(
        [](QWidget *, const ChatLogFilter &preset, const CChatDlg::LogFilterDone &done) { done(preset); });
}

TestDriver *TestDriver::fromEnvironment(CMessengerApp &app, QObject *parent)
{
    const QString path = qEnvironmentVariable("KWEL_TEST_DRIVER");
    return path.isEmpty() ? nullptr : new TestDriver(app, path, parent);
}

void TestDriver::poll()
{
    QFile file(m_path);
    if (!file.open(QIODevice::ReadOnly) || file.size() <= m_done)
        return;
    // A command may run a nested event loop (a modal window) in which later
    // commands run: every line is read from where the last one ended, and
    // each command runs from the event loop, not inside this timer's slot
    // (a timer is not fired again while its slot runs).
    for (;;) {
        file.seek(m_done);
        if (file.atEnd())
            break;
        const QByteArray line = file.readLine();
        if (!line.endsWith('\n'))
            break; // not written whole yet
        m_done += line.size();
        const QString command = QString::fromUtf8(line).trimmed();
        if (command.isEmpty())
            continue;
        QMetaObject::invokeMethod(
            this,
            [this, command] {
                const bool ok = Run(command);
                emit commandDone(
                    QStringLiteral("DRIVER %1 %2").arg(ok ? QStringLiteral("ok") : QStringLiteral("failed"), command));
            },
            Qt::QueuedConnection);
    }
}

HostRecord *TestDriver::host(const QString &address) const
{
    // "IP" is the peer at our own port, "IP:PORT" one at another port.
    const quint32 ip = QHostAddress(address.section(QLatin1Char(':'), 0, 0)).toIPv4Address();
    MessengerEngine *engine = m_app.engine();
    if (!engine)
        return nullptr;
    const QString port = address.section(QLatin1Char(':'), 1);
    return engine->FindHost(ip, port.isEmpty() ? engine->net().port() : quint16(port.toUInt()));
}

CChatDlg *TestDriver::window(const QString &address, bool open)
{
    HostRecord *peer = host(address);
    if (!peer)
        return nullptr;
    return m_app.OpenChatWindow(
        peer, 0, int(open ? ChatSessions::OpenMode::Front : ChatSessions::OpenMode::LookUp), 0);
}

ChatFont TestDriver::parseFont(const QStringList &f)
{
    ChatFont font;
    font.faceName = f[0];
    font.height = f[1].toInt();
    font.weight = f[2].toInt();
    const uint rgb = f[3].toUInt(nullptr, 16);
    font.color = ((rgb >> 16) & 0xFF) | (rgb & 0xFF00) | ((rgb & 0xFF) << 16);
    return font;
}

QString TestDriver::joinedLines(const QTextEdit *view)
{
    return view->toPlainText().split(QLatin1Char('\n'), Qt::SkipEmptyParts).join(QLatin1Char('|'));
}

bool TestDriver::runMulti(const QString &command)
{
    const QString verb = command.section(QLatin1Char(' '), 0, 0);
    const QString rest = command.section(QLatin1Char(' '), 1);
    if (verb == QLatin1String("open")) {
        // The page's "群发" button, or the window for the peers of a custom group.
        QAbstractButton *button = m_app.mainPanel()
            ? m_app.mainPanel()->messengerPage()->findChild<QAbstractButton *>(QStringLiteral("1001"))
            : nullptr;
        if (rest.isEmpty() && button && button->isEnabled())
            button->click();
        else
            m_app.OpenMultiChatWindow(0, rest);
        return m_app.multiChatWindow() && m_app.multiChatWindow()->isVisible();
    }
    CMultiChatDlg *multi = m_app.multiChatWindow();
    if (!multi)
        return false;
    if (verb == QLatin1String("select")) {
        QList<HostRecord *> hosts;
        for (const QString &address : rest.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
            HostRecord *peer = host(address);
            if (!peer)
                return false;
            hosts.append(peer);
        }
        multi->memberList()->clearSelection();
        multi->SelectMembers(hosts);
        return multi->selectedCount() == hosts.size();
    }
    if (verb == QLatin1String("font")) {
        const QStringList f = rest.split(QLatin1Char(' '));
        if (f.size() != 4)
            return false;
        multi->SetOwnFont(parseFont(f));
        return true;
    }
    if (verb == QLatin1String("type")) {
        multi->input()->InsertTextWithFaces(rest, 0);
        return true;
    }
    if (verb == QLatin1String("send")) {
        // "发送(S)", as the user presses it.
        QAbstractButton *send = multi->button(MultiCtl::Send);
        if (!send || !send->isVisible())
            return false;
        send->click();
        return true;
    }
    if (verb == QLatin1String("press")) {
        QAbstractButton *button = multi->button(rest.toInt());
        if (!button || !button->isVisible())
            return false;
        button->click();
        return true;
    }
    if (verb == QLatin1String("face")) {
        // A built-in face picked in the picker; in doodle mode ok when the
        // mouse cursor went onto the board with it.
        multi->OnFaceChosen(QString(), rest.toInt());
        if (!multi->doodleMode())
            return true;
        const QWidget *board = multi->findChild<QWidget *>(QStringLiteral("1179"));
        return board && board->rect().contains(board->mapFromGlobal(QCursor::pos()));
    }
    if (verb == QLatin1String("grab"))
        return multi->grab().save(rest);
    return false;
}

bool TestDriver::runLog(const QString &command)
{
    const QString verb = command.section(QLatin1Char(' '), 0, 0);
    const QString rest = command.section(QLatin1Char(' '), 1);
    if (verb == QLatin1String("open")) {
        // The tray's "查看聊天记录(&L)", as the user picks it.
        CMainPanelDlg *panel = m_app.mainPanel();
        if (panel)
            emit panel->trayMenu()->aboutToShow();
        QAction *item = panel ? TrayMenu::Find(panel->trayMenu(), TrayMenu::ChatLog) : nullptr;
        if (!item || !item->isEnabled())
            return false;
        const bool fresh = !m_app.chatLogViewer();
        item->trigger();
        CChatLogDlg *viewer = m_app.chatLogViewer();
        if (viewer && fresh) {
            connect(viewer, &CChatLogDlg::taskFinished, this, [this, viewer] {
                emit commandDone(QStringLiteral("LOGREAD %1 %2")
                        .arg(viewer->userList()->topLevelItemCount())
                        .arg(viewer->pageLabel()->text()));
            });
        }
        return viewer != nullptr;
    }
    CChatLogDlg *viewer = m_app.chatLogViewer();
    if (!viewer || viewer->isWorking())
        return false;
    if (verb == QLatin1String("peer")) {
        QTreeWidget *users = viewer->userList();
        users->clearSelection();
        for (int row = 0; row < users->topLevelItemCount(); ++row) {
            if (users->topLevelItem(row)->text(ChatLogBrowser::AddressColumn) == rest)
                users->topLevelItem(row)->setSelected(true);
        }
        viewer->OnUserListClicked();
        if (users->selectedItems().isEmpty())
            return false;
        emit commandDone(QStringLiteral("LOGPAGE %1 %2").arg(viewer->pageLabel()->text(), joinedLines(viewer->textView())));
        return true;
    }
    if (verb == QLatin1String("grab"))
        return viewer->grab().save(rest);
    return false;
}

bool TestDriver::Run(const QString &command)
{
    const QString verb = command.section(QLatin1Char(' '), 0, 0);
    const QString address = command.section(QLatin1Char(' '), 1, 1);
    const QString rest = command.section(QLatin1Char(' '), 2);
    if (verb == QLatin1String("closemodal")) {
        QWidget *modal = QApplication::activeModalWidget();
        if (modal)
            modal->close();
        return modal != nullptr;
    }
    if (verb == QLatin1String("quit")) {
        QCoreApplication::quit();
        return true;
    }
    if (verb == QLatin1String("multi"))
        return runMulti(command.section(QLatin1Char(' '), 1));
    if (verb == QLatin1String("log"))
        return runLog(command.section(QLatin1Char(' '), 1));
    if (const std::optional<bool> done = runPanelCommand(verb, command.section(QLatin1Char(' '), 1)))
        return *done;
    if (const std::optional<bool> done = runShareCommand(verb, command.section(QLatin1Char(' '), 1)))
        return *done;
    if (const std::optional<bool> done = runTransferCommand(verb, command.section(QLatin1Char(' '), 1)))
        return *done;
    if (const std::optional<bool> done = runUxCommand(verb, command.section(QLatin1Char(' '), 1)))
        return *done;
    if (const std::optional<bool> done = runContactCommand(verb, command.section(QLatin1Char(' '), 1)))
        return *done;
    if (const auto done = RunDrawing(verb, address, rest))
        return *done;
    CChatDlg *chat = window(address, verb == QLatin1String("open"));
    if (!chat)
        return false;
    if (verb == QLatin1String("open"))
        return true;
    if (verb == QLatin1String("font")) {
        const QStringList f = rest.split(QLatin1Char(' '));
        if (f.size() != 4)
            return false;
        chat->SetOwnFont(parseFont(f));
        return true;
    }
    if (verb == QLatin1String("type")) {
        chat->input()->InsertTextWithFaces(rest, 0);
        return true;
    }
    if (verb == QLatin1String("readnotice")) {
        if (!chat->session())
            return false;
        chat->session()->SetRequestReadNotice(rest == QLatin1String("on"));
        return true;
    }
    if (verb == QLatin1String("send")) {
        chat->OnSend();
        return true;
    }
    if (verb == QLatin1String("act")) {
        chat->SendReadNotice();
        return true;
    }
    if (verb == QLatin1String("attach")) {
        // Files and folders for the next message, as if dropped on the window.
        chat->AddAttachments(rest.split(QLatin1Char(' '), Qt::SkipEmptyParts));
        return true;
    }
    if (verb == QLatin1String("receiveall")) {
        // "全部接收", answering the save dialog with DIR/<first item's name>.
        CChatFilePanel *files = chat->filePanel();
        const QTreeWidget *offered = chat->receiveList();
        if (!files || !offered || offered->topLevelItemCount() == 0)
            return false;
        ScriptedPrompter answers;
        answers.queueSaveFile(rest + QLatin1Char('/') + offered->topLevelItem(0)->text(0));
        PrompterScope scope(answers);
        files->OnReceiveAll();
        return true;
    }
    if (verb == QLatin1String("close")) {
        // The window's close box: it hides while anything is pending.
        chat->close();
        return true;
    }
    if (verb == QLatin1String("grab"))
        return chat->grab().save(rest);
    if (verb == QLatin1String("shown")) {
        // The history shows the picture of this id (hex) in place: not a
        // placeholder, nor the place of a picture waiting for room.
        bool ok = false;
        const quint32 id = rest.toUInt(&ok, 16);
        const QList<RichEditObject> objects = ListObjects(chat->history()->document());
        return ok && std::any_of(objects.cbegin(), objects.cend(), [id](const RichEditObject &object) {
            return object.userValue == id && !object.placeholder && !object.deferred;
        });
    }
    if (verb == QLatin1String("addface")) {
        // "添加到表情库(&T)" on the picture of this id (hex) in the history: the
        // proposed name is confirmed in "新增自定义表情"; ok when it was added.
        bool ok = false;
        const quint32 id = rest.toUInt(&ok, 16);
        const QList<RichEditObject> objects = ListObjects(chat->history()->document());
        const auto it = std::find_if(objects.cbegin(), objects.cend(),
            [id](const RichEditObject &object) { return object.userValue == id && !object.placeholder; });
        if (!ok || it == objects.cend())
            return false;
        QTextCursor cursor = chat->history()->textCursor();
        cursor.setPosition(it->position);
        cursor.setPosition(it->position + 1, QTextCursor::KeepAnchor);
        chat->history()->setTextCursor(cursor);
        ScriptedPrompter answers;
        PrompterScope scope(answers);
        QTimer::singleShot(0, chat, [] {
            if (auto *dialog = qobject_cast<QDialog *>(QApplication::activeModalWidget()))
                dialog->accept();
        });
        chat->history()->OnMenuCommand(CMsgRichEdit::CmdAddToFaces);
        return !answers.calls().isEmpty() && answers.calls().last().text == QStringLiteral("已成功添加至表情库!");
    }
    if (verb == QLatin1String("peerlog")) {
        auto shown = std::make_shared<QMetaObject::Connection>();
        *shown = connect(chat, &CChatDlg::loggedHistoryShown, this, [this, chat, address, shown] {
            disconnect(*shown);
            emit commandDone(QStringLiteral("LOGSHOWN %1 %2").arg(address, joinedLines(chat->history())));
        });
        // The window's "聊天记录" button, as the user presses it.
        QAbstractButton *button = chat->button(ChatCtl::PeerLog);
        if (!button || !button->isEnabled())
            return false;
        button->click();
        return true;
    }
    if (verb == QLatin1String("faces")) {
        chat->OnFaceButton(); // the face picker above the face button
        return chat->facePicker() && chat->facePicker()->isVisible();
    }
    if (verb == QLatin1String("facemanager")) {
        // The picker's manager picture: "表情管理" opens modally; later
        // commands run while it is open, "closemodal" ends it.
        if (!chat->facePicker())
            chat->OnFaceButton();
        chat->facePicker()->OnLButtonDown(CFacePickerDlg::HotRect(0).center());
        return true;
    }
    if (verb == QLatin1String("paste")) {
        // A picture on the clipboard, pasted into the input box (Ctrl+V).
        const QImage picture(rest);
        if (picture.isNull())
            return false;
        QGuiApplication::clipboard()->setImage(picture);
        chat->input()->Paste();
        return true;
    }
    if (verb == QLatin1String("face")) {
        // The picture file joins the face library and is picked in the face picker.
        const FaceStore store(PictureStore(m_app.dataFolder()));
        store.Prepare();
        FaceStore::AddRequest request;
        request.source = rest;
        quint32 id = 0;
        if (store.AddCustomFace(request, &id) != FaceStore::AddStatus::Added)
            return false;
        QList<FaceEntry> faces;
        store.index().Read(faces);
        for (const FaceEntry &face : std::as_const(faces)) {
            if (face.id == id)
                chat->OnFaceChosen(store.pictureFile(face), -1);
        }
        return true;
    }
    return false;
}
