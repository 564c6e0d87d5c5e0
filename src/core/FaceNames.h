// Font face names between this system and Windows peers. A chat font names
// its face as the sender's system knows it; Chinese Windows faces ("宋体",
// "微软雅黑"...) have no namesake here and are drawn with an installed CJK
// family, and our families travel to the peers under the Windows name that
// draws them there. One table serves both directions.
#pragma once

#include <QString>
#include <QStringList>

namespace FaceNames {

// The Chinese faces of Windows systems that stand for the installed CJK
// family here.
bool IsWindowsChineseFace(const QString &face);

// The families that draw those faces, best first (whichever is installed).
const QStringList &CjkFamilies();

// The face name a font travels as in a message's font block. A Windows peer
// reads the name as one blank-delimited word, so a family that has a Windows
// counterpart travels as that name ("Noto Serif CJK SC" as "宋体",
// "Liberation Sans" as "Arial"), any other name without its blanks ("DejaVu
// Sans" as "DejaVuSans"), and an empty name as the standard face.
QString WireFaceName(const QString &face);

// The family of installed whose name without blanks is the face: a face that
// travelled without its blanks finds its family again. Empty when none.
QString FamilyWithoutBlanks(const QString &face, const QStringList &installed);

} // namespace FaceNames
