// What the chat windows need of the doodle board when it replaces the input
// box: the board with its colour palette and tool strip as child widgets, the
// finished drawing as a picture, and the board's commands. The drawing tools
// provide it (CMultiChatDlg::SetDoodleFactory); the window lays the three
// widgets out and sends what the board draws as a picture of the message.
#pragma once

#include <QImage>
#include <QString>
#include <functional>

class QMenu;
class QWidget;

class DoodleSurface
{
public:
    virtual ~DoodleSurface() = default;

    virtual QWidget *board() = 0;
    virtual QWidget *palette() = 0;
    virtual QWidget *toolStrip() = 0;
    // Renders a pending text box or floating picture into the drawing.
    virtual void CommitFloating() = 0;
    // The drawing; null when the board is empty.
    virtual QImage Picture() const = 0;
    virtual bool HasSelection() const = 0;
    // A board command (tool, property, image operation) with its value.
    virtual void Command(int code, int value) = 0;
    // Places a picture on the board, floating or into the drawing.
    virtual void PutBitmap(const QImage &bitmap, bool floating) = 0;
    virtual bool LoadPictureFile(const QString &path) = 0;
    // The skin colours of the tool strip.
    virtual void SetColors(quint32 background, quint32 frame) = 0;
    // The menu of a property button (1182..1184) for the board's current
    // tool, or of "图像操作" (1185); null when the button has none for it.
    virtual QMenu *CreateMenu(QWidget *parent, int buttonId) = 0;

    // The board asks its window for the menu of a button.
    using MenuRequest = std::function<void(int buttonId)>;
    void SetMenuRequestHandler(MenuRequest handler) { m_menuRequest = std::move(handler); }

    // The board command that clears the drawing.
    static constexpr int kClearImage = 0x21;

protected:
    void RequestMenu(int buttonId) const
    {
        if (m_menuRequest)
            m_menuRequest(buttonId);
    }

private:
    MenuRequest m_menuRequest;
};
