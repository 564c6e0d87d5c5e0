// The face manager's records without the window: the faces as read, the
// user's renames, deletions and moves, and writing them back. The changes
// apply to the index as it is when they are written, so faces added in the
// meantime are kept.
#pragma once

#include "chat/facestore/FaceIndex.h"

#include <QList>

class FaceStore;

struct FaceRecord
{
    quint32 id = 0;
    QString name; // the tip, edited by the user
    QString org;
    QString fixed;
    QString shortcut;
    QString nameAsRead;
    int imageIndex = 0; // the position when read: another position means moved
    bool deleted = false;
};

class FaceManagerModel
{
public:
    // Reads the index (missing: no faces).
    void Load(const FaceStore &store);
    const QList<FaceRecord> &records() const { return m_records; }
    // The rows of the list: the records not deleted, in order (deleted
    // records are at the end of the array).
    int rowCount() const;
    const FaceRecord &row(int row) const { return m_records[row]; }

    // The name is cut to 63 GBK bytes.
    void Rename(int row, const QString &name);
    // Marks the rows deleted and moves them behind the others.
    void Delete(QList<int> rows);
    // Swaps the row with its neighbour; the row's new place, or -1 when it
    // cannot move.
    int MoveUp(int row);
    int MoveDown(int row);

    bool HasChanges() const;
    // Writes the changes: files of deleted faces go, the index gets the
    // order and the names, stale page caches go. False when nothing needed
    // writing or the index could not be written.
    bool Apply(const FaceStore &store);

    // The faces to export: the rows given, in list order; all when none.
    QList<FaceEntry> ExportFaces(QList<int> rows) const;

private:
    QList<FaceRecord> m_records;
};
