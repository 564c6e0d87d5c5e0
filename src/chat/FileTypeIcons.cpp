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

// The icon of each file type the desktop knows: peers' suffixes beyond the
// cache above still find their icon here without asking the theme again
// (a suffix no type claims is a plain file).
QHash<QString, QIcon> &typeIcons()
{
    static QHash<QString, QIcon> icons;
    return icons;
}

// The icons go with the application, not after it.
void dropIcons()
{
    cache().clear();
    typeIcons().clear();
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
        QHash<QString, QIcon> &known = typeIcons();
        if (const auto it = known.constFind(mime.name()); it != known.constEnd()) {
            icon = *it;
        } else {
            icon = QIcon::fromTheme(
                mime.iconName(), QIcon::fromTheme(mime.genericIconName(), style->standardIcon(QStyle::SP_FileIcon)));
            known.insert(mime.name(), icon);
        }
    }
    if (icons.size() >= kFileTypeIconsKept)
        icons.clear();
    icons.insert(type, icon);
    return icon;
}
