#include "chat/faces/FaceFolders.h"

#include "core/FileUtil.h"
#include "core/PathUtil.h"
#include "core/PictureId.h"

#include <QFileInfo>

namespace {

QString &baseOverride()
{
    static QString base;
    return base;
}

QString pictureFileName(quint32 id, PictureFileKind kind)
{
    const QLatin1StringView extension = kind == PictureFileKind::Gif ? QLatin1StringView(".gif")
        : kind == PictureFileKind::Jpeg                              ? QLatin1StringView(".jpg")
                                                                     : QLatin1StringView(".bmp");
    return PictureIdText(id) + extension;
}

} // namespace

QString FaceBaseDirectory()
{
    const QString &base = baseOverride();
    return base.isEmpty() ? GetDataBaseDirectory() : base;
}

void SetFaceBaseDirectory(const QString &base)
{
    QString cleaned = base;
    while (cleaned.size() > 1 && cleaned.endsWith(QLatin1Char('/')))
        cleaned.chop(1);
    baseOverride() = cleaned;
}

QString FaceFolderPath(QStringView folder)
{
    return JoinPath(JoinPath(FaceBaseDirectory(), u"kwel"), folder);
}

QString GetPicturePath(quint32 id, PictureFileKind kind, QStringView folder, bool search)
{
    const QString name = pictureFileName(id, kind);
    if (!search)
        return JoinPath(FaceFolderPath(folder), name);
    for (QStringView candidate : { kCustomFaceFolder, kRecvFaceFolder, kSendFaceFolder }) {
        const QString path = JoinPath(FaceFolderPath(candidate), name);
        if (QFileInfo(path).isFile())
            return path;
    }
    return {};
}
