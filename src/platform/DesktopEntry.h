// Desktop entries (freedesktop .desktop files): the program's shortcut on
// the desktop and in the applications menu, and its autostart entry.
// A desktop entry has no hot key, so shortcuts carry none.
#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

namespace DesktopEntry {

struct Entry
{
    QString name; // Name=
    QString comment; // Comment= (may be empty)
    QString program; // absolute path of the program
    QStringList arguments;
    QString icon; // Icon= (absolute path or icon name; may be empty)
    bool autostart = false; // adds the session's autostart keys
};

// The file's text (UTF-8, as the format requires).
QByteArray Text(const Entry &entry);
// One argument of Exec= as the format quotes it: plain when it needs no
// quoting, else in double quotes with ", `, $ and \ escaped; then every "\"
// doubled for the string value itself.
QString QuoteExecArgument(const QString &argument);

// "<program file name>.desktop" ("kwel.desktop").
QString FileName(const QString &program);
// The user's desktop folder and applications-menu folder (XDG).
QString DesktopFolder();
QString ApplicationsFolder();
// "$XDG_CONFIG_HOME/autostart".
QString AutostartFolder();

// Writes the entry to the path through a temporary file; desktop entries on
// the desktop are made executable, as file managers require. False on any
// failure (the old file, if any, stays).
bool Write(const QString &path, const Entry &entry);

} // namespace DesktopEntry
