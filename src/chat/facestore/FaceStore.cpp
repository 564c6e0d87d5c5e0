#include "chat/facestore/FaceStore.h"

#include "chat/facestore/FaceProgress.h"
#include "core/BmpFile.h"
#include "core/COlePicture.h"
#include "core/FacePackage.h"
#include "core/FileUtil.h"
#include "core/JpegFile.h"
#include "core/PathUtil.h"
#include "core/PictureId.h"
#include "core/Prompter.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <limits>

namespace {

const QString kAddFailedCaption = QStringLiteral("增加失败");

QString extensionOf(FaceStore::Content content)
{
    return content == FaceStore::Content::Gif ? QStringLiteral("gif") : QStringLiteral("bmp");
}

} // namespace

FaceStore::FaceStore(PictureStore pictures)
    : m_pictures(std::move(pictures))
{
}

QString FaceStore::folder() const
{
    return m_pictures.folderPath(PictureStore::customFace());
}

FaceIndex FaceStore::index() const
{
    return FaceIndex(JoinPath(folder(), u"face.xml"));
}

QString FaceStore::pictureFile(const FaceEntry &face) const
{
    // The index names the files; only a plain name inside the folder counts.
    return IsSafeFileName(face.org) ? JoinPath(folder(), face.org) : QString();
}

QString FaceStore::thumbnailFile(const FaceEntry &face) const
{
    return IsSafeFileName(face.fixed) ? JoinPath(folder(), face.fixed) : QString();
}

QString FaceStore::pageCacheFile(int pageIndex) const
{
    return JoinPath(folder(), QStringLiteral("CachePage%1.bmp").arg(pageIndex));
}

void FaceStore::RemovePageCache(int pageIndex) const
{
    QFile::remove(pageCacheFile(pageIndex));
}

bool FaceStore::Prepare() const
{
    return m_pictures.CreateFolders() && index().EnsureExists() == FaceIndex::Status::Ok;
}

FaceStore::Content FaceStore::Sniff(QByteArrayView bytes)
{
    if (bytes.startsWith("GIF87a") || bytes.startsWith("GIF89a"))
        return Content::Gif;
    if (bytes.startsWith("BM")) {
        QImage image;
        if (decodeBmpFile(bytes, image) == DibStatus::Ok)
            return Content::Bitmap;
    }
    return QImage::fromData(bytes).isNull() ? Content::None : Content::OtherPicture;
}

bool FaceStore::CopyPictureToFolder(const QString &source, quint32 id, const QString &extension, int folderKind) const
{
    static const QStringView folders[] = { kSendFaceFolder, kRecvFaceFolder, kCustomFaceFolder };
    if (folderKind < 0 || folderKind > 2)
        return false;
    const bool convert = extension.compare(QLatin1String("jpg"), Qt::CaseInsensitive) == 0 && folderKind != 0;
    const QString target = m_pictures.picturePath(
        folders[folderKind].toString(), id, convert ? QStringLiteral("bmp") : extension.toLower());
    if (QFileInfo::exists(target))
        return true;
    QDir().mkpath(QFileInfo(target).path());
    if (convert)
        return JpegFile::ConvertJpegFileToBmpFile(source, target);
    return QFile::copy(source, target);
}

FaceStore::AddStatus FaceStore::storePicture(const QByteArray &bytes, quint32 id, QString *stored) const
{
    const Content content = Sniff(bytes);
    if (content == Content::None)
        return AddStatus::NotAPicture;
    QDir().mkpath(folder());
    const QString path = m_pictures.picturePath(PictureStore::customFace(), id, extensionOf(content));
    bool ok = false;
    if (content == Content::OtherPicture) {
        QImage image;
        image.loadFromData(bytes);
        ok = SaveBitmapToFile(image, path);
    } else {
        ok = writePictureFile(path, bytes);
    }
    if (!ok) {
        QFile::remove(path);
        return AddStatus::CopyFailed;
    }
    *stored = path;
    return AddStatus::Added;
}

quint32 FaceStore::freeId() const
{
    const FaceIndex faces = index();
    for (;;) {
        const quint32 id = GenerateRandomId();
        if (!QFileInfo::exists(m_pictures.picturePath(PictureStore::customFace(), id, QStringLiteral("gif")))
            && !QFileInfo::exists(m_pictures.picturePath(PictureStore::customFace(), id, QStringLiteral("bmp")))
            && !faces.Contains(id))
            return id;
    }
}

void FaceStore::removeFaceFiles(quint32 id) const
{
    for (const QString &extension : { QStringLiteral("gif"), QStringLiteral("bmp") })
        QFile::remove(m_pictures.picturePath(PictureStore::customFace(), id, extension));
    QFile::remove(JoinPath(folder(), QString(PictureIdText(id) + QStringLiteral("fixed.bmp"))));
}

bool FaceStore::MakeThumbnail(const QString &picturePath) const
{
    COlePicture picture;
    if (!picture.Load(picturePath))
        return false;
    const QString target
        = JoinPath(GetPathDirectory(picturePath), QString(GetPathFileTitle(picturePath) + QStringLiteral("fixed.bmp")));
    return picture.RenderToBitmap(target, QRect(0, 0, kThumbnailSide, kThumbnailSide));
}

FaceStore::AddStatus FaceStore::AddCustomFace(const AddRequest &request, quint32 *added) const
{
    QByteArray bytes;
    quint32 id = request.id;
    if (id == 0) {
        const auto read = readPictureFile(request.source);
        if (!read)
            return AddStatus::CopyFailed;
        bytes = *read;
        id = freeId();
    } else {
        for (const QString &extension : { QStringLiteral("gif"), QStringLiteral("bmp") }) {
            if (QFileInfo::exists(m_pictures.picturePath(PictureStore::customFace(), id, extension)))
                return AddStatus::AlreadyExists;
        }
        QString found = m_pictures.GetPicturePath(id, PictureFileKind::Gif, {}, true);
        if (found.isEmpty())
            found = m_pictures.GetPicturePath(id, PictureFileKind::Bitmap, {}, true);
        if (found.isEmpty())
            return AddStatus::NotFound;
        const auto read = readPictureFile(found);
        if (!read)
            return AddStatus::CopyFailed;
        bytes = *read;
    }
    const FaceIndex faces = index();
    if (faces.EnsureExists() != FaceIndex::Status::Ok)
        return AddStatus::NoIndex;

    QString stored;
    const AddStatus status = storePicture(bytes, id, &stored);
    if (status != AddStatus::Added)
        return status;
    if (!MakeThumbnail(stored)) {
        removeFaceFiles(id);
        return AddStatus::ThumbnailFailed;
    }
    int pageCount = 1;
    const FaceEntry entry = FaceIndex::MakeEntry(id, GetPathExtension(stored), request.tip, request.shortcut);
    const FaceIndex::Status written = faces.Append(entry, nullptr, &pageCount);
    if (written != FaceIndex::Status::Ok) {
        removeFaceFiles(id);
        return written == FaceIndex::Status::NoCustomFace ? AddStatus::BadIndex : AddStatus::NoIndex;
    }
    // The last page shows the new face: its cache is stale.
    RemovePageCache(pageCount - 1);
    if (request.deleteSource && !request.source.isEmpty())
        QFile::remove(request.source);
    if (added)
        *added = id;
    return AddStatus::Added;
}

QString FaceStore::AddStatusText(AddStatus status)
{
    switch (status) {
    case AddStatus::Added:
        return QStringLiteral("已成功添加至表情库!");
    case AddStatus::AlreadyExists:
        return QStringLiteral("该表情已经存在!");
    case AddStatus::NotFound:
        return QStringLiteral("未找到相应的表情文件!");
    case AddStatus::CopyFailed:
        return QStringLiteral("增加至自定义表情时出错!");
    case AddStatus::NotAPicture:
        return QStringLiteral("增加至自定义表情出错!");
    case AddStatus::ThumbnailFailed:
        return QStringLiteral("增加至自定义表情出错.");
    case AddStatus::NoIndex:
        return QStringLiteral("未找到face.xml文件.");
    case AddStatus::BadIndex:
        return QStringLiteral("face.xml文件不正确.");
    }
    return {};
}

bool FaceStore::AddCustomFaceWithMessages(const AddRequest &request, QObject *owner) const
{
    const AddStatus status = AddCustomFace(request);
    const bool ok = status == AddStatus::Added;
    Prompter::current().messageBox(owner, AddStatusText(status), ok ? QStringLiteral("增加成功") : kAddFailedCaption,
        Prompter::Buttons::Ok, Prompter::Icon::Information);
    return ok;
}

FaceStore::BatchResult FaceStore::AddFiles(
    const QStringList &files, FaceProgress *progress, QObject *owner, const QString &questionPrefix) const
{
    BatchResult result;
    if (progress)
        progress->SetRange(0, int(files.size()));
    for (int i = 0; i < files.size(); ++i) {
        if (progress && progress->CheckCancel())
            break;
        if (progress)
            progress->SetPos(i + 1);
        AddRequest request;
        request.source = files[i];
        if (AddCustomFace(request) == AddStatus::Added) {
            ++result.added;
            continue;
        }
        ++result.failed;
        const QString question = questionPrefix + files[i] + QStringLiteral(" 时出错.是否继续增加其它的表情文件？");
        if (Prompter::current().messageBox(owner, question, kAddFailedCaption, Prompter::Buttons::YesNo,
                Prompter::Icon::Question)
            != Prompter::Button::Yes)
            break;
    }
    return result;
}

void FaceStore::dropStaleCaches(int fromPage, int pageCount) const
{
    for (int page = std::max(1, fromPage); page <= pageCount; ++page)
        RemovePageCache(page - 1);
}

bool FaceStore::DeleteCustomFace(quint32 id) const
{
    int position = 0, before = 1, after = 1;
    if (index().Remove(id, &position, &before, &after) != FaceIndex::Status::Ok || position == 0)
        return false;
    dropStaleCaches(FacePages::PageOfPosition(position), before);
    removeFaceFiles(id);
    return true;
}

FaceStore::ExportResult FaceStore::ExportPackage(const QString &path, const QList<FaceEntry> &faces) const
{
    ExportResult result;
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        result.writeFailed = true;
        return result;
    }
    bool ok = file.write(FacePackage::HeaderBytes(0)) == FacePackage::kHeaderSize;
    for (const FaceEntry &face : faces) {
        if (!ok)
            break;
        const QString picture = pictureFile(face);
        const auto bytes = picture.isEmpty() ? std::nullopt : readPictureFile(picture, FacePackage::kMaxPictureBytes);
        const Content content = bytes ? Sniff(*bytes) : Content::None;
        if (content != Content::Gif && content != Content::Bitmap) {
            ++result.failed;
            continue;
        }
        FacePackage::Entry entry;
        entry.id = face.id;
        entry.extension = extensionOf(content);
        entry.tip = face.tip;
        entry.shortcut = face.shortcut;
        entry.picture = *bytes;
        const QByteArray written = FacePackage::EntryBytes(entry);
        ok = file.write(written) == written.size();
        if (ok)
            ++result.exported;
    }
    // The count tells what the package really holds.
    if (ok) {
        const QByteArray header = FacePackage::HeaderBytes(quint32(result.exported));
        ok = file.seek(FacePackage::kCountOffset)
            && file.write(header.sliced(FacePackage::kCountOffset, 4)) == 4 && file.commit();
    }
    if (!ok) {
        file.cancelWriting();
        result.writeFailed = true;
        result.exported = 0;
    }
    return result;
}

FaceStore::ImportResult FaceStore::ImportPackage(const QString &path, FaceProgress *progress) const
{
    ImportResult result;
    const auto package = LoadFileToGlobal(path, FacePackage::kMaxPackageBytes);
    if (!package) {
        result.outcome = ImportResult::Outcome::Unreadable;
        return result;
    }
    FacePackage::Header header;
    switch (FacePackage::ReadHeader(*package, header)) {
    case FacePackage::Status::Ok:
        break;
    case FacePackage::Status::BadVersion:
        result.outcome = ImportResult::Outcome::BadVersion;
        return result;
    default:
        result.outcome = ImportResult::Outcome::NotAPackage;
        return result;
    }
    const FaceIndex faces = index();
    if (faces.EnsureExists() != FaceIndex::Status::Ok) {
        result.outcome = ImportResult::Outcome::Unreadable;
        return result;
    }
    const int shown = int(std::min<quint32>(header.count, quint32(std::numeric_limits<int>::max())));
    if (progress)
        progress->SetRange(0, shown);
    qsizetype offset = FacePackage::kHeaderSize;
    for (quint32 i = 0; i < header.count; ++i) {
        if (progress && progress->CheckCancel()) {
            result.outcome = ImportResult::Outcome::Cancelled;
            break;
        }
        if (progress)
            progress->SetPos(int(std::min<quint32>(i + 1, quint32(shown))));
        FacePackage::Entry entry;
        if (FacePackage::ReadEntry(*package, offset, entry) != FacePackage::Status::Ok) {
            result.outcome = ImportResult::Outcome::Truncated; // nothing of an incomplete entry is kept
            break;
        }
        const Content content = Sniff(entry.picture);
        const bool named = entry.extension == QLatin1String("gif") || entry.extension == QLatin1String("bmp");
        if (!named || (content != Content::Gif && content != Content::Bitmap)) {
            ++result.skipped;
            continue;
        }
        quint32 id = entry.id;
        const bool taken = id < kFirstPictureId
            || QFileInfo::exists(m_pictures.picturePath(PictureStore::customFace(), id, QStringLiteral("gif")))
            || QFileInfo::exists(m_pictures.picturePath(PictureStore::customFace(), id, QStringLiteral("bmp")))
            || faces.Contains(id);
        if (taken) {
            id = freeId();
            entry.tip = entry.shortcut = PictureIdText(id);
        }
        QString stored;
        if (storePicture(entry.picture, id, &stored) != AddStatus::Added) {
            ++result.skipped;
            continue;
        }
        int pageCount = 1;
        if (!MakeThumbnail(stored)
            || faces.Append(FaceIndex::MakeEntry(id, GetPathExtension(stored), entry.tip, entry.shortcut), nullptr,
                   &pageCount)
                != FaceIndex::Status::Ok) {
            removeFaceFiles(id); // no orphan files
            ++result.skipped;
            continue;
        }
        RemovePageCache(pageCount - 1);
        ++result.imported;
    }
    return result;
}

QStringList FaceStore::FolderFaceFiles(const QString &folder)
{
    QStringList files;
    const QDir dir(folder);
    for (const QString &name : dir.entryList(QDir::Files | QDir::Hidden, QDir::Name)) {
        if (GetPathFileTitle(name).size() == 32)
            files.append(dir.filePath(name));
    }
    return files;
}
