// The head-icon image list of the contact views, the tip popup and the chat
// windows, drawn by the program itself (res/heads, made by tools/artgen).
#pragma once

#include <QPixmap>

namespace HeadImage {
constexpr int PlainPeer = 0; // a peer running plain IP Messenger
constexpr int FirstHead = 1; // head icon n (announced index n − 1) is image n
constexpr int LastHead = 83;
constexpr int Group = 85; // a group (chat room)
constexpr int GroupMembers = 86; // the members node of a group
constexpr int Expanded = 89; // an expanded group node
constexpr int Collapsed = 90; // a collapsed group node
constexpr int Count = 91; // images in the list
} // namespace HeadImage

// Image `index` of the head-icon list at size × size pixels (16 and 32 are
// drawn for their size, other sizes are scaled). An index outside the list
// gives image 1, as the views' own fallbacks end.
QPixmap HeadIconPixmap(int index, int size);
