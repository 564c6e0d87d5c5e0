#include "mainwnd/HeadImage.h"

#include "net/HostRecord.h"

namespace HeadImage {

int ForHost(const HostRecord &host, int imageCount)
{
    return PeerHeadImage(host, imageCount);
}

void CorrectHeadIcon(HostRecord &host)
{
    if (host.headIcon < 1 || host.headIcon > kHeadIconCount)
        host.headIcon = 0;
    host.previousHeadIcon = host.headIcon;
}

} // namespace HeadImage
