// Indexes into the head-icon image lists and the rules that pick a peer's
// image. The lists hold 91 images: 0 a plain IP Messenger peer, 1..84 the
// head icons 0..83 (image = head-icon index + 1), then the program's own
// pictures for groups and tree nodes.
#pragma once

class HostRecord;

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
// beyond the list, and to 1 when that is beyond too. imageCount is the size
// of the image list in use.
int ForHost(const HostRecord &host, int imageCount = kImageCount);

// The head-icon correction of an arriving extension peer when no custom head
// photo is loaded: an index outside 1..83 becomes 0 and the previous index
// takes the current one.
void CorrectHeadIcon(HostRecord &host);

} // namespace HeadImage
