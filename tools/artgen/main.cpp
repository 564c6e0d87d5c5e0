// artgen: draws the program's own pictures into the resource folder given as
// the only argument. Every picture is drawn at 64 × 64 (or larger) and
// scaled down, so that the small sizes stay smooth.
#include "Painters.h"

#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <cstdio>
#include <functional>

namespace {

using Drawing = std::function<void(QPainter &)>;

QImage render(const Drawing &draw, int units, int size)
{
    // Drawn four times larger than asked (at least 64 pixels), then scaled.
    const int big = std::max(64, size * 4);
    QImage image(big, big, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.scale(double(big) / units, double(big) / units);
    draw(p);
    p.end();
    return image.scaled(size, size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
}

// count pictures of size × size side by side.
QImage strip(int count, int size, int units, const std::function<void(QPainter &, int)> &draw)
{
    QImage out(count * size, size, QImage::Format_ARGB32_Premultiplied);
    out.fill(Qt::transparent);
    QPainter p(&out);
    for (int i = 0; i < count; ++i)
        p.drawImage(i * size, 0, render([&](QPainter &q) { draw(q, i); }, units, size));
    return out;
}

bool save(const QImage &image, const QString &path)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    if (!image.save(path, "PNG")) {
        std::fprintf(stderr, "artgen: cannot write %s\n", qPrintable(path));
        return false;
    }
    return true;
}

} // namespace

int main(int argc, char **argv)
{
    QGuiApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: artgen RESOURCE-FOLDER\n");
        return 2;
    }
    const QString res = QString::fromLocal8Bit(argv[1]);
    bool ok = true;

    for (int size : {16, 32})
        ok &= save(strip(Art::kHeadImageCount, size, 64, Art::drawHeadImage),
            res + QStringLiteral("/heads/heads%1.png").arg(size));

    const char *trayNames[] = {"online", "away", "hidden", "message"};
    for (int kind = 0; kind < 4; ++kind) {
        for (int size : {16, 32, 64}) {
            const auto draw = [kind](QPainter &p) { Art::drawTrayIcon(p, Art::TrayKind(kind)); };
            ok &= save(render(draw, 64, size),
                res + QStringLiteral("/tray/%1-%2.png").arg(QString::fromLatin1(trayNames[kind])).arg(size));
        }
    }
    for (int size : {16, 32, 48, 64, 128})
        ok &= save(render(Art::drawProgramIcon, 64, size), res + QStringLiteral("/app/kwel-%1.png").arg(size));

    ok &= save(strip(Art::kToolIconCount, 16, 16, Art::drawToolIcon), res + QStringLiteral("/toolbar/main.png"));

    for (int frame = 0; frame < 2; ++frame) {
        const auto draw = [frame](QPainter &p) {
            Art::drawBird(p, QColor(0x1E, 0x6F, 0xD9), QColor(0xD8, 0xEC, 0xFF), frame);
        };
        ok &= save(render(draw, 64, 96), res + QStringLiteral("/help/bird-%1.png").arg(frame));
    }
    return ok ? 0 : 1;
}
