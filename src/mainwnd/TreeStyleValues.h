// The user tree's background and text style as the configuration keeps it:
// what the tree-style dialog and the settings' tree page edit, read and
// stored whole so that a cancelled preview can be put back.
#pragma once

#include <QString>
#include <cstdint>

class CConfig;

struct TreeStyleValues
{
    int bkStyle = 1; // TreeBkStyle: 0 none, 1 picture, 2 gradient, 3 fill colour
    int defaultPicture = 1;
    QString picturePath;
    int stretch = 0;
    int gradientMode = 1;
    uint32_t gradient1 = 0, gradient2 = 0, fill = 0, selectionFrame = 0, selectionFill = 0;
    uint32_t nick = 0, host = 0, signature = 0, address = 0, type = 0, objectGroup = 0, user = 0, group = 0;
    int noHostIfMemo = 1;

    static TreeStyleValues Read(const CConfig &config);
    void Write(CConfig &config) const;
    // A picture path that names no file: the built-in picture, stretched.
    // True when it had to fall back.
    bool FallBackIfMissing();
    bool operator==(const TreeStyleValues &) const = default;
};
