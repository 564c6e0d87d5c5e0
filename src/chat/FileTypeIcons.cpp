#include "chat/FileTypeIcons.h"

#include "core/PathUtil.h"

#include <QApplication>
#include <QHash>
#include <QMimeDatabase>
#include <QStyle>

QIcon FileTypeIcon(const QString &name, bool folder)
{
    static QHash<QString, QIcon> icons;
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
