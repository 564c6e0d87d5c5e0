#include "controls/SkinFont.h"

#include <QFontMetrics>
#include <QHash>
#include <QStringList>
#include <algorithm>

QFont SongFont(int pixelHeight, int weight)
{
    const int height = pixelHeight > 0 ? pixelHeight : 12;
    // LOGFONT weights 100..900 are Qt weights as they stand.
    const int qtWeight = std::clamp(weight, 100, 900);
    // Painting code asks for these fonts at every repaint: the fitted size
    // is found once per height and weight (GUI thread only).
    static QHash<int, int> fittedSizes;
    const int key = height * 1000 + qtWeight;

    QFont font;
    font.setFamilies({QStringLiteral("宋体"), QStringLiteral("SimSun"), QStringLiteral("AR PL UMing CN"),
        QStringLiteral("WenQuanYi Micro Hei"), QStringLiteral("Noto Sans CJK SC"), QStringLiteral("Noto Sans SC")});
    font.setWeight(QFont::Weight(qtWeight));
    auto found = fittedSizes.constFind(key);
    if (found == fittedSizes.constEnd()) {
        int size = height;
        for (; size > 6; --size) {
            font.setPixelSize(size);
            if (QFontMetrics(font).height() <= height)
                break;
        }
        found = fittedSizes.insert(key, size);
    }
    font.setPixelSize(*found);
    return font;
}
