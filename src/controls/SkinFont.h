// The fonts the skinned windows draw with. "宋体" is the Windows font of the
// system; here it stands for the installed Chinese font.
#pragma once

#include <QFont>

// A font of the Song family (or the installed CJK family) of the pixel height.
QFont SongFont(int pixelHeight, int weight = 400);
