// The custom-face library in CustomFace: adding one or many faces, deleting,
// thumbnails, the picker's page caches, face packages and the import of a
// face folder. Widget-free: questions and reports go through the prompter,
// progress through FaceProgress.
//
// Only GIF and BMP content (told by its bytes, not by its name) enters the
// library: JPEG and other pictures Qt reads are stored converted to .bmp.
// Every face file is named by its id ("%08x.gif", "%08x.bmp"), so no name
// from a file or a package ever becomes a path.
#pragma once

#include "chat/facestore/FaceIndex.h"
#include "net/PictureStore.h"

#include <QByteArrayView>
#include <QStringList>

class FaceProgress;
class QObject;

class FaceStore
{
public:
    static constexpr int kThumbnailSide = 20;

    explicit FaceStore(PictureStore pictures = PictureStore::Program());

    const PictureStore &pictures() const { return m_pictures; }
    // "<data folder>/CustomFace".
    QString folder() const;
    FaceIndex index() const;
    QString pictureFile(const FaceEntry &face) const;
    QString thumbnailFile(const FaceEntry &face) const;
    // "CachePage%d.bmp" of a page (0-based).
    QString pageCacheFile(int pageIndex) const;
    void RemovePageCache(int pageIndex) const;
    // Makes the folders and the default index when they are missing.
    bool Prepare() const;

    // What a picture's bytes are.
    enum class Content { None, Gif, Bitmap, OtherPicture };
    static Content Sniff(QByteArrayView bytes);

    // Copies a picture to SendFace (0), RecvFace (1) or CustomFace (2) as
    // "%08x.<extension>"; a JPEG going anywhere but SendFace is stored as
    // .bmp. An existing target counts as done.
    bool CopyPictureToFolder(const QString &source, quint32 id, const QString &extension, int folderKind) const;

    enum class AddStatus {
        Added,
        AlreadyExists, // "该表情已经存在!"
        NotFound, // "未找到相应的表情文件!"
        CopyFailed, // "增加至自定义表情时出错!"
        NotAPicture, // "增加至自定义表情出错!"
        ThumbnailFailed, // "增加至自定义表情出错."
        NoIndex, // "未找到face.xml文件."
        BadIndex, // "face.xml文件不正确."
    };
    struct AddRequest
    {
        quint32 id = 0; // 0: a new face from `source`; else a picture already in the folders
        QString source;
        bool deleteSource = false;
        QString tip;
        QString shortcut;
    };
    // Adds one face; a failure leaves neither a picture nor a thumbnail
    // behind. `added` gets the face's id.
    AddStatus AddCustomFace(const AddRequest &request, quint32 *added = nullptr) const;
    static QString AddStatusText(AddStatus status);
    // AddCustomFace with the messages of the library ("增加失败" on failure,
    // "已成功添加至表情库!" on success), for the rich edit's command.
    bool AddCustomFaceWithMessages(const AddRequest &request, QObject *owner) const;

    // Adds files one by one as new faces; on a failure asks whether to go
    // on (the question text is prefix + path + suffix). Returns the added
    // and the failed counts.
    struct BatchResult
    {
        int added = 0;
        int failed = 0;
    };
    BatchResult AddFiles(const QStringList &files, FaceProgress *progress, QObject *owner, const QString &questionPrefix) const;

    // Removes the face from the index, its files and the page caches from
    // its page on; false when the index is missing or holds no such face.
    bool DeleteCustomFace(quint32 id) const;

    // The 20 x 20 thumbnail "<id>fixed.bmp" beside the picture.
    bool MakeThumbnail(const QString &picturePath) const;

    // ---- face packages ----
    struct ExportResult
    {
        int exported = 0;
        int failed = 0; // faces whose picture could not be read
        bool writeFailed = false; // nothing was written
    };
    // Writes the faces into a package; the file appears only when complete.
    ExportResult ExportPackage(const QString &path, const QList<FaceEntry> &faces) const;

    struct ImportResult
    {
        enum class Outcome { Done, Unreadable, NotAPackage, BadVersion, Truncated, Cancelled };
        Outcome outcome = Outcome::Done;
        int imported = 0;
        int skipped = 0;
    };
    ImportResult ImportPackage(const QString &path, FaceProgress *progress) const;

    // The files of a face folder (another messenger's) whose title has 32 characters.
    static QStringList FolderFaceFiles(const QString &folder);

private:
    AddStatus storePicture(const QByteArray &bytes, quint32 id, QString *stored) const;
    quint32 freeId() const;
    void removeFaceFiles(quint32 id) const;
    void dropStaleCaches(int fromPage, int pageCount) const;

    PictureStore m_pictures;
};
