#include "platform/RunProgramOrCommand.h"

#include "core/FileUtil.h"
#include "core/Prompter.h"
#include "platform/DesktopServices.h"

#include <QFileInfo>
#include <QRegularExpression>
#include <cerrno>

namespace {

bool isNetworkScheme(const QString &scheme)
{
    return scheme == QLatin1String("http") || scheme == QLatin1String("https") || scheme == QLatin1String("ftp")
        || scheme == QLatin1String("mailto");
}

} // namespace

std::optional<QUrl> ResolveOpenTarget(QStringView text)
{
    const QString trimmed = text.trimmed().toString();
    if (trimmed.isEmpty() || trimmed.contains(QChar(0)))
        return std::nullopt;
    static const QRegularExpression schemePrefix(QStringLiteral("^[A-Za-z][A-Za-z0-9+.-]*:"));
    if (!schemePrefix.match(trimmed).hasMatch()) {
        if (!FileExists(trimmed))
            return std::nullopt;
        return QUrl::fromLocalFile(QFileInfo(trimmed).absoluteFilePath());
    }
    const QUrl url(trimmed, QUrl::TolerantMode);
    if (!url.isValid())
        return std::nullopt;
    const QString scheme = url.scheme().toLower();
    if (isNetworkScheme(scheme)) {
        if (scheme != QLatin1String("mailto") && url.host().isEmpty())
            return std::nullopt;
        return url;
    }
    if (scheme == QLatin1String("file") && url.isLocalFile() && FileExists(url.toLocalFile()))
        return url;
    return std::nullopt;
}

bool RunProgramOrCommand(QStringView text, QObject *owner)
{
    const std::optional<QUrl> target = ResolveOpenTarget(text);
    if (target && DesktopServices::current().openUrl(*target))
        return true;
    // No file or no program for it: the reason in the system's words.
    const int error = target ? ENOEXEC : ENOENT;
    Prompter::current().messageBox(owner, text.toString() + QLatin1Char('\n') + qt_error_string(error),
        QStringLiteral("消息"), Prompter::Buttons::Ok, Prompter::Icon::Warning);
    return false;
}
