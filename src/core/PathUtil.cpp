#include "core/PathUtil.h"

#include <QDir>
#include <QFileInfo>

namespace {

constexpr QChar kSlash = QLatin1Char('/');

QStringView fileNamePart(QStringView path)
{
    return path.sliced(path.lastIndexOf(kSlash) + 1);
}

} // namespace

QString JoinPath(QStringView directory, QStringView name)
{
    if (directory.isEmpty())
        return name.toString();
    if (directory.endsWith(kSlash))
        return directory + name;
    return directory + kSlash + name;
}

std::optional<QString> GetParentDirectory(QStringView path)
{
    if (path.isEmpty())
        return std::nullopt;
    const QString full = QDir::cleanPath(QFileInfo(path.toString()).absoluteFilePath());
    const qsizetype slash = full.lastIndexOf(kSlash);
    if (slash < 0 || full == QStringView(&kSlash, 1))
        return std::nullopt;
    return slash == 0 ? QString(kSlash) : full.left(slash);
}

QString GetPathDirectory(QStringView path)
{
    const qsizetype slash = path.lastIndexOf(kSlash);
    if (slash < 0)
        return {};
    return slash == 0 ? QString(kSlash) : path.first(slash).toString();
}

QString GetPathExtension(QStringView path)
{
    const QStringView name = fileNamePart(path);
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    return dot < 0 ? QString() : name.sliced(dot + 1).toString();
}

QString GetPathFileName(QStringView path)
{
    return fileNamePart(path).toString();
}

QString GetPathFileTitle(QStringView path)
{
    const QStringView name = fileNamePart(path);
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    return (dot < 0 ? name : name.first(dot)).toString();
}

bool IsSafeFileName(QStringView name)
{
    if (name.isEmpty() || name == QLatin1String(".") || name == QLatin1String(".."))
        return false;
    for (QChar c : name)
        if (c == kSlash || c == QLatin1Char('\\') || c.isNull())
            return false;
    return true;
}

bool FileNameEquals(QStringView path, QStringView name)
{
    return IsSafeFileName(name) && fileNamePart(path) == name;
}

QString PathToDisplayName(QStringView path)
{
    QStringView p = path;
    while (p.size() > 1 && p.endsWith(kSlash))
        p.chop(1);
    if (p == QStringView(&kSlash, 1))
        return QString(kSlash);
    return fileNamePart(p).toString();
}
