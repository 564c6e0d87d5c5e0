// The text control of every chat window, as history view and as input box.
// It shows built-in faces and pictures as objects inside the text, reads its
// content back as message text in which every face is its shortcut and every
// picture a marker, turns such text into faces and pictures again, owns the
// send keys (Enter or Ctrl+Enter), its context menu, copy and paste through
// the private clipboard block, saving a picture and adding one to the faces.
#pragma once

#include <QHash>
#include <QImage>
#include <QList>
#include <QString>
#include <QStringList>
#include <QTextEdit>

class CConfig;
class GifAnimator;
class QMenu;
struct MessageClipBlock;

class CMsgRichEdit : public QTextEdit
{
    Q_OBJECT
public:
    // The context-menu commands (the ids are kept in QAction::data).
    enum Command {
        CmdUndo = 32787,
        CmdCut = 32788,
        CmdCopy = 32789,
        CmdPaste = 32790,
        CmdClear = 32791,
        CmdSelectAll = 32792,
        CmdFont = 32793,
        CmdInputStatus = 32794,
        CmdClearContent = 32795,
        CmdAddToFaces = 32796,
        CmdSaveAs = 32797,
        CmdCopyAsBitmap = 32798,
    };
    // An input box of a conversation (its menu shows the typing status), a
    // history view, and the multi-user window's input box (no typing status:
    // there is no conversation to tell).
    enum ViewMode { InputBox = 0, HistoryView = 1, MultiInputBox = 2 };

    explicit CMsgRichEdit(QWidget *parent = nullptr);
    ~CMsgRichEdit() override;

    // A history view is read-only and keeps no undo steps.
    void SetViewMode(int mode);
    int ViewMode() const { return m_nViewMode; }
    // The configuration whose "ShowInputStatus" the menu shows and toggles
    // and whose "AutoMemMin" is honoured; null for none.
    void SetConfig(CConfig *config) { m_pConfig = config; }

    // The application's send-with-Enter flag: set, Enter sends and Ctrl+Enter
    // starts a new line; clear, the other way round.
    static void SetSendMsgEnter(bool enter);
    static bool SendMsgEnter();

    // Replaces the whole content by plain text (no undo step).
    void ReplaceAllText(const QString &text);

    // The content (or the selection) as message text: faces as their
    // shortcuts, pictures as markers. `ids` receives the picture ids in the
    // order they first appear, without repeats. Line ends are "\r\n" for the
    // whole content and "\r" for a selection. Returns the text.
    QString GetTextWithMarkers(QString &text, QList<quint32> &ids, bool selectionOnly) const;
    // Inserts message text at the caret: every face shortcut or special token
    // becomes its face and every picture marker a not-found image carrying
    // the marker's id. A nonzero `id` is carried by every image inserted, as
    // a placeholder of that picture. Text is always inserted as plain text.
    void InsertTextWithFaces(QStringView text, quint32 id);
    // The same at the cursor, the caret left where it is.
    void InsertTextWithFacesAt(QTextCursor &cursor, QStringView text, quint32 id)
    {
        insertTextWithFacesAt(cursor, text, id);
    }
    // Splits message text into runs: flag 1 plain text, 0 a face shortcut,
    // special token or picture marker; true when any run is plain text.
    static bool SplitFaceText(QStringView text, QStringList &runs, QList<quint32> &flags);

    // Built-in face `index` at the caret, drawn on white. With a nonzero id
    // the face is a placeholder of that picture, else its value is the index.
    void InsertFace(int index, quint32 id);
    // A static picture; a null bitmap inserts "/<NF>" carrying the id. A
    // history view holds it as a window shows it (DecodedPictures::Hold),
    // or shows its place when all windows' bitmaps leave no room.
    void InsertPicture(const QImage &bitmap, quint32 id);
    // A picture file as a static picture, shown no larger than a window
    // shows it (the program's one bitmap of it), or as its place while the
    // bitmaps of all windows leave no room (DecodedPictures); "/<NF>" when it
    // is missing or unreadable.
    void InsertPictureFile(const QString &path, quint32 id);
    // A GIF file as an animated picture; "/<NF>" when it is missing or unreadable.
    void InsertAnimatedPicture(const QString &path, quint32 id);
    // The custom face "%08x.gif" of the id from the face folders, or "/<NF>".
    void InsertCustomFace(quint32 id);

    // Replaces every placeholder of the id (once each) by the picture, or by
    // "/<NF>" for a null bitmap; true when there was one.
    bool ReplacePicturePlaceholder(quint32 id, const QImage &bitmap);
    // The same with the picture of the file: a GIF as an animated picture,
    // any other as InsertPictureFile shows it ("/<NF>" when it is missing).
    bool ReplacePlaceholderByFile(quint32 id, const QString &path);
    // Shows the pictures whose places wait for room, in document order, as
    // far as there is room now (done when the view shows, when its window
    // becomes active and when another history view goes); the count shown.
    int ShowDeferredPictures();

    // The bitmap of the first static picture with the id, at its own size
    // (a stored picture read from its file); null with `animated` set for an
    // animated one, null when there is none (a placeholder is not the
    // picture).
    QImage GetPictureBitmap(quint32 id, bool &animated) const;

    void Copy() { copy(); }
    void Paste() { paste(); }
    bool CanPaste() const;

    // The selection is exactly one picture marker whose id is neither 0 nor
    // 0x7FFFFFFF; `id` and `animated` describe it.
    bool IsSinglePictureSelected(quint32 *id = nullptr, bool *animated = nullptr) const;
    // The selection is exactly one static picture with a bitmap.
    bool IsSingleStaticPictureSelected() const;

    // The context menu for the current state (owned by `parent`).
    QMenu *CreateContextMenu(QWidget *parent);
    void OnMenuCommand(int command);

    GifAnimator *Animator() const { return m_animator; }

    // True when the content holds characters GBK cannot carry (a peer would
    // get '?' for them): the user is told which through the prompter, and
    // the send command stops before anything leaves.
    bool RefuseUncarriedSend(QObject *owner) const;

signals:
    // The send key was pressed (the send button's command).
    void sendCommand();
    // The font command of the context menu.
    void fontCommand();

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void inputMethodEvent(QInputMethodEvent *event) override;
    void contextMenuEvent(QContextMenuEvent *event) override;
    QMimeData *createMimeDataFromSelection() const override;
    bool canInsertFromMimeData(const QMimeData *source) const override;
    void insertFromMimeData(const QMimeData *source) override;
    // Only what the document holds (faces, pictures, the program's art)
    // shows: a name in markup never reads a file or an address.
    QVariant loadResource(int type, const QUrl &name) override;
    void showEvent(QShowEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    void insertTextWithFacesAt(QTextCursor &cursor, QStringView text, quint32 id);
    void insertFaceAt(QTextCursor &cursor, int index, quint32 id, bool markerAnimated = false);
    void insertPictureAt(QTextCursor &cursor, const QImage &bitmap, quint32 id);
    void insertAnimatedAt(QTextCursor &cursor, const QString &path, quint32 id);
    void insertFileAt(QTextCursor &cursor, const QString &path, quint32 id);
    void insertNotFoundAt(QTextCursor &cursor, quint32 id);
    template <typename Insert> void atCaret(Insert insert);
    template <typename Insert> bool replacePlaceholders(quint32 id, Insert insert);
    template <typename Insert> void replaceObjects(const QList<int> &positions, Insert insert);

    // An input box takes no character GBK cannot carry: the text without
    // them, a note at the caret naming what was refused. A pasted no-break
    // space becomes a space, a line or paragraph separator a new line.
    QString refuseUncarried(const QString &text);
    void pasteClipBlock(const MessageClipBlock &block);
    void selectObjectAt(const QPoint &viewportPos);
    void repaintDocumentRects(const QList<QRectF> &rects);

    CConfig *m_pConfig = nullptr;
    int m_nViewMode = InputBox;
    // A history whose reader is at its end stays there when it grows or
    // its window shows or resizes.
    bool m_atEnd = true;
    GifAnimator *m_animator = nullptr;
};
