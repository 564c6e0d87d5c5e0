#include "core/FileUtil.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTemporaryFile>

bool DirectoryExists(const QString &path, bool create)
{
    if (path.isEmpty())
        return false;
    if (QFileInfo(path).isDir())
        return true;
    return create && QDir().mkdir(path);
}

bool FileExists(const QString &path)
{
    return !path.isEmpty() && QFileInfo::exists(path);
}

std::optional<FileInformation> GetFileInformation(const QString &path)
{
    if (path.isEmpty())
        return std::nullopt;
    const QFileInfo info(path);
    if (!info.exists())
        return std::nullopt;
    FileInformation out;
    out.name = QFileInfo(QDir::cleanPath(info.absoluteFilePath())).fileName();
    if (out.name.isEmpty())
        out.name = QDir::cleanPath(info.absoluteFilePath());
    if (info.isDir())
        out.attributes |= FileInformation::Directory;
    // The owner's write bit, not access(): root may write anywhere.
    if (!(info.permissions() & QFileDevice::WriteOwner))
        out.attributes |= FileInformation::ReadOnly;
    if (out.name.startsWith(QLatin1Char('.')) && out.name.size() > 1)
        out.attributes |= FileInformation::Hidden;
    if (out.attributes == 0)
        out.attributes = FileInformation::Normal;
    out.modified = info.lastModified();
    out.size = info.isDir() ? 0 : static_cast<quint64>(info.size());
    return out;
}

QString MakeTempFilePath()
{
    QTemporaryFile file(QDir::tempPath() + QStringLiteral("/kwelXXXXXX.tmp"));
    file.setAutoRemove(false);
    if (!file.open())
        return {};
    const QString path = file.fileName();
    file.close();
    return path;
}

std::optional<QByteArray> LoadFileToGlobal(const QString &path, qint64 maxBytes)
{
    QFile file(path);
    if (maxBytes < 0 || !file.open(QIODevice::ReadOnly))
        return std::nullopt;
    if (!file.isSequential() && file.size() > maxBytes)
        return std::nullopt;
    // Read in pieces: the size of a special file says nothing.
    QByteArray data;
    if (!file.isSequential())
        data.reserve(file.size());
    constexpr qint64 kChunk = 1 << 16;
    while (true) {
        const qint64 want = qMin(kChunk, maxBytes + 1 - data.size());
        const QByteArray piece = file.read(want);
        if (file.error() != QFileDevice::NoError)
            return std::nullopt;
        if (piece.isEmpty())
            break;
        data.append(piece);
        if (data.size() > maxBytes)
            return std::nullopt;
    }
    return data;
}

namespace {

// The work folder chosen at start-up; empty: the application's data location.
QString &workDirectory()
{
    static QString folder;
    return folder;
}

} // namespace

QString GetDataBaseDirectory()
{
    const QString &work = workDirectory();
    const QString base = work.isEmpty() ? QStandardPaths::writableLocation(QStandardPaths::AppDataLocation) : work;
    if (base.isEmpty() || !QDir().mkpath(base))
        return {};
    return base;
}

QString UseWorkDirectory(const QString &folder)
{
    QString clean = folder.isEmpty() ? QString() : QDir::cleanPath(folder);
    // Only an absolute folder of this system that can be made: a work folder
    // from a Windows backup ("D:\\Kwel") or a relative one would land
    // wherever the program was started.
    if (!clean.isEmpty() && (!QDir::isAbsolutePath(clean) || !QDir().mkpath(clean)))
        clean.clear();
    workDirectory() = clean;
    return GetDataBaseDirectory();
}
