#include "controls/ProgramArt.h"

#include <QImage>

// The resources are compiled into a static library: the linker keeps them
// only when something names their initialiser (outside any namespace).
static void initKwelResources()
{
    Q_INIT_RESOURCE(kwel);
}

namespace {

QString artPath(const QString &name)
{
    return QStringLiteral(":/kwel/") + name;
}

QIcon iconOfSizes(const QString &stem, std::initializer_list<int> sizes)
{
    QIcon icon;
    for (int size : sizes)
        icon.addFile(artPath(QStringLiteral("%1-%2.png").arg(stem).arg(size)), QSize(size, size));
    return icon;
}
} // namespace

void EnsureArtResources()
{
    static const bool done = [] {
        initKwelResources();
        return true;
    }();
    (void)done;
}

QIcon ProgramIcon()
{
    EnsureArtResources();
    return iconOfSizes(QStringLiteral("app/kwel"), {16, 32, 48, 64, 128});
}

QIcon TrayArtIcon(TrayArt art)
{
    EnsureArtResources();
    static const char *const stems[] = {"tray/online", "tray/away", "tray/hidden", "tray/message"};
    return iconOfSizes(QString::fromLatin1(stems[int(art)]), {16, 32, 64});
}

QPixmap ToolbarPixmap(int index)
{
    EnsureArtResources();
    static const QImage strip(artPath(QStringLiteral("toolbar/main.png")));
    if (index < 0 || index >= kToolbarPixmapCount || strip.width() < (index + 1) * 16)
        return QPixmap();
    return QPixmap::fromImage(strip.copy(index * 16, 0, 16, 16));
}

QPixmap HelpPicture(int frame)
{
    EnsureArtResources();
    return QPixmap(artPath(QStringLiteral("help/bird-%1.png").arg(frame == 0 ? 0 : 1)));
}
