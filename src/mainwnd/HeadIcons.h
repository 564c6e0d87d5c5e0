// The pictures of the head-icon lists. The program's own head icons are
// resources ":/heads/<index>.png"; where one is missing a drawn stand-in (a
// coloured disc with the number) takes its place.
#pragma once

#include <QPixmap>

// One image of the head-icon lists (see HeadImage.h): 0 a plain peer, 1..84
// head icons 0..83, 85 a group chat, 86 group members, 89 and 90 the
// expanded and collapsed marks of a tree node.
QPixmap HeadImagePixmap(int image, int size);
