#include "net/PictureStore.h"

#include "core/BmpFile.h"
#include "core/FileUtil.h"
#include "core/PathUtil.h"
#include "net/HostRecord.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <algorithm>

namespace {

QString &programFolder()
{
    static QString folder;
    return folder;
}

bool isHexText(QStringView text)
{
    return std::all_of(text.cbegin(), text.cend(), [](QChar c) {
        const char16_t u = c.unicode();
        return (u >= u'0' && u <= u'9') || (u >= u'a' && u <= u'f') || (u >= u'A' && u <= u'F');
    });
}

} // namespace

PictureStore PictureStore::Program()
{
    return PictureStore(programFolder());
}

void PictureStore::SetProgramFolder(const QString &kwelFolder)
{
    QString cleaned = kwelFolder;
    while (cleaned.size() > 1 && cleaned.endsWith(QLatin1Char('/')))
        cleaned.chop(1);
    programFolder() = cleaned;
}

QString GetPicturePath(quint32 id, PictureFileKind kind, QStringView folder, bool search)
{
    return PictureStore::Program().GetPicturePath(id, kind, folder, search);
}

QString FaceFolderPath(QStringView folder)
{
    return PictureStore::Program().folderPath(folder.toString());
}

PictureStore::PictureStore(QString kwelFolder)
    : m_folder(std::move(kwelFolder))
{
    if (m_folder.isEmpty()) {
        const QString base = GetDataBaseDirectory();
        if (!base.isEmpty())
            m_folder = JoinPath(base, QStringLiteral("kwel"));
    }
}

QString PictureStore::folderPath(const QString &folder) const
{
    return JoinPath(m_folder, folder);
}

bool PictureStore::CreateFolders() const
{
    if (m_folder.isEmpty() || !QDir().mkpath(m_folder))
        return false;
    bool ok = true;
    for (const QString &folder : { customFace(), sendFace(), recvFace(), userHeadPhoto() })
        ok = DirectoryExists(folderPath(folder), true) && ok;
    return ok;
}

QString PictureStore::picturePath(const QString &folder, quint32 id, const QString &extension) const
{
    return JoinPath(folderPath(folder), QStringLiteral("%1.%2").arg(id, 8, 16, QLatin1Char('0')).arg(extension));
}

QString PictureStore::GetPicturePath(quint32 id, PictureFileKind kind, QStringView folder, bool search) const
{
    const QString extension = kind == PictureFileKind::Gif ? QStringLiteral("gif")
        : kind == PictureFileKind::Jpeg                   ? QStringLiteral("jpg")
                                                          : QStringLiteral("bmp");
    if (!search)
        return picturePath(folder.toString(), id, extension);
    for (QStringView candidate : { kCustomFaceFolder, kRecvFaceFolder, kSendFaceFolder }) {
        const QString path = picturePath(candidate.toString(), id, extension);
        if (QFileInfo(path).isFile())
            return path;
    }
    return {};
}

QString PictureStore::FindReceivedPicture(quint32 id, qint32 kind) const
{
    const QString extension = kind == 2 ? QStringLiteral("gif") : QStringLiteral("bmp");
    for (const QString &folder : { customFace(), recvFace() }) {
        const QString path = picturePath(folder, id, extension);
        if (QFileInfo(path).isFile())
            return path;
    }
    return {};
}

bool PictureStore::IsMacText(const QString &text)
{
    return text.size() == 12 && isHexText(text);
}

QString PictureStore::SaveHeadPhoto(QByteArrayView bmpFile, int kindDigit, const QString &macText, quint32 value) const
{
    if (bmpFile.isEmpty() || value == 0 || (kindDigit != 0 && kindDigit != 1) || !IsMacText(macText))
        return {};
    if (!QDir().mkpath(folderPath(userHeadPhoto())))
        return {};
    // The photo stored before stays until the new one is written.
    const QString path = HeadPhotoPath(kindDigit, macText, value);
    if (!writePictureFile(path, bmpFile))
        return {};
    const QString written = QFileInfo(path).absoluteFilePath();
    for (const QString &old : HeadPhotoFiles(kindDigit, macText)) {
        if (QFileInfo(old).absoluteFilePath() != written)
            QFile::remove(old);
    }
    return path;
}

QStringList PictureStore::HeadPhotoFiles(int kindDigit, const QString &macText) const
{
    if ((kindDigit != 0 && kindDigit != 1) || !IsMacText(macText))
        return {};
    const QDir dir(folderPath(userHeadPhoto()));
    const QString prefix = QString::number(kindDigit) + macText;
    QStringList paths;
    for (const QString &name :
        dir.entryList({ prefix + QStringLiteral("*.bmp") }, QDir::Files | QDir::Hidden, QDir::Name))
        paths.append(dir.filePath(name));
    return paths;
}

QString PictureStore::HeadPhotoPath(int kindDigit, const QString &macText, quint32 value) const
{
    const QString name = QString::number(kindDigit) + macText + QStringLiteral("%1.bmp").arg(value, 8, 16, QLatin1Char('0'));
    return JoinPath(folderPath(userHeadPhoto()), name);
}

QString PictureStore::ownHeadPicturePath() const
{
    return JoinPath(folderPath(userHeadPhoto()), QStringLiteral("MyHeadPicture.bmp"));
}

QString PictureStore::ownCustomPicturePath() const
{
    return JoinPath(folderPath(userHeadPhoto()), QStringLiteral("MyCustomPicture.bmp"));
}

std::optional<HeadPhotoFile> PictureStore::FindHeadPhotoFile(int kindDigit, const QString &macText, bool wholeName) const
{
    for (const QString &path : HeadPhotoFiles(kindDigit, macText)) {
        // Title: the kind digit, 12 MAC digits and 8 hex digits of the value.
        const QString name = QFileInfo(path).fileName();
        const QStringView title = QStringView(name).chopped(4);
        const bool ok = title.size() == 21 && isHexText(title.right(8));
        const quint32 value = ok ? title.right(8).toUInt(nullptr, 16) : 0;
        if (wholeName && !ok)
            continue;
        return HeadPhotoFile { path, ok ? value : 0 };
    }
    return std::nullopt;
}

quint32 PictureStore::FindHeadPhoto(const QString &macText, QString *path) const
{
    const auto found = FindHeadPhotoFile(1, macText, false);
    if (path)
        *path = found ? found->path : QString();
    return found ? found->value : 0;
}

QString PictureStore::ShownPhotoPath(const HostRecord &peer) const
{
    QString path;
    if (peer.customPictureSize == 0 || FindHeadPhoto(peer.keyText, &path) == 0)
        return {};
    return path;
}
