// The context menu of CMsgRichEdit and its commands.
#include "chat/CMsgRichEdit.h"

#include "chat/PictureFileCommands.h"
#include "chat/RichEditObjects.h"
#include "core/CConfig.h"
#include "core/MessageMarkers.h"
#include "core/WorkingSet.h"

#include <QAbstractTextDocumentLayout>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QGuiApplication>
#include <QMenu>
#include <QScrollBar>
#include <QTextDocument>

namespace {

QAction *addCommand(QMenu *menu, const QString &text, int command, bool enabled = true)
{
    QAction *action = menu->addAction(text);
    action->setData(command);
    action->setObjectName(QString::number(command));
    action->setEnabled(enabled);
    return action;
}

} // namespace

bool CMsgRichEdit::IsSinglePictureSelected(quint32 *id, bool *animated) const
{
    QString text;
    QList<quint32> ids;
    GetTextWithMarkers(text, ids, true);
    if (text.size() != PictureMarkerLength || ids.size() != 1)
        return false;
    const std::optional<PictureMarkerInfo> marker = ParsePictureMarker(text);
    if (!marker || marker->id == kNoPictureId || marker->id == kReservedPictureId)
        return false;
    if (id)
        *id = marker->id;
    if (animated)
        *animated = marker->animated;
    return true;
}

bool CMsgRichEdit::IsSingleStaticPictureSelected() const
{
    QString text;
    QList<quint32> ids;
    GetTextWithMarkers(text, ids, true);
    const std::optional<PictureMarkerInfo> marker = ParsePictureMarker(text);
    if (text.size() != PictureMarkerLength || ids.size() != 1 || !marker || marker->animated)
        return false;
    return HasObjectBitmap(document(), ids.front());
}

QMenu *CMsgRichEdit::CreateContextMenu(QWidget *parent)
{
    auto *menu = new QMenu(parent);
    const QTextCursor cursor = textCursor();
    const bool empty = document()->isEmpty();
    const bool canCopy = !empty && cursor.hasSelection();
    const bool allSelected = cursor.selectionStart() == 0 && cursor.selectionEnd() >= document()->characterCount() - 1;
    const bool copyAsBitmap = IsSingleStaticPictureSelected();

    if (m_nViewMode != HistoryView) {
        addCommand(menu, QStringLiteral("撤消(&U)"), CmdUndo, document()->isUndoAvailable());
        menu->addSeparator();
        addCommand(menu, QStringLiteral("剪切(&X)"), CmdCut, canCopy);
        addCommand(menu, QStringLiteral("复制(&C)"), CmdCopy, canCopy);
        if (copyAsBitmap)
            addCommand(menu, QStringLiteral("复制成图片格式(&B)"), CmdCopyAsBitmap);
        addCommand(menu, QStringLiteral("粘贴(&V)"), CmdPaste, CanPaste());
        menu->addSeparator();
        addCommand(menu, QStringLiteral("清除(&R)"), CmdClear, !empty);
        menu->addSeparator();
        addCommand(menu, QStringLiteral("全选(&A)"), CmdSelectAll, !empty && !allSelected);
        menu->addSeparator();
        addCommand(menu, QStringLiteral("字体(&F)"), CmdFont);
        if (m_nViewMode == InputBox && m_pConfig) {
            menu->addSeparator();
            QAction *status = addCommand(menu, QStringLiteral("显示我的输入状态(&I)"), CmdInputStatus);
            status->setCheckable(true);
            status->setChecked(m_pConfig->ShowInputStatus != 0);
        }
    } else {
        addCommand(menu, QStringLiteral("复制(&C)"), CmdCopy, canCopy);
        menu->addSeparator();
        if (copyAsBitmap) {
            addCommand(menu, QStringLiteral("复制成图片格式(&B)"), CmdCopyAsBitmap);
            menu->addSeparator();
        }
        addCommand(menu, QStringLiteral("全选(&A)"), CmdSelectAll, !empty && !allSelected);
        menu->addSeparator();
        addCommand(menu, QStringLiteral("消空内容(&C)"), CmdClearContent);
    }
    if (IsSinglePictureSelected()) {
        menu->addSeparator();
        addCommand(menu, QStringLiteral("另存为...(&S)"), CmdSaveAs);
        addCommand(menu, QStringLiteral("添加到表情库(&T)"), CmdAddToFaces);
    }
    connect(menu, &QMenu::triggered, this, [this](QAction *action) { OnMenuCommand(action->data().toInt()); });
    return menu;
}

void CMsgRichEdit::OnMenuCommand(int command)
{
    quint32 id = 0;
    bool animated = false;
    switch (command) {
    case CmdUndo:
        undo();
        break;
    case CmdCut:
        cut();
        break;
    case CmdCopy:
        Copy();
        break;
    case CmdPaste:
        Paste();
        break;
    case CmdClear:
        if (!isReadOnly())
            textCursor().removeSelectedText();
        break;
    case CmdSelectAll:
        selectAll();
        break;
    case CmdFont:
        emit fontCommand();
        break;
    case CmdInputStatus:
        if (m_pConfig)
            m_pConfig->ShowInputStatus = m_pConfig->ShowInputStatus ? 0 : 1;
        break;
    case CmdClearContent:
        ReplaceAllText(QString());
        if (m_pConfig && m_pConfig->AutoMemMin)
            TrimWorkingSet();
        break;
    case CmdAddToFaces:
        if (IsSinglePictureSelected(&id, &animated)) {
            bool gif = false;
            AddPictureToFaces(this, id, animated, animated ? QImage() : GetPictureBitmap(id, gif));
        }
        break;
    case CmdSaveAs:
        if (IsSinglePictureSelected(&id, &animated)) {
            bool gif = false;
            SavePictureAs(this, id, animated, animated ? QImage() : GetPictureBitmap(id, gif));
        }
        break;
    case CmdCopyAsBitmap:
        if (IsSingleStaticPictureSelected() && IsSinglePictureSelected(&id, &animated)) {
            bool gif = false;
            const QImage bitmap = GetPictureBitmap(id, gif);
            if (!bitmap.isNull())
                QGuiApplication::clipboard()->setImage(bitmap);
        }
        break;
    default:
        break;
    }
}

void CMsgRichEdit::selectObjectAt(const QPoint &viewportPos)
{
    const QPointF documentPos = viewportPos + QPointF(horizontalScrollBar()->value(), verticalScrollBar()->value());
    const int hit = document()->documentLayout()->hitTest(documentPos, Qt::ExactHit);
    if (hit < 0)
        return;
    QTextCursor cursor = textCursor();
    for (int position : { hit, hit - 1 }) {
        if (position < 0)
            continue;
        const QList<RichEditObject> objects = ListObjects(document(), position, position + 1);
        if (objects.isEmpty())
            continue;
        if (cursor.hasSelection() && cursor.selectionStart() <= position && cursor.selectionEnd() > position)
            return; // already inside the selection
        cursor.setPosition(position);
        cursor.setPosition(position + 1, QTextCursor::KeepAnchor);
        setTextCursor(cursor);
        return;
    }
}

void CMsgRichEdit::contextMenuEvent(QContextMenuEvent *event)
{
    // A right click on a picture picks that picture, as a click on an object does.
    if (event->reason() == QContextMenuEvent::Mouse)
        selectObjectAt(event->pos());
    QMenu *menu = CreateContextMenu(this);
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->popup(event->globalPos());
}
