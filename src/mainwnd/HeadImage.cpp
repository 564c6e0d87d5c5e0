#include "mainwnd/HeadImage.h"

#include "controls/HeadIcons.h"
#include "core/BmpFile.h"
#include "net/HostRecord.h"
#include "net/PictureStore.h"

#include <QDateTime>
#include <QFileInfo>

namespace HeadImage {

int ForHost(const HostRecord &host)
{
    return PeerHeadImage(host, HeadIconCount());
}

int LoadHeadPhoto(const PictureStore &store, const QString &macText, quint32 *value)
{
    if (value)
        *value = 0;
    const auto file = store.FindHeadPhotoFile(0, macText, true);
    if (!file)
        return 0;
    // A photo replaced under the same name is a new image.
    const QFileInfo info(file->path);
    const QString source = file->path + QLatin1Char('|') + QString::number(info.lastModified().toMSecsSinceEpoch())
                           + QLatin1Char('|') + QString::number(info.size());
    int index = HeadPhotoImageIndex(source);
    if (index < 0)
        index = AddHeadPhotoImage(source, LoadBitmapFile(file->path));
    if (index < 0)
        return 0;
    if (value)
        *value = file->value;
    return index;
}

quint32 CorrectHeadIcon(HostRecord &host, const PictureStore &store)
{
    const bool valid = host.headIcon >= 1 && host.headIcon <= kHeadIconCount;
    if (host.headPictureSize == 0) {
        if (!valid)
            host.headIcon = 0;
        host.previousHeadIcon = host.headIcon;
        return 0;
    }
    quint32 value = 0;
    const int image = LoadHeadPhoto(store, host.keyText, &value);
    if (image == 0) {
        if (!valid)
            host.headIcon = 0;
        return 0;
    }
    if (host.headIcon <= kHeadIconCount)
        host.previousHeadIcon = host.headIcon;
    host.headIcon = image - 1;
    return value;
}

void DropHeadPhotos()
{
    TrimHeadIcons(kImageCount);
}

} // namespace HeadImage
