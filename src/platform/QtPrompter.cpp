#include "platform/QtPrompter.h"

#include "platform/FileDialogTexts.h"
#include "platform/WindowTitleRoom.h"

#include <QFileDialog>
#include <QGridLayout>
#include <QMessageBox>
#include <QScreen>
#include <algorithm>

namespace {

QWidget *parentOf(QObject *owner)
{
    return qobject_cast<QWidget *>(owner);
}

QMessageBox::StandardButtons standardButtons(Prompter::Buttons buttons)
{
    switch (buttons) {
    case Prompter::Buttons::Ok:
        return QMessageBox::Ok;
    case Prompter::Buttons::OkCancel:
        return QMessageBox::Ok | QMessageBox::Cancel;
    case Prompter::Buttons::AbortRetryIgnore:
        return QMessageBox::Abort | QMessageBox::Retry | QMessageBox::Ignore;
    case Prompter::Buttons::YesNoCancel:
        return QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel;
    case Prompter::Buttons::YesNo:
        return QMessageBox::Yes | QMessageBox::No;
    case Prompter::Buttons::RetryCancel:
        return QMessageBox::Retry | QMessageBox::Cancel;
    }
    return QMessageBox::Ok;
}

QMessageBox::Icon messageIcon(Prompter::Icon icon)
{
    switch (icon) {
    case Prompter::Icon::None:
        return QMessageBox::NoIcon;
    case Prompter::Icon::Information:
        return QMessageBox::Information;
    case Prompter::Icon::Warning:
        return QMessageBox::Warning;
    case Prompter::Icon::Critical:
        return QMessageBox::Critical;
    case Prompter::Icon::Question:
        return QMessageBox::Question;
    }
    return QMessageBox::NoIcon;
}

Prompter::Button pressed(int result, Prompter::Buttons buttons)
{
    switch (result) {
    case QMessageBox::Ok:
        return Prompter::Button::Ok;
    case QMessageBox::Cancel:
        return Prompter::Button::Cancel;
    case QMessageBox::Abort:
        return Prompter::Button::Abort;
    case QMessageBox::Retry:
        return Prompter::Button::Retry;
    case QMessageBox::Ignore:
        return Prompter::Button::Ignore;
    case QMessageBox::Yes:
        return Prompter::Button::Yes;
    case QMessageBox::No:
        return Prompter::Button::No;
    default:
        // Closed without a button: a box without Cancel answers its "no".
        return buttons == Prompter::Buttons::YesNo ? Prompter::Button::No
            : buttons == Prompter::Buttons::Ok     ? Prompter::Button::Ok
                                                   : Prompter::Button::Cancel;
    }
}

} // namespace

Prompter::Button QtPrompter::messageBox(
    QObject *owner, const QString &text, const QString &caption, Buttons buttons, Icon icon)
{
    QMessageBox box(messageIcon(icon), caption, text, standardButtons(buttons), parentOf(owner));
    // Texts carry peer and file names: they are shown as written, never
    // read as markup.
    box.setTextFormat(Qt::PlainText);
    // The box sizes itself to its text; a short text under a long caption
    // would leave the window manager to cut the caption.
    if (auto *grid = qobject_cast<QGridLayout *>(box.layout())) {
        const QMargins margins = grid->contentsMargins();
        int need = WindowTitleRoom::TitleBarWidth(caption);
        if (const QScreen *screen = box.screen())
            need = std::min(need, screen->availableGeometry().width());
        grid->addItem(new QSpacerItem(need - margins.left() - margins.right(), 0, QSizePolicy::Fixed, QSizePolicy::Fixed),
            grid->rowCount(), 0, 1, grid->columnCount());
    }
    return pressed(box.exec(), buttons);
}

namespace {
// The folder dialogs are one kind of their own.
const QString kFolderKind = QStringLiteral("/folders");
}

namespace {

// Qt's own file dialog with its columns in the program's language; the
// chosen paths, none when cancelled.
QStringList runFileDialog(QObject *owner, const QString &caption, const QString &start, const QString &filter,
    QFileDialog::FileMode mode, QFileDialog::AcceptMode accept)
{
    QFileDialog dialog(parentOf(owner), caption, start, filter);
    dialog.setFileMode(mode);
    dialog.setAcceptMode(accept);
    if (mode == QFileDialog::Directory)
        dialog.setOption(QFileDialog::ShowDirsOnly);
    FileDialogTexts::Apply(dialog);
    return dialog.exec() == QDialog::Accepted ? dialog.selectedFiles() : QStringList();
}

} // namespace

QString QtPrompter::openFile(QObject *owner, const QString &caption, const QString &directory, const QString &filter)
{
    const QString chosen = runFileDialog(owner, caption, m_folders.start(filter, directory), filter,
        QFileDialog::ExistingFile, QFileDialog::AcceptOpen)
                               .value(0);
    m_folders.chosenFile(filter, chosen);
    return chosen;
}

QStringList QtPrompter::openFiles(
    QObject *owner, const QString &caption, const QString &directory, const QString &filter)
{
    const QStringList chosen = runFileDialog(owner, caption, m_folders.start(filter, directory), filter,
        QFileDialog::ExistingFiles, QFileDialog::AcceptOpen);
    if (!chosen.isEmpty())
        m_folders.chosenFile(filter, chosen.constFirst());
    return chosen;
}

QString QtPrompter::saveFile(QObject *owner, const QString &caption, const QString &suggestion, const QString &filter)
{
    const QString chosen = runFileDialog(owner, caption, m_folders.start(filter, suggestion), filter,
        QFileDialog::AnyFile, QFileDialog::AcceptSave)
                               .value(0);
    m_folders.chosenFile(filter, chosen);
    return chosen;
}

QString QtPrompter::chooseFolder(QObject *owner, const QString &caption, const QString &directory)
{
    const QString chosen = runFileDialog(owner, caption, m_folders.start(kFolderKind, directory), QString(),
        QFileDialog::Directory, QFileDialog::AcceptOpen)
                               .value(0);
    m_folders.chosenFolder(kFolderKind, chosen);
    return chosen;
}
