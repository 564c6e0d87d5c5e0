// The head-icon image lists of the contact views, the tip popup and the chat
// windows: the program's own pictures (res/heads, made by tools/artgen),
// followed by the peers' head photos as they are loaded.
#pragma once

#include <QImage>
#include <QPixmap>
#include <QString>

namespace HeadImage {
constexpr int PlainPeer = 0; // a peer running plain IP Messenger
constexpr int FirstHead = 1; // head icon n (announced index n − 1) is image n
constexpr int LastHead = 83;
constexpr int Group = 85; // a group (chat room)
constexpr int GroupMembers = 86; // the members node of a group
constexpr int Expanded = 89; // an expanded group node
constexpr int Collapsed = 90; // a collapsed group node
constexpr int Count = 91; // the program's own images; head photos follow
} // namespace HeadImage

// Image `index` of the head-icon lists at size × size pixels (16 and 32 are
// drawn for their size, other sizes are scaled). An index outside the lists
// gives image 1, as the views' own fallbacks end.
QPixmap HeadIconPixmap(int index, int size);

// The number of images in the lists: HeadImage::Count plus the head photos.
int HeadIconCount();
// Appends a head photo to both lists: the large list takes it at 32 × 32
// with white transparent, the small list a 16 × 16 copy with black
// transparent. `source` names where the photo came from (its file and
// version): a photo already added under that name is not added again.
// Returns the photo's image index, -1 for a null photo.
int AddHeadPhotoImage(const QString &source, const QImage &photo);
// The index of the photo added under `source`, -1 when there is none.
int HeadPhotoImageIndex(const QString &source);
// Cuts the lists back to `count` images (never below HeadImage::Count).
void TrimHeadIcons(int count);
