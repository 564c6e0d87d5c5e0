#include "mainwnd/HeadImage.h"

#include "net/HostRecord.h"

namespace HeadImage {

int ForHost(const HostRecord &host, int imageCount)
{
    if (host.extension == 0)
        return kPlainPeer;
    const int image = host.headIcon + 1;
    if (image >= 0 && image < imageCount)
        return image;
    const int previous = host.previousHeadIcon + 1;
    if (previous >= 0 && previous < imageCount)
        return previous;
    return kDefaultHead;
}

void CorrectHeadIcon(HostRecord &host)
{
    if (host.headIcon < 1 || host.headIcon > kHeadIconCount)
        host.headIcon = 0;
    host.previousHeadIcon = host.headIcon;
}

} // namespace HeadImage
