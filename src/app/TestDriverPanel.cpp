// The driver's commands for the main panel's search strip:
//
//   search TEXT        type TEXT into the search box, as a user would (a click
//                      into the box, then key by key); writes
//                      "SEARCHED <count> <nick>|<nick>..." with the results shown
//   searchenter IP     press Enter in the search box; ok when the chat window
//                      of the peer at IP is then open and shown
//   grabpanel PATH     save a picture of the main panel
#include "app/TestDriver.h"

#include "app/CMessengerApp.h"
#include "chat/CChatDlg.h"
#include "chat/session/ChatSessions.h"
#include "mainwnd/CMainPanelDlg.h"
#include "mainwnd/CSearchBarDlg.h"
#include "mainwnd/CSearchEdit.h"
#include "mainwnd/CSearchPanelDlg.h"
#include "net/CNetManager.h"
#include "net/MessengerEngine.h"

#include <QCoreApplication>
#include <QHostAddress>
#include <QKeyEvent>
#include <QMouseEvent>

std::optional<bool> TestDriver::runPanelCommand(const QString &verb, const QString &rest)
{
    if (const std::optional<bool> done = runDockCommand(verb, rest))
        return done;
    CMainPanelDlg *panel = m_app.mainPanel();
    CSearchBarDlg *strip = panel ? panel->searchStrip() : nullptr;
    if (verb == QLatin1String("grabpanel"))
        return panel && panel->grab().save(rest);
    if (verb != QLatin1String("search") && verb != QLatin1String("searchenter"))
        return std::nullopt;
    if (!strip)
        return false;
    CSearchEdit *box = strip->searchBox();
    if (verb == QLatin1String("search")) {
        if (!panel->isVisible() || !panel->isActiveWindow())
            panel->ShowPanel();
        box->setFocus();
        const QPointF at(4, box->height() / 2);
        QMouseEvent press(QEvent::MouseButtonPress, at, box->mapToGlobal(at), Qt::LeftButton, Qt::LeftButton, {});
        QCoreApplication::sendEvent(box, &press);
        QMouseEvent release(QEvent::MouseButtonRelease, at, box->mapToGlobal(at), Qt::LeftButton, {}, {});
        QCoreApplication::sendEvent(box, &release);
        box->selectAll();
        for (QChar c : rest) {
            QKeyEvent key(QEvent::KeyPress, 0, Qt::NoModifier, QString(c));
            QCoreApplication::sendEvent(box, &key);
        }
        QStringList names;
        for (const UserPickEntry &e : strip->resultPanel()->results())
            names << e.nick;
        emit commandDone(QStringLiteral("SEARCHED %1 %2").arg(names.size()).arg(names.join(QLatin1Char('|'))));
        return strip->resultPanel()->isVisible() || names.isEmpty();
    }
    QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
    QCoreApplication::sendEvent(box, &enter);
    MessengerEngine *engine = m_app.engine();
    HostRecord *host = engine ? engine->FindHost(QHostAddress(rest).toIPv4Address(), engine->net().port()) : nullptr;
    CChatDlg *chat = host ? m_app.OpenChatWindow(host, 0, int(ChatSessions::OpenMode::LookUp), 0) : nullptr;
    return chat && chat->isVisible();
}
