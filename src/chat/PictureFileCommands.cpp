#include "chat/PictureFileCommands.h"

#include "chat/CMsgRichEdit.h"
#include "net/PictureStore.h"
#include "chat/faces/FaceLibraryAdder.h"
#include "core/BmpFile.h"
#include "core/Dib.h"
#include "core/JpegFile.h"
#include "core/PathUtil.h"
#include "core/PictureId.h"
#include "core/Prompter.h"
#include "core/SaveFileChoice.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QWidget>

namespace {

const QString kSaveFailed = QStringLiteral("保存失败");
const QString kAddFailed = QStringLiteral("增加失败");

void inform(QWidget *owner, const QString &text, const QString &caption)
{
    Prompter::current().messageBox(owner, text, caption, Prompter::Buttons::Ok, Prompter::Icon::Information);
}

// The dialog asked before overwriting, so an existing target is replaced.
bool copyReplacing(const QString &from, const QString &to)
{
    if (QFileInfo(from).canonicalFilePath() == QFileInfo(to).canonicalFilePath())
        return true;
    if (QFileInfo::exists(to) && !QFile::remove(to))
        return false;
    return QFile::copy(from, to);
}

bool isJpegName(const QString &path)
{
    const QString extension = GetPathExtension(path).toLower();
    return extension == QLatin1String("jpg") || extension == QLatin1String("jpeg");
}

} // namespace

void SavePictureAs(QWidget *owner, quint32 id, bool animated, const QImage &bitmap)
{
    const QString caption = QStringLiteral("另存为");
    const QString stored = GetPicturePath(id, animated ? PictureFileKind::Gif : PictureFileKind::Bitmap, {}, true);
    if (animated) {
        if (stored.isEmpty()) {
            inform(owner, QStringLiteral("保存失败."), kSaveFailed);
            return;
        }
        const QString path = ChooseSaveFile(owner, caption, stored,
            Prompter::filterFromWindows(u"All Files (*.*)|*.*||"), { QStringLiteral("gif"), {} });
        if (path.isEmpty())
            return;
        if (copyReplacing(stored, path))
            inform(owner, QStringLiteral("保存成功!"), QStringLiteral("保存成功"));
        else
            inform(owner, QStringLiteral("保存失败!"), kSaveFailed);
        return;
    }

    const QImage picture = bitmap.isNull() && !stored.isEmpty() ? LoadBitmapFile(stored) : bitmap;
    if (picture.isNull() && stored.isEmpty()) {
        inform(owner, kSaveFailed, kSaveFailed);
        return;
    }
    // Only the formats that can be written are offered.
    const QString filter = Prompter::filterFromWindows(u"BMP图像文件(*.bmp)|*.bmp|JPEG图像文件(*.jpg)|*.jpg||");
    const QString suggestion = stored.isEmpty() ? PictureIdText(id) + QStringLiteral(".bmp") : stored;
    const QString path = ChooseSaveFile(owner, caption, suggestion, filter, StillPictureFile());
    if (path.isEmpty())
        return;
    bool saved = false;
    bool copied = false;
    if (isJpegName(path)) {
        saved = JpegFile::EncodeDibToJpegFile(BitmapToDib(picture, {}, 24), path);
    } else {
        if (!stored.isEmpty()) {
            copied = true;
            saved = copyReplacing(stored, path);
        } else {
            saved = SaveBitmapToFile(picture, path);
        }
    }
    if (saved)
        inform(owner, QStringLiteral("保存成功!"), QStringLiteral("保存成功"));
    else
        inform(owner, copied ? QStringLiteral("保存失败!") : kSaveFailed, kSaveFailed);
}

void AddPictureToFaces(QWidget *owner, quint32 id, bool animated, const QImage &bitmap)
{
    FaceLibraryAdder *adder = FaceLibraryAdder::current();
    const QString stored = GetPicturePath(id, animated ? PictureFileKind::Gif : PictureFileKind::Bitmap, {}, true);
    if (!stored.isEmpty()) {
        if (adder)
            adder->AddPictureAsFace(owner, id, stored, PictureIdText(id));
        return;
    }
    if (animated) {
        inform(owner, QStringLiteral("增加至自定义表情出错,未找到相应表情."), kAddFailed);
        return;
    }
    const QString path = GetPicturePath(id, PictureFileKind::Bitmap, kSendFaceFolder, false);
    if (bitmap.isNull() || !QDir().mkpath(FaceFolderPath(kSendFaceFolder)) || !SaveBitmapToFile(bitmap, path)) {
        inform(owner, QStringLiteral("增加至自定义表情出错."), kAddFailed);
        return;
    }
    if (!adder || !adder->AddPictureAsFace(owner, id, path, PictureIdText(id)))
        QFile::remove(path);
}

QString SendPictureFilter()
{
    return Prompter::filterFromWindows(u"BMP,JPG,GIF图像文件(*.bmp;*.jpg;*.gif)|*.bmp;*.jpg;*.gif||");
}

bool InsertPictureFileToSend(CMsgRichEdit *input, const QString &path)
{
    const QString extension = QFileInfo(path).suffix().toLower();
    if (extension == QLatin1String("gif")) {
        // A GIF travels as its file: it gets an id of its own in SendFace.
        for (int tries = 0; tries < 100; ++tries) {
            const quint32 id = GenerateRandomId();
            const QString copy = GetPicturePath(id, PictureFileKind::Gif, kSendFaceFolder, false);
            if (QFileInfo::exists(copy))
                continue;
            QDir().mkpath(QFileInfo(copy).path());
            if (!QFile::copy(path, copy))
                return false;
            input->InsertAnimatedPicture(copy, id);
            return true;
        }
        return false;
    }
    if (extension == QLatin1String("bmp")) {
        input->InsertPictureFile(path, GenerateRandomId());
        return true;
    }
    if (extension == QLatin1String("jpg")) {
        const auto bytes = readPictureFile(path);
        QByteArray dib;
        if (!bytes || decodeJpegToDib(*bytes, dib) != JpegStatus::Ok)
            return false;
        input->InsertPicture(DibToBitmap(dib), GenerateRandomId());
        return true;
    }
    return false;
}

bool InsertChosenFace(CMsgRichEdit *input, const QString &path, int index)
{
    if (index >= 0) {
        input->InsertFace(index, 0);
        return true;
    }
    // A custom face: its file is named by its id.
    bool ok = false;
    const quint32 id = QFileInfo(path).completeBaseName().toUInt(&ok, 16);
    if (!ok || id == 0)
        return false;
    if (QFileInfo(path).suffix().compare(QLatin1String("gif"), Qt::CaseInsensitive) == 0)
        input->InsertAnimatedPicture(path, id);
    else
        input->InsertPictureFile(path, id);
    return true;
}
