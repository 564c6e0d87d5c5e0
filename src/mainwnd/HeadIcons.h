// The pictures of the head-icon lists, as the contact views index them; the
// images themselves are the program's own (controls/HeadIcons.h).
#pragma once

#include <QPixmap>

// One image of the head-icon lists (see HeadImage.h): 0 a plain peer, 1..84
// head icons 0..83, 85 a group chat, 86 group members, 89 and 90 the
// expanded and collapsed marks of a tree node.
QPixmap HeadImagePixmap(int image, int size);
