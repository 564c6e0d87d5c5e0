#include "remote/CDoodleBoard.h"

#include "core/BmpFile.h"
#include "core/COlePicture.h"
#include "core/Dib.h"
#include "core/JpegFile.h"
#include "core/Prompter.h"
#include "core/SaveFileChoice.h"
#include "remote/DoodleMenus.h"

#include <QClipboard>
#include <QContextMenuEvent>
#include <QFileInfo>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPlainTextEdit>

CDoodleBoard::CDoodleBoard(QWidget *parent)
    : QWidget(parent)
{
    setObjectName(QString::number(kControlId));
    setMouseTracking(true); // the polygon's last side follows the mouse
    setFocusPolicy(Qt::StrongFocus);
    setCursor(Qt::CrossCursor);
    setAttribute(Qt::WA_OpaquePaintEvent);

    m_textEdit = new QPlainTextEdit(this);
    m_textEdit->setObjectName(QStringLiteral("doodleText"));
    m_textEdit->setFrameShape(QFrame::NoFrame);
    m_textEdit->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_textEdit->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_textEdit->hide();
    connect(m_textEdit, &QPlainTextEdit::textChanged, this,
        [this] { m_canvas.SetText(m_textEdit->toPlainText()); });

    m_spray.setInterval(kSprayMs);
    connect(&m_spray, &QTimer::timeout, this, [this] {
        if (m_canvas.isSpraying())
            m_canvas.SprayTick();
        else
            m_spray.stop();
    });

    connect(&m_canvas, &DoodleCanvas::changed, this, qOverload<>(&QWidget::update));
    connect(&m_canvas, &DoodleCanvas::undoStateChanged, this, &CDoodleBoard::undoStateChanged);
    connect(&m_canvas, &DoodleCanvas::toolChanged, this, &CDoodleBoard::toolChanged);
    connect(&m_canvas, &DoodleCanvas::colorsChanged, this, &CDoodleBoard::colorsChanged);
    connect(&m_canvas, &DoodleCanvas::textBoxChanged, this, &CDoodleBoard::placeTextEdit);
}

bool CDoodleBoard::Command(int code, int value)
{
    switch (code) {
    case DoodleCmd::Paste: {
        const QImage pasted = QGuiApplication::clipboard()->image();
        if (pasted.isNull())
            return false;
        m_canvas.PutBitmap(pasted, true);
        break;
    }
    case DoodleCmd::SaveAs:
        m_canvas.CommitFloating();
        saveAs();
        break;
    case DoodleCmd::Copy:
        m_canvas.CommitFloating();
        QGuiApplication::clipboard()->setImage(m_canvas.CopyArea());
        break;
    case DoodleCmd::Cut:
        m_canvas.CommitFloating();
        QGuiApplication::clipboard()->setImage(m_canvas.CopyArea());
        m_canvas.CutArea();
        break;
    default:
        return m_canvas.Command(code, value);
    }
    emit toolChanged(m_canvas.tool());
    return true;
}

bool CDoodleBoard::saveAs()
{
    const QString target = ChooseSaveFile(this, QStringLiteral("保存为"), QString(),
        Prompter::filterFromWindows(u"BMP图像文件(*.bmp)|*.bmp|JPG图像文件(*.jpg)|*.jpg||"), StillPictureFile());
    if (target.isEmpty())
        return false;
    const QImage picture = m_canvas.CopyArea();
    const bool saved = target.endsWith(QLatin1String(".bmp"), Qt::CaseInsensitive)
        ? SaveBitmapToFile(picture, target)
        : JpegFile::EncodeDibToJpegFile(BitmapToDib(picture, {}, 24), target);
    if (!saved)
        Prompter::current().messageBox(this, target, QStringLiteral("错误"), Prompter::Buttons::Ok, Prompter::Icon::Warning);
    return saved;
}

void CDoodleBoard::SetTextFont(const QFont &font, const QColor &color)
{
    m_canvas.SetTextFont(font, color);
    emit textFontChanged(font, m_canvas.foreground());
}

void CDoodleBoard::SetColors(const QColor &foreground, const QColor &background)
{
    m_canvas.SetColors(foreground, background);
    placeTextEdit();
}

void CDoodleBoard::CommitFloating()
{
    m_canvas.CommitFloating();
}

void CDoodleBoard::PutBitmap(const QImage &bitmap, bool floating)
{
    m_canvas.PutBitmap(bitmap, floating);
}

bool CDoodleBoard::LoadPictureFile(const QString &path)
{
    COlePicture picture;
    if (!picture.Load(path))
        return false;
    PutBitmap(picture.Render(picture.Size()), true);
    return true;
}

void CDoodleBoard::placeTextEdit()
{
    if (!m_canvas.hasTextBox()) {
        m_textEdit->hide();
        m_textEdit->blockSignals(true);
        m_textEdit->clear();
        m_textEdit->blockSignals(false);
        return;
    }
    const int mode = m_canvas.properties().textMode;
    QPalette palette = m_textEdit->palette();
    palette.setColor(QPalette::Text, m_canvas.foreground());
    palette.setColor(QPalette::Base, mode == 1 ? QColor(Qt::transparent) : m_canvas.background());
    m_textEdit->setPalette(palette);
    m_textEdit->setAutoFillBackground(mode != 1);
    m_textEdit->viewport()->setAutoFillBackground(mode != 1);
    m_textEdit->setFont(m_canvas.textFont());
    m_textEdit->document()->setDocumentMargin(1);
    m_textEdit->setGeometry(m_canvas.textBox());
    if (!m_textEdit->isVisible()) {
        m_textEdit->show();
        m_textEdit->setFocus();
    }
}

void CDoodleBoard::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    p.fillRect(rect(), Qt::white);
    p.drawImage(0, 0, m_canvas.image());
    m_canvas.PaintOverlay(p);
}

void CDoodleBoard::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    m_canvas.Resize(size());
}

void CDoodleBoard::mousePressEvent(QMouseEvent *event)
{
    setFocus();
    m_canvas.Press(event->position().toPoint(), event->button());
    if (m_canvas.isSpraying())
        m_spray.start();
}

void CDoodleBoard::mouseMoveEvent(QMouseEvent *event)
{
    m_canvas.Move(event->position().toPoint());
}

void CDoodleBoard::mouseReleaseEvent(QMouseEvent *event)
{
    m_canvas.Release(event->position().toPoint());
    m_spray.stop();
}

void CDoodleBoard::mouseDoubleClickEvent(QMouseEvent *event)
{
    m_canvas.DoubleClick(event->position().toPoint());
}

void CDoodleBoard::contextMenuEvent(QContextMenuEvent *event)
{
    // The right button draws in the background colour; only the keyboard
    // asks for a menu.
    if (event->reason() != QContextMenuEvent::Keyboard) {
        event->ignore();
        return;
    }
    const QList<DoodlePropertyButton> buttons = DoodlePropertyButtons(tool());
    emit menuRequested(buttons.isEmpty() ? int(DoodleButton::Image) : buttons.first().id);
    event->accept();
}

void CDoodleBoard::keyPressEvent(QKeyEvent *event)
{
    // The board's own keys while it has the focus.
    const std::pair<QKeySequence::StandardKey, int> keys[] = {
        { QKeySequence::Undo, DoodleCmd::Undo },
        { QKeySequence::Redo, DoodleCmd::Redo },
        { QKeySequence::Copy, DoodleCmd::Copy },
        { QKeySequence::Cut, DoodleCmd::Cut },
        { QKeySequence::Paste, DoodleCmd::Paste },
    };
    for (const auto &[key, code] : keys) {
        if (event->matches(key)) {
            Command(code);
            return;
        }
    }
    QWidget::keyPressEvent(event);
}
