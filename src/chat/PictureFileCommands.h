// What a message edit does with a picture the user picked: save it to a file
// and add it to the custom faces. The picture is given by its id, its kind
// and (for a static picture) its bitmap; the stored file is looked up in the
// face folders by id. Questions and results go through the prompter.
#pragma once

#include <QImage>
#include <QString>

class CMsgRichEdit;
class QWidget;

// The filter of the send-picture choosers: "BMP,JPG,GIF图像文件(*.bmp;*.jpg;*.gif)".
QString SendPictureFilter();
// A picture file the user picked to send, into the input box at its caret
// with a new id: a GIF is copied into SendFace under its id and shown
// animated, a BMP is shown from its file, a JPEG decoded. False when the
// file could not be taken.
bool InsertPictureFileToSend(CMsgRichEdit *input, const QString &path);
// A face chosen in the face picker, into the input box at its caret: a
// built-in face by its index, a custom face from its picture file (named by
// its id; a GIF animated). False when the file's name is no id.
bool InsertChosenFace(CMsgRichEdit *input, const QString &path, int index);

// Offers a file name and writes the picture there: an animated picture as a
// copy of its stored GIF; a static one as a .bmp file or, when the chosen
// name ends in ".jpg"/".jpeg", as a JPEG. A name without an extension gets
// the default one of its kind.
void SavePictureAs(QWidget *owner, quint32 id, bool animated, const QImage &bitmap);

// Offers the picture to the face library (FaceLibraryAdder). A static
// picture without a stored file is first written as "%08x.bmp" to SendFace,
// and that file is removed again when the face is not added.
void AddPictureToFaces(QWidget *owner, quint32 id, bool animated, const QImage &bitmap);

