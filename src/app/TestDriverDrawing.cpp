// The test driver's commands on the chat window's requests and drawing tools:
// buttons pressed and read, the doodle board drawn on, the screen capture
// answered, the sound device of voice chat.
#include "app/TestDriver.h"

#include "app/CMessengerApp.h"
#include "chat/CChatDlg.h"
#include "chat/CMsgRichEdit.h"
#include "chat/RichEditObjects.h"
#include "chat/session/ChatSessions.h"
#include "net/RemoteRequests.h"
#include "remote/CDoodleBoard.h"
#include "remote/CScreenCaptureDlg.h"

#include <QAbstractButton>

std::optional<bool> TestDriver::RunDrawing(const QString &verb, const QString &address, const QString &rest)
{
    const QStringList args = rest.split(QLatin1Char(' '), Qt::SkipEmptyParts);
    if (verb == QLatin1String("voicedevice")) {
        // The test hosts have no sound card: voice requests may go all the same.
        ChatSessions *sessions = m_app.chatSessions();
        if (!sessions)
            return false;
        const bool present = address == QLatin1String("on");
        sessions->requests().setVoiceDeviceCheck([present] { return present; });
        return true;
    }
    static const QStringList verbs{QStringLiteral("press"), QStringLiteral("check"), QStringLiteral("tool"),
        QStringLiteral("draw"), QStringLiteral("capture"), QStringLiteral("haspicture")};
    if (!verbs.contains(verb))
        return std::nullopt;
    CChatDlg *chat = window(address, verb == QLatin1String("press"));
    if (!chat)
        return false;
    if (verb == QLatin1String("press") || verb == QLatin1String("check")) {
        QAbstractButton *button = args.isEmpty() ? nullptr : chat->button(args[0].toInt());
        if (!button)
            return false;
        if (verb == QLatin1String("check"))
            return button->text() == args.mid(1).join(QLatin1Char(' '));
        button->click();
        return true;
    }
    if (verb == QLatin1String("haspicture")) {
        // A picture (not a placeholder) shows in the history.
        for (const RichEditObject &object : ListObjects(chat->history()->document())) {
            if (object.kind == ObjectKind::Picture)
                return true;
        }
        return false;
    }
    if (verb == QLatin1String("capture")) {
        // "截图", the area X Y W H chosen in the capture window (whose
        // picture is saved at PATH when one is given).
        if (args.size() != 4 && args.size() != 5)
            return false;
        const QRect area(args[0].toInt(), args[1].toInt(), args[2].toInt(), args[3].toInt());
        const QString shot = args.value(4);
        SetCaptureDialogHook([area, shot](CScreenCaptureDlg &dialog) {
            dialog.setArea(area);
            if (!shot.isEmpty())
                dialog.grab().save(shot);
            dialog.accept();
            return int(dialog.result());
        });
        chat->OnCaptureScreen();
        SetCaptureDialogHook({});
        return true;
    }
    CDoodleBoard *board = chat->doodleBoard();
    if (!board || !chat->doodleMode())
        return false;
    if (verb == QLatin1String("tool"))
        return !args.isEmpty() && board->Command(args[0].toInt(), args.value(1).toInt());
    // draw X1 Y1 X2 Y2: a stroke of the current tool on the board.
    if (args.size() != 4)
        return false;
    const QPoint from(args[0].toInt(), args[1].toInt()), to(args[2].toInt(), args[3].toInt());
    board->canvas().Press(from, Qt::LeftButton);
    board->canvas().Move((from + to) / 2);
    board->canvas().Release(to);
    return true;
}
