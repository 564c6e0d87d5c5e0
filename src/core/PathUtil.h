// Pure text operations on paths ("/" separated) and the check that keeps a
// name received from a peer inside its folder.
#pragma once

#include <QString>
#include <QStringView>
#include <optional>

// directory + "/" + name; no second "/" when the directory ends in one; an
// empty directory gives the name alone.
QString JoinPath(QStringView directory, QStringView name);

// The full (absolute, cleaned) path of the folder that holds the path; the
// root keeps its "/". None for an empty path and for the root itself.
std::optional<QString> GetParentDirectory(QStringView path);

// The part before the last "/" ("/" for a file in the root, empty when the
// path has no "/").
QString GetPathDirectory(QStringView path);
// The text after the last "." of the last component, empty when it has none.
QString GetPathExtension(QStringView path);
// The last component: the text after the last "/".
QString GetPathFileName(QStringView path);
// The last component without its extension (and without the final ".").
QString GetPathFileTitle(QStringView path);

// A name that can be used as one path component: not empty, not "." or
// "..", and without "/", "\" or NUL.
bool IsSafeFileName(QStringView name);
// True when the name is safe and is the last component of the path, so a
// path built from a received name did not leave its folder.
bool FileNameEquals(QStringView path, QStringView name);

// What a list shows for a path: its last component ("/" for the root).
QString PathToDisplayName(QStringView path);
