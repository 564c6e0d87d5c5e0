#include "chat/shares/ShareAnswerDialogs.h"

#include "chat/session/ChatSession.h"
#include "chat/shares/CShareBrowseDlg.h"
#include "chat/shares/CSharePasswordInputDlg.h"

#include <QPointer>

QDialog *OpenShareAnswerDialog(ChatSession &session, ChatShares::Answer answer, const QString &text, QWidget *parent)
{
    QPointer<ChatSession> guard(&session);
    QDialog *dialog = nullptr;
    if (answer == ChatShares::Answer::NeedPassword) {
        auto *prompt = new CSharePasswordInputDlg(session.shares().PeerTitle(), parent);
        QObject::connect(prompt, &QDialog::accepted, prompt, [guard, prompt] {
            if (guard)
                guard->shares().SendPassword(prompt->typed());
        });
        dialog = prompt;
    } else if (answer == ChatShares::Answer::List) {
        auto *browse = new CShareBrowseDlg(session.shares().BrowseCaption(), text, session.shares().password(), parent);
        QObject::connect(browse, &QDialog::accepted, browse, [guard, browse] {
            if (guard)
                guard->shares().SendDownloadRequest(browse->requestText());
        });
        dialog = browse;
    } else {
        return nullptr;
    }
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->show();
    dialog->raise();
    dialog->activateWindow();
    return dialog;
}
