#include "controls/SkinFont.h"

#include <QStringList>
#include <algorithm>

QFont SongFont(int pixelHeight, int weight)
{
    QFont font;
    font.setFamilies({QStringLiteral("宋体"), QStringLiteral("SimSun"), QStringLiteral("WenQuanYi Micro Hei"),
        QStringLiteral("Noto Sans CJK SC"), QStringLiteral("Noto Sans SC")});
    font.setPixelSize(pixelHeight > 0 ? pixelHeight : 12);
    // LOGFONT weights 100..900 are Qt weights as they stand.
    font.setWeight(QFont::Weight(std::clamp(weight, 100, 900)));
    return font;
}
