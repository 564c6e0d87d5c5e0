#include "chat/OutgoingPictures.h"

#include "chat/CMsgRichEdit.h"
#include "net/PictureStore.h"

QList<OutgoingPicture> CollectOutgoingPictures(const CMsgRichEdit &input, const QList<quint32> &ids)
{
    QList<OutgoingPicture> pictures;
    for (const quint32 id : ids) {
        OutgoingPicture picture;
        picture.id = id;
        bool animated = false;
        picture.bitmap = input.GetPictureBitmap(id, animated);
        if (animated) {
            picture.bitmap = QImage();
            picture.gifPath = GetPicturePath(id, PictureFileKind::Gif, {}, true);
        }
        pictures.append(picture);
    }
    return pictures;
}
