// The fonts the skinned windows draw with. "宋体" is the Windows font of the
// system; here it stands for the installed Chinese Song font (or, without
// one, the installed CJK family).
#pragma once

#include <QFont>

// A font of the Song family of the pixel height. The height is the cell
// height of a Windows font (宋体 of height 13 takes 13 pixels a line), so a
// family with taller lines is taken at the largest size whose lines fit.
QFont SongFont(int pixelHeight, int weight = 400);
