#include "ChatTestUtil.h"
#include "chat/CMsgRichEdit.h"

#include <QApplication>
#include <QFont>
#include <QVBoxLayout>
#include <QWidget>
#include <gtest/gtest.h>

namespace {

int countPixels(const QImage &image, const std::function<bool(QRgb)> &match)
{
    int count = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            count += match(image.pixel(x, y));
    return count;
}

} // namespace

// Draws a history view and an input box with text, faces and a picture and
// checks that the faces and the picture reach the screen. With
// KWEL_SCREENSHOT set the window is also saved there as a PNG.
TEST(MsgRichEditRender, FacesAndPicturesAreDrawn)
{
    QWidget window;
    auto *layout = new QVBoxLayout(&window);
    auto *history = new CMsgRichEdit(&window);
    auto *input = new CMsgRichEdit(&window);
    history->SetViewMode(CMsgRichEdit::HistoryView);
    layout->addWidget(history, 3);
    layout->addWidget(input, 1);
    window.resize(360, 260);
    QFont font(QStringLiteral("WenQuanYi Micro Hei"));
    font.setPixelSize(14);
    history->document()->setDefaultFont(font);
    input->document()->setDefaultFont(font);

    history->InsertTextWithFaces(u"小王 12:00:01\n  你好！今天吃了吗/:)/:D\n", 0);
    history->InsertTextWithFaces(u"我 12:00:09\n  看看这张图：", 0);
    QImage picture(64, 40, QImage::Format_RGB32);
    picture.fill(qRgb(30, 144, 255));
    history->InsertPicture(picture, 0x3e8);
    history->InsertTextWithFaces(u"\n  还有/:rose/:cake/<RB>", 0x3e9);
    input->InsertTextWithFaces(u"好的/:strong 马上来/;bin", 0);
    window.show();
    QApplication::processEvents();

    const QImage shot = window.grab().toImage();
    if (const QByteArray path = qgetenv("KWEL_SCREENSHOT"); !path.isEmpty())
        shot.save(QString::fromLocal8Bit(path));
    // The blue picture and the yellow faces are there.
    EXPECT_GE(countPixels(shot, [](QRgb c) { return (c & 0xFFFFFF) == 0x1E90FF; }), 64 * 40);
    EXPECT_GT(countPixels(shot, [](QRgb c) { return qRed(c) > 230 && qGreen(c) > 180 && qBlue(c) < 120; }), 200);
}
