// The chat font of the messages (a LOGFONT-shaped ChatFont with a COLORREF
// colour) as Qt draws it, and back. The Windows face "宋体" (and the other
// Chinese system faces) stands for the installed CJK family on this system
// and is written as "宋体" again, so Windows peers see their usual face (the
// table of faces: core/FaceNames.h).
#pragma once

#include "core/ChatFont.h"

#include <QColor>
#include <QFont>
#include <QTextCharFormat>

class QTextEdit;

// A COLORREF (0x00BBGGRR) as a colour, and back.
QColor ChatColor(uint32_t colorRef);
uint32_t ChatColorRef(const QColor &color);

// The installed family that draws the face: the face itself when it is
// installed, the preferred installed CJK family for a Windows Chinese face,
// the installed family a blank-less name stands for ("NotoSansMono"), else
// the face as it stands (Qt substitutes).
QString InstalledFamilyFor(const QString &faceName);
// The face name a family travels as: "宋体" for the family "宋体" maps to,
// else the family cut to 31 GBK bytes.
QString ChatFaceNameFor(const QString &family);

// The font of a ChatFont: the mapped family, |height| pixels (14 for 0),
// bold from weight 700, italic, underline and strike-out.
QFont ChatQFont(const ChatFont &font);
// The ChatFont of a chosen font and colour. The other LOGFONT fields come
// from `base` (the font the choice started from), and so does the weight
// while the choice keeps its boldness.
ChatFont ChatFontFromQt(const QFont &font, const QColor &color, const ChatFont &base = ChatFont::standard());
// The character format of text drawn in the font (its colour included).
QTextCharFormat ChatCharFormat(const ChatFont &font);
// An input box takes the font: its whole text and what is typed next.
void ApplyChatFont(QTextEdit *edit, const ChatFont &font);
