// Message boxes and file choosers behind one replaceable object, so that code
// of any layer can ask the user without knowing the widgets and tests can
// script the answers. The process keeps one current prompter.
#pragma once

#include "core/ScopedCurrent.h"

#include <QString>
#include <QStringList>
#include <QStringView>
#include <cerrno>

class QObject;

class Prompter
{
public:
    // The values of the Windows dialog results (IDOK ...), kept where they
    // are stored or compared as numbers.
    enum class Button { None = 0, Ok = 1, Cancel = 2, Abort = 3, Retry = 4, Ignore = 5, Yes = 6, No = 7 };
    // The button sets of a message box (the MB_ values).
    enum class Buttons { Ok = 0, OkCancel = 1, AbortRetryIgnore = 2, YesNoCancel = 3, YesNo = 4, RetryCancel = 5 };
    enum class Icon { None, Information, Warning, Critical, Question };

    virtual ~Prompter() = default;

    // The owner is the window the box belongs to (a QWidget), or null.
    virtual Button messageBox(QObject *owner, const QString &text, const QString &caption,
        Buttons buttons = Buttons::Ok, Icon icon = Icon::None)
        = 0;
    // Filters are Qt name filters separated by ";;" ("图片 (*.bmp *.jpg);;All Files (*)").
    virtual QString openFile(QObject *owner, const QString &caption, const QString &directory, const QString &filter)
        = 0;
    virtual QStringList openFiles(
        QObject *owner, const QString &caption, const QString &directory, const QString &filter)
        = 0;
    // `suggestion` is a folder or a proposed file path.
    virtual QString saveFile(QObject *owner, const QString &caption, const QString &suggestion, const QString &filter)
        = 0;
    virtual QString chooseFolder(QObject *owner, const QString &caption, const QString &directory) = 0;

    // A Yes/No question; true for Yes.
    bool askYesNo(QObject *owner, const QString &text, const QString &caption);

    // The current prompter; a silent one that answers Cancel and nothing
    // until the application installs its own.
    static Prompter &current();
    // Installs the prompter (null puts the silent one back); returns the
    // previous one. The caller keeps ownership.
    static Prompter *setCurrent(Prompter *prompter);

    // "All Files (*.*)|*.*||" (the filter strings of the Windows dialogs) as
    // a Qt filter; "*.*" becomes "*".
    static QString filterFromWindows(QStringView filter);
};

// Installs a prompter for the life of a scope (tests).
using PrompterScope = ScopedCurrent<Prompter>;

// Shows "<name> error = <error in hexadecimal>" with the caption "消息"; the
// error defaults to errno at the call.
void ShowLastErrorBox(QStringView name, QObject *owner = nullptr, int error = errno);
// The text of that box.
QString LastErrorText(QStringView name, int error);
