// The picture folders under the data folder "kwel": CustomFace, SendFace,
// RecvFace and UserHeadPhoto, the picture files named by id, the peers' head
// photos and the user's own pictures that peers ask for. The one home of
// these names: reception, sending, the message edits and the face library
// all find their files here.
#pragma once

#include <QByteArrayView>
#include <QString>
#include <QStringList>
#include <QStringView>

inline constexpr QStringView kCustomFaceFolder = u"CustomFace";
inline constexpr QStringView kSendFaceFolder = u"SendFace";
inline constexpr QStringView kRecvFaceFolder = u"RecvFace";
inline constexpr QStringView kUserHeadPhotoFolder = u"UserHeadPhoto";

// The picture kinds of the look-ups: 2 ".gif", 0 ".jpg", anything else ".bmp".
enum class PictureFileKind { Jpeg = 0, Bitmap = 1, Gif = 2 };

#include <optional>

class HostRecord;

// A peer's stored head photo: its file and the value its name carries (the
// transferred size of the photo; 0 when the name carries none).
struct HeadPhotoFile
{
    QString path;
    quint32 value = 0;
};

class PictureStore
{
public:
    static QString customFace() { return kCustomFaceFolder.toString(); }
    static QString sendFace() { return kSendFaceFolder.toString(); }
    static QString recvFace() { return kRecvFaceFolder.toString(); }
    static QString userHeadPhoto() { return kUserHeadPhotoFolder.toString(); }

    // The program's store: the data folder the application set at start-up
    // (tests set their own), else the one under GetDataBaseDirectory().
    static PictureStore Program();
    static void SetProgramFolder(const QString &kwelFolder);

    // kwelFolder is the data folder itself ("<base>/kwel"); empty means the
    // one under GetDataBaseDirectory().
    explicit PictureStore(QString kwelFolder = {});

    const QString &dataFolder() const { return m_folder; }
    QString folderPath(const QString &folder) const;
    // Makes the data folder and the four picture folders; true when all exist.
    bool CreateFolders() const;

    // "<folder>/%08x.<ext>", whether or not it exists.
    QString picturePath(const QString &folder, quint32 id, const QString &extension) const;
    // Without `search`, the picture file of that folder whether or not it
    // exists. With it, the first existing file of CustomFace, RecvFace and
    // SendFace, in that order; empty when none exists (`folder` is not used).
    QString GetPicturePath(quint32 id, PictureFileKind kind, QStringView folder, bool search) const;
    // The stored copy of a received message picture: "%08x.gif" for a GIF
    // face (kind 2), else "%08x.bmp", in CustomFace, then RecvFace; empty
    // when neither exists.
    QString FindReceivedPicture(quint32 id, qint32 kind) const;

    // A peer's head photo: "UserHeadPhoto/%d%s%08x.bmp" (kind digit 0 the
    // head picture, 1 the custom picture; the 12 hex digits of the MAC text;
    // the value). The other files of the same kind and MAC are deleted once
    // it is written (none when it is not). Returns the path, empty when
    // refused (kind not 0 or 1, value 0, MAC text not 12 hex digits) or not
    // written.
    QString SaveHeadPhoto(QByteArrayView bmpFile, int kindDigit, const QString &macText, quint32 value) const;
    // Where SaveHeadPhoto keeps that photo, whether or not it exists.
    QString HeadPhotoPath(int kindDigit, const QString &macText, quint32 value) const;
    // Every stored photo of that kind and MAC, whatever its value (none for
    // a MAC text that is not 12 hex digits).
    QStringList HeadPhotoFiles(int kindDigit, const QString &macText) const;
    // The stored photo of that kind: the first file (in name order) whose
    // name is the kind digit, the MAC text and anything ending in ".bmp".
    // With wholeName only a name of exactly that form ("%d%s%08x.bmp") is
    // taken; without it the first such file is, and a name of another form
    // gives the value 0. Nothing for a MAC text that is not 12 hex digits.
    std::optional<HeadPhotoFile> FindHeadPhotoFile(int kindDigit, const QString &macText, bool wholeName) const;
    // The peer's custom picture (kind 1): its value, 0 when there is none;
    // path (may be null) gets the file.
    quint32 FindHeadPhoto(const QString &macText, QString *path = nullptr) const;
    // The photo a chat window shows for the peer: the stored custom picture
    // when the peer announces one, else empty.
    QString ShownPhotoPath(const HostRecord &peer) const;

    // The user's own pictures that peers ask for (0x7b, 0x7d): .bmp files in
    // UserHeadPhoto. Their names cannot be taken for a peer's head photo.
    QString ownHeadPicturePath() const;
    QString ownCustomPicturePath() const;

    static bool IsMacText(const QString &text);

private:
    QString m_folder;
};

// The program's store (PictureStore::Program()) as the message edits and the
// chat windows look pictures up.
QString GetPicturePath(quint32 id, PictureFileKind kind, QStringView folder, bool search);
// "<data folder>/<folder>", whether or not it exists.
QString FaceFolderPath(QStringView folder);
