// The built-in faces and the tokens of message text. Message text carries
// every built-in face as a short shortcut beginning with "/", every picture
// or custom face as a 15-character picture marker, and three special tokens
// for program lines and missing pictures. This is the table of those
// shortcuts and the one routine that tells what stands at a "/".
#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <QStringView>
#include <array>

inline constexpr int kBuiltInFaceCount = 96;
inline constexpr int kFaceTableSize = 99;
// Entries behind the built-in faces.
inline constexpr int kFaceProgramLine = 96; // "/<V>": opens a line of program text
inline constexpr int kFaceWaiting = 97; // "/<RB>": a picture that is still on its way
inline constexpr int kFaceNotFound = 98; // "/<NF>": a picture that cannot be found

// Object user values below this are built-in face numbers, the rest picture ids.
inline constexpr int FaceUserValueLimit = 83;
// What ParseFaceToken answers for a picture marker (also "/:strong").
inline constexpr int kPictureMarkerResult = 81;
inline constexpr qsizetype PictureMarkerLength = 15;

// Entry N is the shortcut of face N (0..95) and then "/<V>", "/<RB>", "/<NF>".
extern const std::array<QStringView, kFaceTableSize> FaceShortcutTable;
// The tool tips: the face's name, a blank and its shortcut; the tokens themselves for 96..98.
extern const std::array<QStringView, kFaceTableSize> FaceTipTable;

// `fromSlash` starts at a "/" of message text and runs to the end of the
// text. A picture marker there: `marker` receives its 15 characters and the
// result is 81. Otherwise the index of the table entry that the text begins
// with (it may go on behind), -1 when none does; `marker` is left alone.
int ParseFaceToken(QStringView fromSlash, QString &marker);

// One piece of message text: plain text, a face shortcut or special token
// (face is its table index), or a picture marker.
struct FaceTextPiece
{
    enum class Kind { Plain, Face, Marker };
    Kind kind = Kind::Plain;
    QStringView text; // a view into the text that was split
    int face = -1; // Face only
};

// Splits message text at every recognised token, in order. Plain pieces are
// never empty.
QList<FaceTextPiece> TokenizeFaceText(QStringView text);

// The same split as runs and flags (1 plain text, 0 a token or a marker);
// true when at least one run is plain text.
bool SplitFaceText(QStringView text, QStringList &runs, QList<quint32> &flags);

// What a picture marker or a missing-picture token reads as in words: a
// static picture (a doodle is one too), an animated picture or custom face.
inline constexpr QStringView kPictureWord = u"[图片]";
inline constexpr QStringView kCustomFaceWord = u"[表情]";

// Message text as a user reads it where no faces or pictures can be drawn
// (the message tip): every built-in face as its tip name in brackets
// ("[微笑]"), every picture marker as kPictureWord or kCustomFaceWord, the
// waiting and missing-picture tokens as kPictureWord, the program-line token
// dropped; plain text as it stands.
QString MessageTextInWords(QStringView text);
