// The desktop's icon of a file's type, by its name only (offered files do not
// exist here yet), or the folder icon. Looked up once per type: lists of
// thousands of rows hold a handful of icons. GUI thread only.
#pragma once

#include <QIcon>
#include <QString>

// Types whose icons are kept at once (names from peers may carry any suffix).
inline constexpr int kFileTypeIconsKept = 256;

QIcon FileTypeIcon(const QString &name, bool folder);
