#include "chat/FileTypeIcons.h"

#include "core/PathUtil.h"

#include <QApplication>
#include <QCoreApplication>
#include <QHash>
#include <QMimeDatabase>
#include <QStyle>

namespace {

QHash<QString, QIcon> &cache()
{
    static QHash<QString, QIcon> icons;
    return icons;
}

// The icons go with the application, not after it.
void dropIcons()
{
    cache().clear();
}

} // namespace

QIcon FileTypeIcon(const QString &name, bool folder)
{
    QHash<QString, QIcon> &icons = cache();
    static const bool dropped = (qAddPostRoutine(dropIcons), true);
    Q_UNUSED(dropped);
    const QString type = folder ? QStringLiteral("/") : GetPathExtension(name).toLower();
    if (const auto it = icons.constFind(type); it != icons.constEnd())
        return *it;
    QStyle *style = QApplication::style();
    QIcon icon;
    if (folder) {
        icon = style->standardIcon(QStyle::SP_DirIcon);
    } else {
        static const QMimeDatabase mimes;
        const QMimeType mime = mimes.mimeTypeForFile(name, QMimeDatabase::MatchExtension);
        icon = QIcon::fromTheme(
            mime.iconName(), QIcon::fromTheme(mime.genericIconName(), style->standardIcon(QStyle::SP_FileIcon)));
    }
    if (icons.size() >= kFileTypeIconsKept)
        icons.clear();
    icons.insert(type, icon);
    return icon;
}
