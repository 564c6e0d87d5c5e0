// The face library's commands that need a window: adding picture files as
// faces (with the progress window), and the adder that the message edits
// use to add a shown picture ("添加到表情库(&T)" opens "新增自定义表情").
#pragma once

#include "chat/faces/FaceLibraryAdder.h"
#include "chat/facestore/FaceStore.h"

class QWidget;

// Asks for picture files and adds them all ("增加表情"); reports the counts.
void AddCustomFacesFromFiles(const FaceStore &store, QWidget *owner);

// Names the picture in CEditFaceDlg and adds it to the store.
class FaceLibraryDialogAdder final : public FaceLibraryAdder
{
public:
    explicit FaceLibraryDialogAdder(FaceStore store = FaceStore());
    bool AddPictureAsFace(QWidget *owner, quint32 id, const QString &path, const QString &shortcut) override;

private:
    FaceStore m_store;
};
