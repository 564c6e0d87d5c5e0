#include "platform/DesktopEntry.h"

#include <QDir>
#include <QFileInfo>
#include <QSaveFile>
#include <QStandardPaths>

namespace DesktopEntry {

namespace {

// Characters that make an Exec argument need quotes.
bool needsQuotes(const QString &argument)
{
    if (argument.isEmpty())
        return true;
    static const QString reserved = QStringLiteral(" \t\n\"'\\><~|&;$*?#()`=%");
    for (const QChar c : argument) {
        if (reserved.contains(c))
            return true;
    }
    return false;
}

// A value of type string or localestring: no line breaks, "\" escaped.
QString escapeValue(const QString &value)
{
    QString out;
    for (const QChar c : value) {
        if (c == QLatin1Char('\\'))
            out += QStringLiteral("\\\\");
        else if (c == QLatin1Char('\n'))
            out += QStringLiteral("\\n");
        else if (c == QLatin1Char('\t'))
            out += QStringLiteral("\\t");
        else if (c == QLatin1Char('\r'))
            out += QStringLiteral("\\r");
        else
            out += c;
    }
    return out;
}

} // namespace

QString QuoteExecArgument(const QString &argument)
{
    QString quoted;
    if (!needsQuotes(argument)) {
        quoted = argument;
    } else {
        quoted = QStringLiteral("\"");
        for (const QChar c : argument) {
            if (c == QLatin1Char('"') || c == QLatin1Char('`') || c == QLatin1Char('$') || c == QLatin1Char('\\'))
                quoted += QLatin1Char('\\');
            quoted += c;
        }
        quoted += QLatin1Char('"');
    }
    // A field code would be expanded by the launcher: "%" is written "%%".
    quoted.replace(QLatin1Char('%'), QStringLiteral("%%"));
    return escapeValue(quoted);
}

QByteArray Text(const Entry &entry)
{
    QString exec = QuoteExecArgument(entry.program);
    for (const QString &argument : entry.arguments)
        exec += QLatin1Char(' ') + QuoteExecArgument(argument);
    QString text = QStringLiteral("[Desktop Entry]\n");
    text += QStringLiteral("Type=Application\n");
    text += QStringLiteral("Version=1.0\n");
    text += QStringLiteral("Name=") + escapeValue(entry.name) + QLatin1Char('\n');
    if (!entry.comment.isEmpty())
        text += QStringLiteral("Comment=") + escapeValue(entry.comment) + QLatin1Char('\n');
    text += QStringLiteral("Exec=") + exec + QLatin1Char('\n');
    if (!entry.icon.isEmpty())
        text += QStringLiteral("Icon=") + escapeValue(entry.icon) + QLatin1Char('\n');
    text += QStringLiteral("Terminal=false\n");
    if (entry.autostart) {
        text += QStringLiteral("X-GNOME-Autostart-enabled=true\n");
    } else {
        text += QStringLiteral("Categories=Network;InstantMessaging;\n");
        text += QStringLiteral("StartupNotify=false\n");
    }
    return text.toUtf8();
}

QString FileName(const QString &program)
{
    QString base = QFileInfo(program).fileName();
    if (base.endsWith(QLatin1String(".exe"), Qt::CaseInsensitive))
        base.chop(4);
    if (base.isEmpty())
        base = QStringLiteral("kwel");
    return base + QStringLiteral(".desktop");
}

QString DesktopFolder()
{
    return QStandardPaths::writableLocation(QStandardPaths::DesktopLocation);
}

QString ApplicationsFolder()
{
    return QStandardPaths::writableLocation(QStandardPaths::ApplicationsLocation);
}

QString AutostartFolder()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) + QStringLiteral("/autostart");
}

bool Write(const QString &path, const Entry &entry)
{
    if (path.isEmpty() || !QDir().mkpath(QFileInfo(path).absolutePath()))
        return false;
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    const QByteArray text = Text(entry);
    if (file.write(text) != text.size()) {
        file.cancelWriting();
        return false;
    }
    if (!file.commit())
        return false;
    QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner | QFile::ReadGroup
            | QFile::ExeGroup | QFile::ReadOther | QFile::ExeOther);
    return true;
}

} // namespace DesktopEntry
