// The font block at the end of a chat message:
// "{/font;%d %d %d %d %d %d %d %d %d %d %d %d %d %s %ld;}" with the LOGFONT
// fields, the face name and the colour. The sender appends it when its font
// differs from the standard one; the receiver cuts it off and draws the text
// in that font. The face name is one word on the wire: a Windows reader
// scans it up to the first blank (FaceNames::WireFaceName).
#pragma once

#include "core/ChatFont.h"

#include <QString>

// The block for a font (nothing follows the closing brace), its face under
// the name a Windows peer reads whole.
QString FormatFontPrefix(const ChatFont &font);

// Reads the block at the end of a received text that ends in ";}\n", cuts it
// off (the text keeps what stood before the block, plus one "\n") and returns
// the font it names. A text without a block is left as it is and gets the
// standard font. Fields the block does not reach keep the standard values.
// A face name with blanks (as older copies of this program wrote it) is read
// whole.
ChatFont ParseFontPrefix(QString &text);
