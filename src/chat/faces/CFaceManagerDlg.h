// "表情管理" (dialog 290): the custom faces as a list with thumbnails;
// renaming, deleting and ordering them, face packages in and out, and the
// import of another messenger's face folder. The edits are kept in a
// FaceManagerModel and written when the user confirms.
#pragma once

#include "chat/facestore/FaceManagerModel.h"
#include "chat/facestore/FaceStore.h"

#include <QDialog>

class CGifStatic;
class QTreeWidget;

class CFaceManagerDlg : public QDialog
{
    Q_OBJECT
public:
    explicit CFaceManagerDlg(const FaceStore &store, QWidget *parent = nullptr);

    void LoadFaceList();
    void RefreshList();
    // Writes the changes; with close the dialog ends with OK. When the index
    // cannot be written the user is told, the edits stay in the list and the
    // dialog stays open: false.
    bool ApplyChanges(bool close);

    void OnEdit();
    void OnListClick();
    void OnDelete();
    void OnMoveUp();
    void OnMoveDown();
    void OnExport();
    void OnImport();
    void OnImportQQFaces();

    QTreeWidget *list() const { return m_list; }
    const FaceManagerModel &model() const { return m_model; }

private:
    QList<int> selectedRows() const;
    void selectRow(int row);

    FaceStore m_store;
    FaceManagerModel m_model;
    QTreeWidget *m_list = nullptr;
    CGifStatic *m_preview = nullptr;
};
