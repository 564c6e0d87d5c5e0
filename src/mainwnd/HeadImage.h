// Indexes into the head-icon image lists and the rules that pick a peer's
// image. The lists hold 91 images of the program's own: 0 a plain IP
// Messenger peer, 1..84 the head icons 0..83 (image = head-icon index + 1),
// then the pictures for groups and tree nodes; the peers' head photos are
// appended behind them as they are loaded.
#pragma once

#include <QString>

class HostRecord;
class PictureStore;

namespace HeadImage {

inline constexpr int kHeadIconCount = 83; // valid head-icon indexes 1..83
inline constexpr int kImageCount = 91; // images of the lists before head photos
inline constexpr int kPlainPeer = 0;
inline constexpr int kDefaultHead = 1; // head-icon index 0
inline constexpr int kGroupWindow = 85; // a group chat ("群")
inline constexpr int kGroupMembers = 86; // the "群内组织" node
inline constexpr int kExpanded = 89;
inline constexpr int kCollapsed = 90;

// The image of a peer: 0 for a plain peer; for an extension peer its
// head-icon index + 1, falling back to the previous index + 1 when that is
// beyond the lists, and to 1 when that is beyond too.
int ForHost(const HostRecord &host);

// Loads a peer's stored head picture (kind 0 of the store) into the
// head-icon lists. Returns its image index, 0 when nothing was loaded;
// value (may be null) gets the photo's value, its transferred size. The
// same unchanged file gives the same image again.
int LoadHeadPhoto(const PictureStore &store, const QString &macText, quint32 *value = nullptr);

// The head-icon correction of an extension peer. Without an announced head
// picture an index outside 1..83 becomes 0 and the previous index takes the
// current one. With one, the stored photo is loaded: when it cannot be, an
// index outside 1..83 becomes 0; when it can, the previous index takes the
// current one (when that is a head icon) and the index becomes the photo's
// image less 1. Returns the value of the loaded photo, 0 when none was.
quint32 CorrectHeadIcon(HostRecord &host, const PictureStore &store);

// The lists back to the program's own images (the views were emptied).
void DropHeadPhotos();

} // namespace HeadImage
