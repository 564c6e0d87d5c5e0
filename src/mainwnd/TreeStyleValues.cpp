#include "mainwnd/TreeStyleValues.h"

#include "core/CConfig.h"

#include <QFileInfo>

TreeStyleValues TreeStyleValues::Read(const CConfig &c)
{
    TreeStyleValues v;
    v.bkStyle = c.TreeBkStyle;
    v.defaultPicture = c.TreeDefaultPic;
    v.picturePath = c.TreeBmpPath;
    v.stretch = c.TreeBmpStretch;
    v.gradientMode = c.TreeGradMode;
    v.gradient1 = c.TreeGradClr1;
    v.gradient2 = c.TreeGradClr2;
    v.fill = c.TreeFillClr;
    v.selectionFrame = c.TreeSelFrameClr;
    v.selectionFill = c.TreeSelFillClr;
    v.nick = c.TreeNickClr;
    v.host = c.TreeHostClr;
    v.signature = c.TreeSignClr;
    v.address = c.TreeIPClr;
    v.type = c.TreeTypeClr;
    v.objectGroup = c.TreeObjectGroupClr;
    v.user = c.TreeUserClr;
    v.group = c.TreeGroupClr;
    v.noHostIfMemo = c.NoShowHostIfMemo;
    return v;
}

void TreeStyleValues::Write(CConfig &c) const
{
    c.TreeBkStyle = bkStyle;
    c.TreeDefaultPic = defaultPicture;
    c.TreeBmpPath = picturePath;
    c.TreeBmpStretch = stretch;
    c.TreeGradMode = gradientMode;
    c.TreeGradClr1 = gradient1;
    c.TreeGradClr2 = gradient2;
    c.TreeFillClr = fill;
    c.TreeSelFrameClr = selectionFrame;
    c.TreeSelFillClr = selectionFill;
    c.TreeNickClr = nick;
    c.TreeHostClr = host;
    c.TreeSignClr = signature;
    c.TreeIPClr = address;
    c.TreeTypeClr = type;
    c.TreeObjectGroupClr = objectGroup;
    c.TreeUserClr = user;
    c.TreeGroupClr = group;
    c.NoShowHostIfMemo = noHostIfMemo;
}

bool TreeStyleValues::FallBackIfMissing()
{
    if (picturePath.isEmpty() || QFileInfo(picturePath).isFile())
        return false;
    defaultPicture = 1;
    stretch = 1;
    return true;
}
