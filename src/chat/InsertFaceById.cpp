#include "chat/InsertFaceById.h"

#include "chat/CMsgRichEdit.h"
#include "chat/RichEditObjects.h"
#include "net/PictureStore.h"
#include "core/FaceShortcuts.h"

#include <QFileInfo>
#include <QTextDocument>

void InsertFaceById(CMsgRichEdit *target, const CMsgRichEdit *source, quint32 id)
{
    if (!target)
        return;
    const QList<RichEditObject> objects = source ? ListObjects(source->document()) : QList<RichEditObject>();
    for (const RichEditObject &object : objects) {
        if (object.userValue != id || object.placeholder || object.kind == ObjectKind::Face)
            continue;
        if (object.isAnimated()) {
            target->InsertAnimatedPicture(object.filePath, id);
        } else if (!object.filePath.isEmpty() && QFileInfo(object.filePath).isFile()) {
            target->InsertPictureFile(object.filePath, id);
        } else {
            bool animated = false;
            target->InsertPicture(source->GetPictureBitmap(id, animated), id);
        }
        return;
    }
    const QString gif = GetPicturePath(id, PictureFileKind::Gif, kCustomFaceFolder, false);
    const QString bmp = GetPicturePath(id, PictureFileKind::Bitmap, kCustomFaceFolder, false);
    if (QFileInfo(gif).isFile())
        target->InsertAnimatedPicture(gif, id);
    else if (QFileInfo(bmp).isFile())
        target->InsertPictureFile(bmp, id);
    else
        target->InsertTextWithFaces(FaceShortcutTable[kFaceNotFound], id);
}
