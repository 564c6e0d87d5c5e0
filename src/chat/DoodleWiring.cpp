#include "chat/DoodleWiring.h"

#include "chat/CMsgRichEdit.h"
#include "chat/DoodleSurface.h"
#include "chat/faces/FaceImages.h"
#include "controls/CHoverButton.h"
#include "core/BmpFile.h"
#include "core/PictureId.h"
#include "remote/DoodleMenus.h"

#include <QCursor>
#include <QMenu>
#include <QTextCursor>
#include <QTextDocument>

QHash<int, QAbstractButton *> MakeDoodleButtons(
    QWidget *window, DoodleSurface &surface, const std::function<void()> &beforeMenu)
{
    const std::pair<int, QString> captions[] = {
        { DoodleButton::LineType, QStringLiteral("线型") },
        { DoodleButton::LineWidth, QStringLiteral("线宽") },
        { DoodleButton::Fill, QStringLiteral("填充") },
        { DoodleButton::Image, QStringLiteral("图像操作") },
    };
    QHash<int, QAbstractButton *> buttons;
    for (const auto &[id, text] : captions) {
        auto *button = new CHoverButton(text, window);
        button->setObjectName(QString::number(id));
        button->installEventFilter(window);
        button->hide();
        buttons.insert(id, button);
        const int buttonId = id;
        QObject::connect(button, &QAbstractButton::clicked, window, [window, &surface, beforeMenu, buttonId] {
            if (beforeMenu)
                beforeMenu();
            PopUpDoodleMenu(window, surface, buttonId);
        });
    }
    surface.SetMenuRequestHandler([window, &surface](int buttonId) { PopUpDoodleMenu(window, surface, buttonId); });
    return buttons;
}

bool PopUpDoodleMenu(QWidget *window, DoodleSurface &surface, int buttonId)
{
    QMenu *menu = surface.CreateMenu(window, buttonId);
    if (!menu)
        return false;
    menu->setAttribute(Qt::WA_DeleteOnClose);
    const auto *button = window->findChild<QWidget *>(QString::number(buttonId), Qt::FindDirectChildrenOnly);
    menu->popup(button && button->isVisible() ? button->mapToGlobal(QPoint(0, button->height())) : QCursor::pos());
    return true;
}

bool PutFaceOnBoard(DoodleSurface &surface, const QString &path, int index)
{
    const QImage face
        = index >= 0 ? CreateBitmapFromImageList(FaceImageList(), index, qRgb(255, 255, 255)) : LoadBitmapFile(path);
    if (face.isNull())
        return false;
    // It floats at the board's corner: the cursor goes to its middle, ready to drag it.
    surface.PutBitmap(face, true);
    QWidget *board = surface.board();
    QCursor::setPos(board->mapToGlobal(QPoint(face.width() / 2, face.height() / 2)));
    board->setFocus();
    return true;
}

bool AddDrawingToInput(CMsgRichEdit *input, DoodleSurface &surface)
{
    DrawingInInput drawing;
    if (!drawing.Take(input, surface))
        return false;
    drawing.Sent();
    return true;
}

bool DrawingInInput::Take(CMsgRichEdit *input, DoodleSurface &surface)
{
    surface.CommitFloating();
    const QImage drawing = surface.Picture();
    if (drawing.isNull())
        return false;
    // After what the (hidden) input box holds: nothing typed before the
    // doodle mode is lost.
    QTextCursor end = input->textCursor();
    end.movePosition(QTextCursor::End);
    input->setTextCursor(end);
    const int before = input->document()->characterCount();
    m_start = end.position();
    input->InsertPicture(drawing, GenerateRandomId());
    m_end = m_start + input->document()->characterCount() - before;
    m_input = input;
    m_surface = &surface;
    return true;
}

void DrawingInInput::Sent()
{
    if (m_surface && !m_surface->HasSelection())
        m_surface->Command(DoodleSurface::kClearImage, 0);
    m_input = nullptr;
    m_surface = nullptr;
}

void DrawingInInput::Refused()
{
    if (m_input) {
        QTextCursor taken(m_input->document());
        taken.setPosition(m_start);
        taken.setPosition(m_end, QTextCursor::KeepAnchor);
        taken.removeSelectedText();
    }
    m_input = nullptr;
    m_surface = nullptr;
}
