// The driver's commands for the new-version notice and the style dialogs:
//
//   notice                ok when the new-version notice stands wholly on the
//                         work area; writes "NOTICE x y w h IN x y w h" (its
//                         frame, the work area)
//   noticedownload        "点击下载最新版本" of the notice
//   swatch N              a click on colour swatch N (0, 1, ...) of the open
//                         modal window
//   modaltext             writes "MODAL <title>|<text>" of the open modal
//                         window (a message box's text); for a message box
//                         also "MODALTEXT plain|rich|auto <its text>", how
//                         Qt takes it
//   prompt CAPTION|TEXT   shows a message box with the caption and text as
//                         the program's own boxes show theirs (after the
//                         command has returned; closemodal closes it)
#include "app/TestDriver.h"

#include "app/CMessengerApp.h"
#include "core/Prompter.h"
#include "mainwnd/CMainPanelDlg.h"
#include "mainwnd/CNewVersionDlg.h"
#include "mainwnd/ColorRefEdit.h"
#include "mainwnd/PanelVersionCheck.h"

#include <QApplication>
#include <QGuiApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QTimer>
#include <QToolButton>

namespace {

QString formatWord(Qt::TextFormat format)
{
    switch (format) {
    case Qt::PlainText:
        return QStringLiteral("plain");
    case Qt::RichText:
        return QStringLiteral("rich");
    default:
        return QStringLiteral("auto");
    }
}

QString rectText(const QRect &r)
{
    return QStringLiteral("%1 %2 %3 %4").arg(r.x()).arg(r.y()).arg(r.width()).arg(r.height());
}

// Clicks after the command has returned: the click may open a modal window.
void clickLater(QAbstractButton *button)
{
    QTimer::singleShot(0, button, &QAbstractButton::click);
}

} // namespace

std::optional<bool> TestDriver::runUxCommand(const QString &verb, const QString &rest)
{
    if (verb == QLatin1String("notice") || verb == QLatin1String("noticedownload")) {
        CMainPanelDlg *panel = m_app.mainPanel();
        CNewVersionDlg *notice = panel ? panel->versionCheck()->newVersionDlg() : nullptr;
        if (!notice || !notice->isVisible())
            return false;
        if (verb == QLatin1String("noticedownload")) {
            clickLater(notice->findChild<QPushButton *>(QStringLiteral("1001")));
            return true;
        }
        const QRect work = notice->screen()->availableGeometry();
        emit commandDone(
            QStringLiteral("NOTICE ") + rectText(notice->frameGeometry()) + QStringLiteral(" IN ") + rectText(work));
        return work.contains(notice->frameGeometry());
    }
    if (verb == QLatin1String("swatch")) {
        QWidget *modal = QApplication::activeModalWidget();
        const QList<ColorRefEdit *> fields = modal ? modal->findChildren<ColorRefEdit *>() : QList<ColorRefEdit *>();
        const int index = rest.section(QLatin1Char(' '), 0, 0).toInt();
        if (index < 0 || index >= fields.size())
            return false;
        clickLater(fields[index]->swatch());
        return true;
    }
    if (verb == QLatin1String("prompt")) {
        if (!m_app.mainPanel())
            return false;
        const QString caption = rest.section(QLatin1Char('|'), 0, 0);
        const QString text = rest.section(QLatin1Char('|'), 1);
        QTimer::singleShot(0, m_app.mainPanel(), [panel = m_app.mainPanel(), caption, text] {
            Prompter::current().messageBox(panel, text, caption, Prompter::Buttons::Ok, Prompter::Icon::Information);
        });
        return true;
    }
    if (verb == QLatin1String("modaltext")) {
        QWidget *modal = QApplication::activeModalWidget();
        if (!modal)
            return false;
        const auto *box = qobject_cast<QMessageBox *>(modal);
        emit commandDone(QStringLiteral("MODAL ") + modal->windowTitle() + QLatin1Char('|')
            + (box ? box->text() : QString()).replace(QLatin1Char('\n'), QLatin1Char(' ')));
        if (box)
            emit commandDone(QStringLiteral("MODALTEXT ") + formatWord(box->textFormat()) + QLatin1Char(' ') + box->text());
        return true;
    }
    return std::nullopt;
}
