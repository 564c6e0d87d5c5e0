// The file a save dialog's answer names. A name typed without one of the
// extensions the caller writes gets its default extension; the dialog asked
// about the name as typed, so when the name with the extension is a file
// that exists, the user is asked before it is replaced.
#pragma once

#include <QString>
#include <QStringList>

class QObject;

struct SaveFileType
{
    QString extension; // added to a name without one of `kept` ("gif")
    QStringList kept; // extensions a chosen name keeps (lower case); empty: any
};

// A still picture: a JPEG when named ".jpg"/".jpeg", else a bitmap (".bmp"
// added to any other name).
SaveFileType StillPictureFile();

// The chosen name as the file to write.
QString WithSaveExtension(const QString &chosen, const SaveFileType &type);

// Runs the current prompter's save dialog: the file to write, or empty when
// the user cancels or will not replace the file the extension names.
QString ChooseSaveFile(
    QObject *owner, const QString &caption, const QString &suggestion, const QString &filter, const SaveFileType &type);
