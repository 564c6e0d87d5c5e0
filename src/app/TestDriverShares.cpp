// The driver's commands for shared files and the transfer monitor:
//
//   shares add PATH...     "共享文件设置" from the tray, the paths dropped on its list
//   shares password NEW    its "设置密码" with NEW typed twice and "确定" (a message
//                          box follows once the command is done: "closemodal")
//   shares save            its "确定" (a message box follows: "closemodal")
//   shares typepassword TEXT   the open password prompt answered with TEXT
//   shares download N      the open share browser: ok when it lists N rows;
//                          every row is checked and "下载" pressed
//   monitor open           "文件传送监视(&F)" from the tray
//   monitor rows N         ok when the shown monitor lists N rows
//   monitor grab PATH      save a picture of the monitor
#include "app/TestDriver.h"

#include "app/CMessengerApp.h"
#include "chat/shares/CShareBrowseDlg.h"
#include "chat/shares/CSharePasswordDlg.h"
#include "chat/shares/CSharePasswordInputDlg.h"
#include "chat/shares/CShareSettingsDlg.h"
#include "chat/shares/CTransferMonitorDlg.h"
#include "chat/shares/ShareListWidget.h"
#include "mainwnd/CMainPanelDlg.h"
#include "mainwnd/PanelTrayMenu.h"

#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <QTreeWidget>

namespace {

template <typename Dialog> Dialog *openDialog()
{
    const auto windows = QApplication::topLevelWidgets();
    for (QWidget *w : windows) {
        if (auto *dialog = qobject_cast<Dialog *>(w); dialog && dialog->isVisible())
            return dialog;
    }
    return nullptr;
}

// Clicks the button; later, when a message box is to follow (its loop must
// not run inside this command, or the commands after it would wait).
bool press(QWidget *dialog, int id, bool later = false)
{
    auto *button = dialog ? dialog->findChild<QPushButton *>(QString::number(id)) : nullptr;
    if (!button)
        return false;
    if (later)
        QTimer::singleShot(0, button, &QPushButton::click);
    else
        button->click();
    return true;
}

} // namespace

std::optional<bool> TestDriver::runShareCommand(const QString &verb, const QString &rest)
{
    const QString what = rest.section(QLatin1Char(' '), 0, 0);
    const QString arg = rest.section(QLatin1Char(' '), 1);
    if (verb == QLatin1String("monitor")) {
        if (what == QLatin1String("open")) {
            if (m_app.mainPanel())
                m_app.mainPanel()->OnTrayCommand(TrayMenu::TransferMonitor);
            return m_app.transferMonitor() && m_app.transferMonitor()->isVisible();
        }
        CTransferMonitorDlg *monitor = m_app.transferMonitor();
        if (!monitor || !monitor->isVisible())
            return false;
        if (what == QLatin1String("rows"))
            return monitor->model().rowCount() == arg.toInt();
        if (what == QLatin1String("grab"))
            return monitor->grab().save(arg);
        return false;
    }
    if (verb != QLatin1String("shares"))
        return std::nullopt;
    if (what == QLatin1String("add")) {
        if (!m_app.shareSettings() && m_app.mainPanel())
            m_app.mainPanel()->OnTrayCommand(TrayMenu::ShareSettings);
        CShareSettingsDlg *settings = m_app.shareSettings();
        const QStringList paths = arg.split(QLatin1Char(' '), Qt::SkipEmptyParts);
        return settings && settings->AddPaths(paths) == paths.size();
    }
    if (what == QLatin1String("password")) {
        CShareSettingsDlg *settings = m_app.shareSettings();
        if (!press(settings, 1148) || !settings->passwordDialog())
            return false;
        CSharePasswordDlg *dialog = settings->passwordDialog();
        dialog->newBox()->setText(arg);
        dialog->againBox()->setText(arg);
        return press(dialog, 1, true);
    }
    if (what == QLatin1String("save"))
        return press(m_app.shareSettings(), 1006, true);
    if (what == QLatin1String("typepassword")) {
        auto *prompt = openDialog<CSharePasswordInputDlg>();
        if (!prompt)
            return false;
        prompt->passwordBox()->setText(arg);
        return press(prompt, 1);
    }
    if (what == QLatin1String("download")) {
        auto *browse = openDialog<CShareBrowseDlg>();
        if (!browse || browse->list()->topLevelItemCount() != arg.toInt())
            return false;
        browse->list()->SetAllChecked(true);
        return press(browse, 1006);
    }
    return false;
}
