// How a message edit hands a shown picture to the custom-face library: the
// face store installs an adder that runs the face editing dialog ("新增自定义
// 表情") and adds the face when the user confirms.
#pragma once

#include <QString>

class QWidget;

class FaceLibraryAdder
{
public:
    virtual ~FaceLibraryAdder() = default;

    // Offers the picture file as a new custom face with the proposed
    // shortcut; true when the face was added.
    virtual bool AddPictureAsFace(QWidget *owner, quint32 id, const QString &path, const QString &shortcut) = 0;

    // The installed adder, or null while there is none.
    static FaceLibraryAdder *current();
    // Installs the adder (null removes it); returns the previous one. The
    // caller keeps ownership.
    static FaceLibraryAdder *setCurrent(FaceLibraryAdder *adder);
};
