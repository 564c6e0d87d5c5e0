// Questions to the file system and whole-file reads.
#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <optional>

// True when the directory exists; with `create` a missing directory is made
// (one level: its parent must exist).
bool DirectoryExists(const QString &path, bool create);
// True when a file or directory exists at the path.
bool FileExists(const QString &path);

struct FileInformation
{
    // The attribute bits of the Windows peers, as file lists carry them.
    enum Attribute : quint32 { ReadOnly = 0x01, Hidden = 0x02, Directory = 0x10, Normal = 0x80 };

    QString name; // the last component
    quint32 attributes = 0;
    QDateTime modified;
    quint64 size = 0; // 0 for a directory

    bool isDirectory() const { return attributes & Directory; }
    bool isReadOnly() const { return attributes & ReadOnly; }
};

// What the file system knows of the path; none when nothing is there.
std::optional<FileInformation> GetFileInformation(const QString &path);

// Creates a new empty file with an unpredictable name in the temporary folder
// (readable by the owner only) and returns its path; empty on failure.
QString MakeTempFilePath();

// Files above this size are not read whole.
constexpr qint64 kMaxWholeFileBytes = 512LL * 1024 * 1024;
// The whole file; none when it cannot be read or is larger than maxBytes.
std::optional<QByteArray> LoadFileToGlobal(const QString &path, qint64 maxBytes = kMaxWholeFileBytes);

// The folder under which the data folder "kwel" lies (the work folder in use,
// else the application's data location), created when missing; empty when
// there is none.
QString GetDataBaseDirectory();
// Makes the configuration's work folder (`WorkDir`) the base folder of the
// data folder, without a trailing separator; an empty, relative or unusable
// folder leaves the application's data location. Returns the base folder now
// in use. Called once at start-up, before any path under it is taken.
QString UseWorkDirectory(const QString &folder);
