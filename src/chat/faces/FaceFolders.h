// The picture folders of the data folder and the files in them, named by
// picture id: "<base>/kwel/<folder>/<id as %08x>.<gif|jpg|bmp>".
#pragma once

#include <QString>
#include <QStringView>

inline constexpr QStringView kCustomFaceFolder = u"CustomFace";
inline constexpr QStringView kSendFaceFolder = u"SendFace";
inline constexpr QStringView kRecvFaceFolder = u"RecvFace";

// The picture kinds of the look-ups: 2 ".gif", 0 ".jpg", anything else ".bmp".
enum class PictureFileKind { Jpeg = 0, Bitmap = 1, Gif = 2 };

// The base under which "kwel" lies: the one set (the configured work
// directory) or else GetDataBaseDirectory().
QString FaceBaseDirectory();
void SetFaceBaseDirectory(const QString &base);

// "<base>/kwel/<folder>", whether or not it exists.
QString FaceFolderPath(QStringView folder);

// Without `search`, the picture file of that folder whether or not it
// exists. With it, the first existing file of CustomFace, RecvFace and
// SendFace, in that order; empty when none exists (`folder` is not used).
QString GetPicturePath(quint32 id, PictureFileKind kind, QStringView folder, bool search);
